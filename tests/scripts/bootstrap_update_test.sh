#!/bin/sh
# The bootstrap's update and install step, with stand-ins for apt-get (and sudo) on
# PATH: nothing here touches the machine's own apt. A mirror caught mid-sync fails
# the update; the step tries again, and goes on to the install.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/sh
echo "$*" >>"$STANDIN_DIR/calls"
case $1 in
  update)
    if [ "$(grep -c '^update' "$STANDIN_DIR/calls")" -le "$STANDIN_FAILED_UPDATES" ]; then
      echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi ;;
  install) case "$*" in *" -t "*) exit "$STANDIN_INSTALL_RELEASE" ;; *) exit "$STANDIN_INSTALL" ;; esac ;;
esac
exit 0
STANDIN
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/apt-get" "$work/bin/sudo"

failures=0
# failed updates, install's status (then with the release's versions), expected
# status, expected calls, expected in stderr
check() {
  : >"$work/calls"
  PATH="$work/bin:$PATH" STANDIN_DIR=$work STANDIN_FAILED_UPDATES=$1 STANDIN_INSTALL=${2%/*} \
    STANDIN_INSTALL_RELEASE=${2#*/} \
    ARBOLIX_APT_TRIES=3 ARBOLIX_APT_PAUSE=0 \
    "$root/scripts/bootstrap" --install some-package >"$work/out" 2>"$work/err"
  status=$?
  calls=$(cat "$work/calls")
  if [ "$status" != "$3" ] || [ "$calls" != "$4" ] || { [ -n "$5" ] && ! grep -qF -- "$5" "$work/err"; }; then
    echo "FAILED: $1 failed updates, install $2: status $status (wanted $3), calls:"
    echo "$calls" | sed 's/^/    /'
    sed 's/^/    stderr: /' "$work/err"
    failures=$((failures + 1))
  fi
}
index=http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
install="install -y -qq --no-install-recommends some-package"
release_install="install -y -qq --no-install-recommends -t $(. /etc/os-release; echo "$VERSION_CODENAME") some-package"
check 0 0/0 0 "update -qq
$install" ""
check 0 100/0 100 "update -qq
$install" ""
check 1 0/0 0 "update -qq
update -qq
$install" "apt-get update failed (try 1 of 3): $index"
check 9 0/0 0 "update -qq
update -qq
update -qq
$install" "going on with the indexes there are"
check 9 100/0 0 "update -qq
update -qq
update -qq
$install
$release_install" "the install failed; these indexes could not be updated: $index"
check 9 100/100 100 "update -qq
update -qq
update -qq
$install
$release_install" "trying again with the versions of"

echo "$((6 - failures)) passed, $failures failed"
[ $failures -eq 0 ]
