#!/usr/bin/env bash
# Saves a shortcut with the setup program's code under Wine, then reads it back from
# Linux with lnkinfo: target, working directory and description.
set -u
wine_run=$1 make_link=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
link="$work/Arbolix Beta.lnk"
"$wine_run" "$make_link" "Z:${link//\//\\}" 'C:\Program Files\Arbolix Beta\Arbolix.exe' </dev/null
status=$?
[ $status -eq 0 ] || { echo "make_link failed with $status"; exit 1; }
info=$(lnkinfo "$link") || { echo "lnkinfo cannot read $link"; exit 1; }
# "<tabs>Label<tabs>: value" becomes "Label: value". lnkinfo 20240423 (Debian 13) doubles
# each backslash of a path, older ones do not; a Windows path has no doubled one.
fields=$(sed -e 's/^\t*//' -e 's/\t*: /: /' -e 's/\\\\/\\/g' <<<"$info")
failed=0
expect() {  # label, value
  grep -qxF -- "$1: $2" <<<"$fields" || { echo "expected $1: $2"; failed=1; }
}
expect 'Local path' 'C:\Program Files\Arbolix Beta\Arbolix.exe'
expect 'Working directory' 'C:\Program Files\Arbolix Beta'
expect 'Description' 'Powerful graphical editor capable to create the most complex genealogy tree'
[ $failed -eq 0 ] || { echo "$info"; exit 1; }
echo "$info"
