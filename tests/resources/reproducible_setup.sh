#!/bin/sh
# Two builds of the default setup program with the same SOURCE_DATE_EPOCH, with
# every input touched in between, give byte-identical programs whose times are
# all the epoch's. Then two builds at the same time, into programs of their own,
# each carry their own payload, and a command line short of a value is told so.
set -eu
root=$1 arch=$2 programs=$3 work=$4
inputs=$work/inputs
rm -rf "$inputs" && mkdir -p "$inputs/SampleFiles" "$inputs/programs"
cp "$root/resources/license.txt" "$root/resources/payload/default.manifest" "$inputs/"
cp "$root"/resources/payload/SampleFiles/* "$inputs/SampleFiles/"
cp "$programs/Arbolix.exe" "$programs/Uninstall.exe" "$inputs/programs/"

export SOURCE_DATE_EPOCH=1700000000 ARBOLIX_BUILD="$work" ARBOLIX_JOBS=1
build() {  # output, manifest
  "$root/scripts/make-setup" --arch "$arch" --license "$inputs/license.txt" \
    --manifest "$inputs/${2:-default.manifest}" --source-dir "$inputs/programs" -o "$1"
}
build "$work/first.exe"
find "$inputs" -type f -exec touch -d '2031-05-06 07:08:09' {} +
build "$work/second.exe"
cmp "$work/first.exe" "$work/second.exe"
packer=$work/make-setup/packer/tools/arbolix-pack
[ "$("$packer" list "$work/second.exe" \
     | grep -c '2023-11-14 22:13:20  2023-11-14 22:13:20  2023-11-14 22:13:20')" -eq 11 ]
echo "identical: $(wc -c < "$work/first.exe") bytes"

echo 'SampleFiles/Quist.abx Quist.abx' >"$inputs/one.manifest"
echo 'SampleFiles/Brannoch.abx Brannoch.abx' >"$inputs/two.manifest"
build "$work/one.exe" one.manifest & one=$!
build "$work/two.exe" two.manifest & two=$!
wait $one
wait $two
carries() {  # program, its one entry
  listing=$("$packer" list "$1")
  echo "$listing" | grep -q " $2\$" && echo "$listing" | grep -q ' 1 entry$'
}
carries "$work/one.exe" Quist.abx
carries "$work/two.exe" Brannoch.abx

for option in --arch -o; do
  "$root/scripts/make-setup" --license "$inputs/license.txt" $option 2>&1 | grep -q -- "$option needs a value"
done
"$root/scripts/make-setup" --license "$inputs/license.txt" -o "$work" 2>&1 | grep -q 'is a folder'
