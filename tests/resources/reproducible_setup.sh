#!/bin/sh
# Two builds of the default setup program with the same SOURCE_DATE_EPOCH, with
# every input touched in between, give byte-identical programs whose times are
# all the epoch's. Then two builds at the same time, into programs of their own,
# each carry their own payload with the uninstaller added to it, and a command line
# short of a value is told so.
# Signed builds come out the same too, verify, and fail cleanly on a bad key.
set -eu
root=$1 arch=$2 programs=$3 work=$4
inputs=$work/inputs
rm -rf "$inputs" && mkdir -p "$inputs/SampleFiles" "$inputs/programs"
cp "$root/resources/license.txt" "$root/resources/payload/default.manifest" "$inputs/"
cp "$root"/resources/payload/SampleFiles/* "$inputs/SampleFiles/"
cp "$programs/Arbolix.exe" "$programs/Uninstall.exe" "$inputs/programs/"

export SOURCE_DATE_EPOCH=1700000000 ARBOLIX_BUILD="$work" ARBOLIX_JOBS=1
build() {  # output, manifest, more options of make-setup
  output=$1 manifest=$2
  shift 2
  "$root/scripts/make-setup" --arch "$arch" --license "$inputs/license.txt" \
    --manifest "$inputs/$manifest" --source-dir "$inputs/programs" "$@" -o "$output"
}
build "$work/first.exe" default.manifest
find "$inputs" -type f -exec touch -d '2031-05-06 07:08:09' {} +
build "$work/second.exe" default.manifest
cmp "$work/first.exe" "$work/second.exe"
packer=$work/make-setup/packer/tools/arbolix-pack
[ "$("$packer" list "$work/second.exe" \
     | grep -c '2023-11-14 22:13:20  2023-11-14 22:13:20  2023-11-14 22:13:20')" -eq 11 ]
echo "identical: $(wc -c < "$work/first.exe") bytes"

echo 'SampleFiles/Quist.abx Quist.abx' >"$inputs/one.manifest"
echo 'SampleFiles/Brannoch.abx Brannoch.abx' >"$inputs/two.manifest"
build "$work/one.exe" one.manifest 2>"$work/one.log" & one=$!
build "$work/two.exe" two.manifest 2>"$work/two.log" & two=$!
wait $one || { cat "$work/one.log"; exit 1; }
wait $two || { cat "$work/two.log"; exit 1; }
carries() {  # program, its own entry: then the uninstaller, which make-setup added
  listing=$("$packer" list "$1")
  echo "$listing" | grep -q " $2\$" && echo "$listing" | grep -q ' Uninstall.exe$' &&
    echo "$listing" | grep -q ' 2 entries$'
}
carries "$work/one.exe" Quist.abx
carries "$work/two.exe" Brannoch.abx
added=".*/payload-programs/Uninstall.exe is added as its last entry"
grep -qx "arbolix-pack archive: $inputs/one.manifest installs no Uninstall.exe: $added" "$work/one.log"

for option in --arch -o; do
  "$root/scripts/make-setup" --license "$inputs/license.txt" $option 2>&1 | grep -q -- "$option needs a value"
done
"$root/scripts/make-setup" --license "$inputs/license.txt" -o "$work" 2>&1 | grep -q 'is a folder'

# Signed by a throw-away certificate made here, as PEM files and as PKCS#12 with its
# password in the environment: one identity signs alike, and with SOURCE_DATE_EPOCH
# the programs are the same bytes, signatures included. The payload's uninstaller is
# signed, and one changed byte fails verify (check_default_setup.sh).
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Arbolix Release Test' \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:s3cret -out "$work/cert.p12"
build "$work/signed.exe" default.manifest --sign "$work/cert.pem" --key "$work/key.pem"
ARBOLIX_SIGN_PASSWORD=s3cret build "$work/signed-p12.exe" default.manifest --pkcs12 "$work/cert.p12"
cmp "$work/signed.exe" "$work/signed-p12.exe"
sh "$(dirname "$0")/check_default_setup.sh" "$packer" "$work/signed.exe" "CN=Arbolix Release Test"

# Signed again at another time, only the signature differs: verify prints the same
# digest, and the programs without their signatures are the same bytes.
SOURCE_DATE_EPOCH= "$root/scripts/sign" --cert "$work/cert.pem" --key "$work/key.pem" "$work/signed.exe" \
  -o "$work/resigned.exe"
if cmp -s "$work/signed.exe" "$work/resigned.exe"; then
  exit 1
fi
digest() { "$packer" verify "$1" | sed -n '1s/.*sha256 digest \([0-9a-f]*\);.*/\1/p'; }
first=$(digest "$work/signed.exe")
[ -n "$first" ]
[ "$first" = "$(digest "$work/resigned.exe")" ]
for program in signed resigned; do
  # osslsigncode writes no file that is already there, as after an earlier run.
  rm -f "$work/$program.unsigned"
  osslsigncode remove-signature -in "$work/$program.exe" -out "$work/$program.unsigned" >/dev/null
done
cmp "$work/signed.unsigned" "$work/resigned.unsigned"

# A key that is no key, or a wrong password, fails with osslsigncode's reason: at the
# uninstaller, or (without a payload) at the program. The earlier program stays.
echo "not a key" >"$work/bad.pem"
echo "earlier" >"$work/failed.exe"
if build "$work/failed.exe" default.manifest --sign "$work/cert.pem" --key "$work/bad.pem" 2>"$work/failed.log"; then
  exit 1
fi
grep -q "^sign: cannot sign .*/Uninstall.exe: Failed to decode private key file: .*bad.pem" "$work/failed.log"
if ARBOLIX_SIGN_PASSWORD=wrong "$root/scripts/make-setup" --arch "$arch" --license "$inputs/license.txt" \
     --pkcs12 "$work/cert.p12" -o "$work/failed.exe" 2>"$work/failed.log"; then
  exit 1
fi
grep -q "^sign: cannot sign .*/CustomSetup.exe: Failed to parse PKCS#12 file: .*cert.p12 (Wrong password?)" \
  "$work/failed.log"
[ "$(cat "$work/failed.exe")" = earlier ]
[ -z "$(ls -A "$work" | grep '^\.failed')" ]

# An encrypted key without ARBOLIX_SIGN_PASSWORD fails at once and says to set it,
# even with a terminal to ask on (script gives it one): it never waits for a password.
openssl pkey -in "$work/key.pem" -aes256 -passout pass:s3cret -out "$work/encrypted-key.pem"
status=0
timeout 20 script -qec "env -u ARBOLIX_SIGN_PASSWORD '$root/scripts/sign' --cert '$work/cert.pem' \
  --key '$work/encrypted-key.pem' '$work/signed.exe' -o '$work/failed.exe'" /dev/null >"$work/failed.log" \
  </dev/null || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ]
grep -q "^sign: the key .*/encrypted-key.pem is encrypted: set ARBOLIX_SIGN_PASSWORD to its password" \
  "$work/failed.log"
[ "$(cat "$work/failed.exe")" = earlier ]
