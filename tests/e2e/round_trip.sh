#!/usr/bin/env bash
# Install and uninstall leave nothing of ours: the real setup program installs the
# default payload into a fresh prefix, the real uninstaller removes it, and the
# prefix's file tree and registry are compared with what they were before. A file
# the user added to the install folder survives with its folders. A run without a
# display must end with the dialog's error and install nothing.
#   round_trip.sh WINE_RUN SETUP_EXE x86|x64 WORK_DIR [installs]
# A 32-bit setup program writes the 32-bit registry view and installs into
# "Program Files (x86)"; the registry is read in the view the program writes.
set -uo pipefail
wine_run=$1 setup=$2 arch=$3 work=$4 installs=${5:-1}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-scratch"
wine_scratch_start "$work"
trap 'wineserver -k </dev/null >/dev/null 2>&1' EXIT

case $arch in
  x86) view=/reg:32 program_files="Program Files (x86)" ;;
  *) view=/reg:64 program_files="Program Files" ;;
esac
drive=$WINEPREFIX/drive_c
folder="$drive/$program_files/Arbolix Beta"
fail() { echo "FAIL: $*"; exit 1; }

snapshot() {  # what Wine itself keeps changing is left out
  (cd "$drive" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o -printf '%y %p\n' | sort) >"$work/$1.files"
  for hive in HKLM HKCU; do
    wine reg export "$hive\\Software" "$work/$1.$hive.reg" /y $view </dev/null >/dev/null 2>&1
  done
  # Wine's own keys (Software\Wine) change as any program starts; ours never live there.
  cat "$work/$1.HKLM.reg" "$work/$1.HKCU.reg" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r' |
    awk '/^\[/ { wine = ($0 ~ /^\[HKEY_[A-Z_]*\\Software\\Wine(\\|\])/) } !wine' >"$work/$1.reg"
}

snapshot before
for run in $(seq "$installs"); do
  # The first run is traced for the log's disk commits.
  traced=(); [ "$run" -eq 1 ] && traced=(strace -f -qq -e trace=fsync,fdatasync -o "$work/commits.trace")
  "${traced[@]}" wine "$(winepath -w "$setup")" -USilent </dev/null >/dev/null 2>&1
  code=$?
  [ $code -eq 0 ] || fail "setup ended with $code"
done
[ -f "$folder/Uninstall.exe" ] || fail "nothing was installed"
# The log reaches the disk in groups, before the registry entry and at close, not a
# commit per line (the run lasts far less than a second a line).
commits=$(grep -c 'sync(' "$work/commits.trace")
lines=$(wc -l <"$folder/Uninstall.cfg")
[ "$commits" -ge 2 ] && [ "$commits" -lt "$lines" ] || fail "$commits disk commits for a log of $lines lines"
# Without a display (Wine's desktop already has one) the dialog cannot be made: the
# run ends with the Windows error it left (1400, of which Linux sees 120), never 0.
env -u DISPLAY wine "$(winepath -w "$setup")" -USilent -Path 'C:\no display' </dev/null >/dev/null 2>&1
code=$?
[ $code -eq 120 ] || fail "setup without a display ended with $code"
[ -e "$drive/no display" ] && fail "setup without a display installed"
grep -qi 'Arbolix Beta.lnk' "$folder/Uninstall.cfg" || fail "no shortcut in the log"
# The snapshots must see what was installed, or an empty export would compare equal.
snapshot installed
grep -q 'Velcordan\\Arbolix' "$work/installed.reg" || fail "the export does not show the product key"
grep -q 'Uninstall\\Arbolix Beta' "$work/installed.reg" || fail "the export does not show the uninstall entry"
grep -q 'Arbolix Beta.lnk' "$work/installed.files" || fail "the file tree does not show the shortcuts"
mkdir -p "$folder/SampleFiles"
echo "my own notes" >"$folder/SampleFiles/My notes.txt"

wine "C:\\$program_files\\Arbolix Beta\\Uninstall.exe" -USilent </dev/null >/dev/null 2>&1
code=$?
[ $code -eq 0 ] || fail "uninstaller ended with $code"
# The uninstaller's copy removes its original a moment after the exit.
for _ in $(seq 100); do [ -e "$folder/Uninstall.exe" ] || break; sleep 0.1; done
snapshot after

expected="$work/expected.files"
{ cat "$work/before.files"
  printf '%s\n' "d ./$program_files/Arbolix Beta" "d ./$program_files/Arbolix Beta/SampleFiles" \
    "f ./$program_files/Arbolix Beta/SampleFiles/My notes.txt"; } | sort >"$expected"
diff -u "$expected" "$work/after.files" || fail "the file tree differs"
diff -u "$work/before.reg" "$work/after.reg" || fail "the registry differs"
[ "$(cat "$folder/SampleFiles/My notes.txt")" = "my own notes" ] || fail "the user's file changed"
echo "PASS: $installs installation(s) and one uninstallation leave only the user's file"
