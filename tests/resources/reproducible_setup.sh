#!/bin/sh
# Two builds of the default setup program with the same SOURCE_DATE_EPOCH, with
# every input touched in between, give byte-identical programs whose times are
# all the epoch's.
set -eu
root=$1 arch=$2 programs=$3 work=$4
inputs=$work/inputs
rm -rf "$inputs" && mkdir -p "$inputs/SampleFiles" "$inputs/programs"
cp "$root/resources/license.txt" "$root/resources/payload/default.manifest" "$inputs/"
cp "$root"/resources/payload/SampleFiles/* "$inputs/SampleFiles/"
cp "$programs/Arbolix.exe" "$programs/Uninstall.exe" "$inputs/programs/"

export SOURCE_DATE_EPOCH=1700000000 ARBOLIX_BUILD="$work" ARBOLIX_JOBS=1
build() {
  "$root/scripts/make-setup" --arch "$arch" --license "$inputs/license.txt" \
    --manifest "$inputs/default.manifest" --source-dir "$inputs/programs" -o "$1"
}
build "$work/first.exe"
find "$inputs" -type f -exec touch -d '2031-05-06 07:08:09' {} +
build "$work/second.exe"
cmp "$work/first.exe" "$work/second.exe"
packer=$work/make-setup/packer/tools/arbolix-pack
[ "$("$packer" list "$work/second.exe" \
     | grep -c '2023-11-14 22:13:20  2023-11-14 22:13:20  2023-11-14 22:13:20')" -eq 11 ]
echo "identical: $(wc -c < "$work/first.exe") bytes"
