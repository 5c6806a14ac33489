#!/bin/sh
# Writes DIR/Atlas.gz, a gzip stream of a 734,003,200-byte (700 MiB) file of numbered
# lines, and DIR/large_file.manifest: the programs and that file, whose piece is taken
# as it is (storage=raw), so that the build does not deflate 700 MiB at the packer's
# strongest level. Writing it takes seconds.
# usage: large_file.sh DIR
set -eu
dir=$1
mkdir -p "$dir"
if [ ! -f "$dir/Atlas.gz" ]; then
  seq -f 'Arbolix atlas tile %09.0f, one line of a file that takes seconds to write.' 1 20000000 |
    head -c 734003200 | gzip -1 -n >"$dir/Atlas.gz.part"
  mv "$dir/Atlas.gz.part" "$dir/Atlas.gz"
fi
{
  echo "Arbolix.exe Arbolix.exe"
  echo "Uninstall.exe Uninstall.exe"
  echo "Atlas.gz Maps\\Atlas.map storage=raw size=734003200 times=2001-02-03T04:05:06Z"
} >"$dir/large_file.manifest"
