#!/bin/sh
# Writes DIR/World.map, a 3,000,000-byte file of numbered lines, and
# DIR/big_file.manifest: the default payload with that file in the middle of it.
# usage: big_file.sh DIR DEFAULT_PAYLOAD_DIR (which the packer is then given as a
# source folder, with the folder of the built programs)
set -eu
dir=$1 payload=$2
mkdir -p "$dir"
if [ ! -f "$dir/World.map" ]; then
  seq -f 'Arbolix map tile %06.0f, a line of a large file.' 1 70000 | head -c 3000000 >"$dir/World.map.part"
  mv "$dir/World.map.part" "$dir/World.map"
fi
{
  echo "Arbolix.exe Arbolix.exe"
  echo "Uninstall.exe Uninstall.exe"
  echo "World.map Maps\\World.map"
  grep '^SampleFiles/\|^"SampleFiles/' "$payload/default.manifest"
} >"$dir/big_file.manifest"
