#!/bin/sh
# The built setup program carries the license and the default payload with its
# checksum: the packer lists the 11 entries in their order and verifies every piece.
#   check_default_setup.sh PACKER SETUP [SIGNER]
# With SIGNER, the program and its uninstaller are signed by it, and one changed
# byte makes verify fail; without, the program is not signed.
set -eu
packer=$1 setup=$2 signer=${3:-}
listing=$("$packer" list "$setup")
echo "$listing"
echo "$listing" | grep -qx 'License text: resource Z/107, [0-9]* bytes, deflated (zlib) to [0-9]*'
echo "$listing" | grep -qx 'Payload checksum: resource Z/111, CRC-32 0x[0-9A-F]\{8\}, matches the archive'
names=$(echo "$listing" | sed -n 's/^LogForUninstall  0x00002820 .*  -  *//p')
expected='Arbolix.exe
Uninstall.exe
SampleFiles\Oakridge.abx
SampleFiles\Thistlewood.abx
SampleFiles\Brannoch.abx
SampleFiles\Vellacott.abx
SampleFiles\Quist.abx
SampleFiles\Marchbanks.abx
SampleFiles\Dunmore-Hale.abx
SampleFiles\Serravalle.abx
SampleFiles\Family Tree.jpg'
[ "$names" = "$expected" ] || { echo "unexpected entries:"; echo "$names"; exit 1; }
echo "$listing" | grep -q ' 11 entries$'
# The documents are stored, the programs deflated.
[ "$(echo "$listing" | grep -c ' stored  .*SampleFiles\\.*\.abx$')" -eq 8 ]
[ "$(echo "$listing" | grep -c ' zlib  .*  -  *[A-Za-z]*\.exe$')" -eq 2 ]
verdict=$("$packer" verify "$setup")
echo "$verdict"
echo "$verdict" | grep -qx "$setup: payload checksum CRC-32 0x[0-9A-F]\{8\}, matches the archive"
if [ -z "$signer" ]; then
  echo "$verdict" | grep -qxF "$setup: not signed"
  exit 0
fi
signed="signed by \"$signer\", sha256 digest [0-9a-f]\{64\}"
echo "$verdict" | grep -qx "$setup: $signed; the signature covers the file as it is (.*)"
echo "$verdict" | grep -qxF 'entry 1 "Arbolix.exe": a program, not signed'
echo "$verdict" | grep -qx "entry 2 \"Uninstall.exe\": a program, $signed"
changed=$(mktemp)
trap 'rm -f "$changed" "$changed.err"' EXIT
cp "$setup" "$changed"
middle=$(( $(stat -c %s "$setup") / 2 ))
byte=$(od -An -tu1 -j $middle -N1 "$setup")
printf "\\$(printf %03o $(( (byte + 1) % 256 )))" | dd of="$changed" bs=1 seek=$middle conv=notrunc 2>/dev/null
if "$packer" verify "$changed" >/dev/null 2>"$changed.err"; then
  exit 1
fi
grep -q ": the signature does not cover the file as it is: its sha256 digest is [0-9a-f]*, the signed one" \
  "$changed.err"
