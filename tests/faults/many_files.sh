#!/bin/sh
# Writes COUNT small, distinct source files into DIR/files (once) and, for each
# count given, DIR/files<COUNT>.manifest installing the first COUNT of them.
# usage: many_files.sh DIR COUNT...
set -eu
dir=$1; shift
mkdir -p "$dir/files"
largest=0
for count in "$@"; do [ "$count" -gt "$largest" ] && largest=$count; done
if [ ! -f "$dir/files/$largest.txt" ]; then
  i=1
  while [ "$i" -le "$largest" ]; do
    printf 'Arbolix sample record %d of a large payload.\r\n' "$i" >"$dir/files/$i.txt"
    i=$((i + 1))
  done
fi
for count in "$@"; do
  manifest=$dir/files$count.manifest
  [ -f "$manifest" ] && continue
  i=1
  while [ "$i" -le "$count" ]; do
    # A hundred files a folder, as a real payload of many files would be laid out.
    printf 'files/%d.txt Records\\%d\\%d.txt times=2001-02-03T04:05:06Z\n' "$i" $((i / 100)) "$i"
    i=$((i + 1))
  done >"$manifest.part"
  mv "$manifest.part" "$manifest"
done
