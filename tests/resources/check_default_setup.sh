#!/bin/sh
# The built setup program carries the license and the default payload: the
# packer lists the 11 entries in their order and verifies every piece.
set -eu
packer=$1 setup=$2
listing=$("$packer" list "$setup")
echo "$listing"
echo "$listing" | grep -qx 'License text: resource Z/107, [0-9]* bytes, deflated (zlib) to [0-9]*'
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
"$packer" verify "$setup"
