#!/bin/sh
# Gives the Wine prefix a drive whose disk is full after a few hundred kilobytes: a
# small tmpfs linked as a drive letter. `full_disk.sh mount PREFIX DIR LETTER [SIZE]`
# sets it up (256k unless SIZE says otherwise; any left over from an interrupted run
# is dropped first); `unmount` takes it down.
set -u
action=$1 prefix=$2 dir=$3 letter=$4 size=${5:-256k}
link="$prefix/dosdevices/$letter:"

take_down() {
  rm -f "$link"
  if mountpoint -q "$dir"; then
    umount "$dir" 2>/dev/null || umount -l "$dir"
  fi
  rmdir "$dir" 2>/dev/null
  return 0
}

case $action in
  mount)
    take_down
    mkdir -p "$dir" || exit 1
    mount -t tmpfs -o size=$size,mode=0777 arbolix-full-disk "$dir" || exit 1
    ln -s "$dir" "$link" || { take_down; exit 1; }
    ;;
  unmount)
    take_down
    ;;
  *)
    echo "usage: $0 mount|unmount PREFIX DIR LETTER [SIZE]" >&2
    exit 2
    ;;
esac
