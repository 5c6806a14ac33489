#!/bin/sh
# The Debian 13 root is entered as root with mounts: nothing outside its folders is
# touched. A build tree whose x86 folder is a link to a scratch folder holding
# wine/marker is run in the root as a fresh tree (whose Wine prefixes are removed):
# the marker stays. And --inside, the namespace's own first step, is refused anywhere
# else.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
debian13=$root/tests/wine/debian13-root
work=$(mktemp -d)
trap 'ARBOLIX_BUILD=$work/build "$debian13" --reset; rm -rf "$work"' EXIT
mkdir -p "$work/build" "$work/scratch/wine"
echo kept >"$work/scratch/wine/marker"
ln -s "$work/scratch" "$work/build/x86"
failures=0

ARBOLIX_BUILD=$work/build "$debian13" --reset
ARBOLIX_BUILD=$work/build "$debian13" --run true
if [ "$(cat "$work/scratch/wine/marker" 2>/dev/null)" != kept ]; then
  echo "FAILED: a run of a tree whose x86 folder is a link removed the linked folder's wine/marker"
  failures=$((failures + 1))
fi

# In a mount namespace of its own all the same, so that a broken refusal mounts
# nothing of the machine's.
if unshare --mount --propagation private "$debian13" --inside "" "" 0 touch "$work/inside" 2>"$work/err" || [ -e "$work/inside" ] ||
   ! grep -q 'runs only as the first process of its own namespaces' "$work/err"; then
  echo "FAILED: --inside was not refused outside its namespace"
  failures=$((failures + 1))
fi

echo "$((2 - failures)) passed, $failures failed"
[ $failures -eq 0 ]
