#!/bin/sh
# Runs the Unprivileged fault test as a Linux user without rights over the install
# folders, in a copy of the pristine prefix that belongs to that user, on drive L:.
# As root it becomes "nobody"; as any other user it stays itself (the folders' modes
# then stop it). usage: unprivileged.sh WINE-RUN FAULT-TESTS-EXE
set -eu
wine_run=$1 tests_exe=$2
eval "$("$wine_run" --env)"
work=$(dirname "$WINEPREFIX")/unprivileged
if [ "$(id -u)" -eq 0 ]; then
  as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
  owner=nobody:nogroup
else
  as_user=""
  owner=$(id -u):$(id -g)
fi

rm -rf "$work"
mkdir -p "$work/home" "$work/drive/Partly/SampleFiles" "$work/drive/Locked"
cp -a "$ARBOLIX_WINE_TEMPLATE" "$work/prefix"
# Debian's Wine names the server's folder (made under /tmp) in the prefix's file
# "wineserver": the copy must not name root's, which the user may not enter.
rm -f "$work/prefix/wineserver"
ln -s "$work/drive" "$work/prefix/dosdevices/l:"
chown -R "$owner" "$work"
# Folders of someone else, or (not being root) folders nobody may write to.
if [ "$(id -u)" -eq 0 ]; then chown root:root "$work/drive/Locked" "$work/drive/Partly/SampleFiles"; fi
chmod 555 "$work/drive/Locked" "$work/drive/Partly/SampleFiles"

cd "$work"
# No TMPDIR: with it set, Debian 13's wineserver (Wine 10.0) aborts in "free(): invalid
# pointer" before it starts.
as_owner() {  # runs a command as that user, in the prefix and with nothing else inherited
  $as_user env -i PATH="$PATH" HOME="$work/home" WINEPREFIX="$work/prefix" \
    WINEARCH=win64 WINEDEBUG=-all DISPLAY="$DISPLAY" WINEDLLOVERRIDES="$WINEDLLOVERRIDES" "$@"
}
status=0
as_owner ARBOLIX_LOCKED_FOLDER='L:\Locked' ARBOLIX_PARTLY_LOCKED_FOLDER='L:\Partly' \
  wine "$tests_exe" --gtest_filter='Unprivileged.*' </dev/null || status=$?
as_owner wineserver -k >/dev/null 2>&1 || true
as_owner wineserver -w >/dev/null 2>&1 || true
# The user's server folder, named in its prefix.
server=$(cat "$work/prefix/wineserver" 2>/dev/null) || server=
case $server in
  wine-[A-Za-z0-9]*[A-Za-z0-9]) rm -rf "/tmp/$server" "/run/user/$(id -u "${owner%:*}")/$server" ;;
esac
chmod -R u+w "$work" 2>/dev/null
rm -rf "$work"
exit $status
