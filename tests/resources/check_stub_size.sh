#!/bin/sh
# The setup stub (the program without its "Z" resources) must stay within LIMIT bytes,
# and says how much room the code and data have before the resources, which start on
# a page of the file, move a page (4 KB) later.
#   check_stub_size.sh OBJDUMP PROGRAM [LIMIT]
set -eu
objdump=$1 program=$2 limit=${3:-}
size=$(stat -c %s "$program")
z=$(wrestool -l "$program" | awk '/--type=.Z./ { sub(/.*size=/, ""); sub(/\].*/, ""); s += $0 } END { print s + 0 }')
stub=$((size - z))
# The end in the file of the last section before .rsrc.
end=0
for section in $("$objdump" -h "$program" | awk '$2 == ".rsrc" { exit } $1 ~ /^[0-9]+$/ && $2 != ".bss" { print $6 ":" $3 }'); do
  e=$(( 0x${section%:*} + 0x${section#*:} ))
  [ $e -le $end ] || end=$e
done
echo "stub $stub B; code and data end at byte $end of the file, $(( (end + 4095) / 4096 * 4096 - end )) B before the next page"
if [ -n "$limit" ] && [ "$stub" -gt "$limit" ]; then
  echo "the stub is $((stub - limit)) B over $limit B"
  exit 1
fi
