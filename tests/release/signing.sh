#!/usr/bin/env bash
# signing.sh SOURCE_DIR BUILD_DIR TRUST_PROBE
# A signed release, with a throwaway certificate authority made here (never one that is
# committed): a copy of the sources is signed by tools/release.sh --sign as the maintainers
# do, and checked by a fresh build with --check. Then, on those files: signing again gives
# the same bytes; removing the signature gives the recorded unsigned bytes; osslsigncode
# verifies the signature with the authority only; one changed byte fails it; a time-stamped
# signature, from a local RFC 3161 authority, verifies; Wine's WinVerifyTrust (TRUST_PROBE,
# run in BUILD_DIR's prefix) trusts the signed files, with the authority added to the
# trusted roots for its run only, and gives the codes of each fault; and the check's
# verdicts on records and signatures that do not fit. Skipped (status 77) when the compiler
# packages differ from those recorded, which cannot build the recorded bytes.
set -euo pipefail

src=$(cd "${1:?source folder}" && pwd)
build=$(cd "${2:?build folder}" && pwd)
probe=${3:?trust probe}
work=$(mktemp -d)
tsa=
cleanup() {
    [ -z "$tsa" ] || kill "$tsa"
    rm -rf "$work"
}
trap cleanup EXIT
status=0
fail() {
    echo "FAILED: $*"
    status=1
}
. "$src/tools/release-sums.sh"
. "$src/tools/release-sign.sh"
. "$(dirname "$0")/sources.sh"

if [ "$(compiler_versions)" != "$(sed -n 's/^# package //p' "$src/release/SHA256SUMS")" ]; then
    echo "skipped: these compiler packages differ from those recorded in release/SHA256SUMS"
    exit 77
fi

# The throwaway authority, a code-signing certificate it issued, in a PKCS#12 file with a
# password, and a time-stamping certificate it issued.
pki=$work/pki
mkdir "$pki"
password=$pki/password
echo "throwaway password" >"$password"
issue() { # NAME SUBJECT EXTENSIONS DIGEST
    openssl req -newkey rsa:2048 -nodes -keyout "$pki/$1.key" -subj "/CN=$2" -out "$pki/$1.csr" 2>/dev/null
    printf '%b' "$3" >"$pki/$1.ext"
    openssl x509 -req -in "$pki/$1.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" -set_serial "0x$(openssl rand -hex 8)" \
        -days 2 -"$4" -extfile "$pki/$1.ext" -out "$pki/$1.pem" 2>/dev/null
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$pki/ca.key" -out "$pki/ca.pem" -days 2 \
    -subj "/CN=Orvelle throwaway test authority $(openssl rand -hex 4)" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl x509 -in "$pki/ca.pem" -outform DER -out "$pki/ca.der"
# The authority signs the signer's certificate with SHA-1: Wine 8's WinVerifyTrust reads a
# certificate's signature hash into 20 bytes, and when that read fails (SHA-256) it skips
# the root's check and trusts any authority. The file's own signature is SHA-256.
issue signer "Orvelle throwaway test signer" \
    'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' sha1
openssl pkcs12 -export -inkey "$pki/signer.key" -in "$pki/signer.pem" -certfile "$pki/ca.pem" \
    -out "$pki/signer.p12" -passout "file:$password"
issue tsa "Orvelle throwaway time-stamp authority" \
    'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n' sha256
cat >"$pki/tsa.cnf" <<EOF
[ tsa ]
default_tsa = throwaway
[ throwaway ]
serial = $pki/tsa.serial
signer_cert = $pki/tsa.pem
certs = $pki/ca.pem
signer_key = $pki/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
echo 01 >"$pki/tsa.serial"

# Signed as the maintainers sign, in a copy of the sources (without Git: the signing time
# comes from SOURCE_DATE_EPOCH).
copy_sources "$work/src"
export SOURCE_DATE_EPOCH=1767225600
"$work/src/tools/release.sh" --sign "$pki/signer.p12" --password-file "$password" --ca "$pki/ca.pem" \
    "$work/sign-build" >"$work/sign.txt" 2>&1 || fail "tools/release.sh --sign ended with status $?: $(cat "$work/sign.txt")"
app=$work/sign-build/app
unsigned=$app/orvelle_setup.exe
signed=$app/orvelle_setup-signed.exe
record=$work/src/release/SHA256SUMS
committed_signature=$work/src/release/orvelle_setup.exe.p7s
[ -f "$signed" ] && [ -f "$committed_signature" ] || { cat "$work/sign.txt" && exit 1; }
unsigned_hash=$(sed -n 's/^\([0-9a-f]\{64\}\)  orvelle_setup\.exe$/\1/p' "$record")
signed_hash=$(sha256sum <"$signed" | cut -d' ' -f1)
[ "$(signed_sha256 "$record")" = "$signed_hash" ] ||
    fail "expected the signed file's SHA-256 $signed_hash in the record, got: $(cat "$record")"
[ "$unsigned_hash" = "$(sed -n 's/^\([0-9a-f]\{64\}\)  orvelle_setup\.exe$/\1/p' "$src/release/SHA256SUMS")" ] ||
    fail "signing changed the unsigned SHA-256 in the record: $(cat "$record")"

# The same bytes signed again, the password read from standard input this time.
sign_release "$unsigned" "$pki/signer.p12" /dev/stdin "$SOURCE_DATE_EPOCH" "" "$work/again.exe" "$work/again.p7s" \
    <"$password" >/dev/null
cmp -s "$signed" "$work/again.exe" || fail "signing the same bytes twice gave other bytes: $(cmp "$signed" "$work/again.exe")"
cmp -s "$committed_signature" "$work/again.p7s" || fail "signing the same bytes twice gave another signature"
# A wrong password: no signed file, and the signature made before stays as it was.
cp "$committed_signature" "$work/kept.p7s"
echo "wrong password" | sign_release "$unsigned" "$pki/signer.p12" /dev/stdin "$SOURCE_DATE_EPOCH" "" "$work/wrong.exe" \
    "$work/kept.p7s" >/dev/null 2>&1 && fail "signing with a wrong password succeeded"
cmp -s "$committed_signature" "$work/kept.p7s" || fail "a failed signing changed the signature made before"
[ ! -e "$work/wrong.exe" ] || fail "a failed signing left a signed file"

# A fresh build of the signed copy, checked as anyone would.
check=0
"$work/src/tools/release.sh" --check --ca "$pki/ca.pem" "$work/check-build" >"$work/check.txt" 2>&1 || check=$?
[ $check -eq 0 ] || fail "tools/release.sh --check of the signed copy ended with status $check: $(cat "$work/check.txt")"
grep -qxF "the build with the signature $committed_signature attached has the signed bytes recorded: $signed_hash" \
    "$work/check.txt" || fail "--check: expected the signed bytes recorded, got: $(cat "$work/check.txt")"
cmp -s "$signed" "$work/check-build/app/orvelle_setup-signed.exe" ||
    fail "the fresh build with the signature attached differs from the signed file"

osslsigncode remove-signature -in "$signed" -out "$work/removed.exe" >/dev/null
[ "$(sha256sum <"$work/removed.exe" | cut -d' ' -f1)" = "$unsigned_hash" ] ||
    fail "the signed file without its signature is not the recorded unsigned bytes"

# osslsigncode's verification: with the authority only.
verified=0
osslsigncode verify -CAfile "$pki/ca.pem" -in "$signed" >"$work/verify.txt" 2>&1 || verified=$?
echo "== osslsigncode verify -CAfile <throwaway authority> -in orvelle_setup-signed.exe (status $verified)"
grep -E '^(Message digest algorithm|Current message digest|Calculated message digest|\s+Subject|\s+Issuer|\s+Signing time|Timestamp|Signature verification|Number of verified)' \
    "$work/verify.txt" | awk '!seen[$0]++'
[ $verified -eq 0 ] && grep -qx "Signature verification: ok" "$work/verify.txt" ||
    fail "osslsigncode verify with the authority: expected success, got status $verified"
osslsigncode verify -in "$signed" >"$work/untrusted.txt" 2>&1 &&
    fail "osslsigncode verify without the authority succeeded"
signing_time_line="Signing time: $(LC_ALL=C date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y GMT')"
grep -qxF "$signing_time_line" <(sed 's/^\s*//' "$work/verify.txt") ||
    fail "expected the signing time from the sources, \"$signing_time_line\", got: $(grep 'Signing time' "$work/verify.txt")"

# One changed byte: in the DOS header, the PE header's time stamp, the code, the last byte
# before the signature, the signature's own value at its end, the signer's public key in
# the embedded certificate. (Authenticode leaves out the PE checksum and the certificate
# table's entry, which a verifier checks in other ways, and a verifier uses its own copy of
# the trusted root rather than the one the signature carries.)
size=$(stat -c %s "$unsigned")
pe=$(od -An -tu4 -j60 -N4 "$unsigned" | tr -d ' ')
signature_size=$(stat -c %s "$committed_signature")
modulus=$(openssl x509 -in "$pki/signer.pem" -noout -modulus | cut -d= -f2)
key_at=$(python3 -c 'import sys; print(open(sys.argv[1], "rb").read().find(bytes.fromhex(sys.argv[2])))' \
    "$signed" "$modulus")
[ "$key_at" -gt "$size" ] || fail "the signer's public key is not in the signature"
content_offsets=(2 $((pe + 8)) 1000 $((size - 1)))
signature_offsets=($((size + 8 + signature_size - 10)) $((key_at + 100)))
for offset in "${content_offsets[@]}" "${signature_offsets[@]}"; do
    altered=$work/altered-$offset.exe
    cp "$signed" "$altered"
    byte=$(od -An -tu1 -j"$offset" -N1 "$signed" | tr -d ' ')
    printf "\\$(printf '%03o' $((byte ^ 1)))" | dd of="$altered" bs=1 seek="$offset" conv=notrunc status=none
    if osslsigncode verify -CAfile "$pki/ca.pem" -in "$altered" >"$work/altered.txt" 2>&1; then
        fail "one changed byte at offset $offset: osslsigncode verify still succeeded"
    fi
done

# A time-stamped signature, from the local authority.
python3 "$(dirname "$0")/tsa_server.py" "$pki/tsa.cnf" "$work/tsa.port" &
tsa=$!
while [ ! -s "$work/tsa.port" ]; do
    kill -0 "$tsa" || { tsa= && fail "the time-stamp authority did not start" && exit 1; }
    sleep 0.1
done
stamped=$work/stamped.exe
sign_release "$unsigned" "$pki/signer.p12" "$password" "$SOURCE_DATE_EPOCH" "http://127.0.0.1:$(cat "$work/tsa.port")/" \
    "$stamped" "$work/stamped.p7s" >"$work/stamp.txt" 2>&1 || fail "time-stamped signing failed: $(cat "$work/stamp.txt")"
kill "$tsa" && tsa=
verified=0
osslsigncode verify -CAfile "$pki/ca.pem" -TSA-CAfile "$pki/ca.pem" -in "$stamped" >"$work/verify.txt" 2>&1 || verified=$?
echo "== osslsigncode verify of the time-stamped file (status $verified)"
grep -E '^(Timestamp|Signature verification|Number of verified)' "$work/verify.txt" | awk '!seen[$0]++'
[ $verified -eq 0 ] || fail "osslsigncode verify of the time-stamped file: expected success, got: $(cat "$work/verify.txt")"
grep -qi "^Timestamp Server Signature verification: ok" "$work/verify.txt" ||
    fail "osslsigncode verify of the time-stamped file: no verified time stamp in: $(cat "$work/verify.txt")"
osslsigncode attach-signature -sigin "$work/stamped.p7s" -CAfile "$pki/ca.pem" -TSA-CAfile "$pki/ca.pem" \
    -in "$unsigned" -out "$work/stamped-attached.exe" >/dev/null 2>&1 || true
cmp -s "$stamped" "$work/stamped-attached.exe" || fail "the time-stamped signature attached again gives other bytes"

# WinVerifyTrust under Wine: without the authority, with it as a trusted root, and without
# it again (the probe took it out of the trusted roots).
windows() { echo "Z:${1//\//\\}"; }
# FILE | expected result ("untrusted root" without the authority)
without_root=("$signed|0x800B0109")
with_root=("$signed|0x00000000" "$stamped|0x00000000" "$unsigned|0x800B0100")
for offset in "${content_offsets[@]}"; do
    with_root+=("$work/altered-$offset.exe|0x80096010")
done
after_root=("${without_root[@]}")
for run in without_root with_root after_root; do
    declare -n cases=$run
    files=() expected=()
    for case in "${cases[@]}"; do
        files+=("$(windows "${case%|*}")")
        expected+=("$(windows "${case%|*}") ${case#*|}")
    done
    root=()
    [ $run != with_root ] || root=(--root "$(windows "$pki/ca.der")")
    got=$("$build/wine-run" "$probe" "${root[@]}" "${files[@]}" | tr -d '\r') ||
        fail "the trust probe ($run) ended with status $?: $got"
    echo "== WinVerifyTrust under Wine, $run:"
    echo "$got"
    [ "$got" = "$(printf '%s\n' "${expected[@]}")" ] ||
        fail "WinVerifyTrust $run: expected
$(printf '%s\n' "${expected[@]}")"
    unset -n cases
done

# The check's verdicts on the fresh build, with altered copies of the record and signature.
# An unfitting signature: one made for other bytes.
cp "$unsigned" "$work/other-unsigned.exe"
printf 'X' | dd of="$work/other-unsigned.exe" bs=1 seek=1000 conv=notrunc status=none
sign_release "$work/other-unsigned.exe" "$pki/signer.p12" "$password" "$SOURCE_DATE_EPOCH" "" "$work/other.exe" \
    "$work/other.p7s" >/dev/null
zero=$(printf '%064d' 0)
signature=$work/verdict.p7s
sums=$work/SHA256SUMS
# signature ("absent": none) | sed script applied to the record | authorities ("system":
# the system's) | expected status | expected line of the verdict
both="FAILED: a signature needs both the file $signature and one SHA-256 line for orvelle_setup-signed.exe in $sums"
verdicts=(
    "$committed_signature||$pki/ca.pem|0|the signature verifies with the authorities in $pki/ca.pem"
    "$work/other.p7s||$pki/ca.pem|1|FAILED: the build with the signature $signature attached has other bytes than recorded in $sums:"
    "$committed_signature|s/^[0-9a-f]*  orvelle_setup-signed/$zero  orvelle_setup-signed/|$pki/ca.pem|1|FAILED: the build with the signature $signature attached has other bytes than recorded in $sums:"
    "$committed_signature||system|1|FAILED: the signature does not verify"
    "$committed_signature|/orvelle_setup-signed/d|$pki/ca.pem|2|$both"
    "absent||$pki/ca.pem|2|$both"
    "absent|/orvelle_setup-signed/d|$pki/ca.pem|0|no signature committed ($signature): an unsigned release, whose unsigned bytes alone were checked"
)
for verdict in "${verdicts[@]}"; do
    IFS='|' read -r given edit authorities expected line <<<"$verdict"
    cp "$record" "$sums"
    [ -z "$edit" ] || sed -i "$edit" "$sums"
    rm -f "$signature"
    [ "$given" = absent ] || cp "$given" "$signature"
    [ "$authorities" != system ] || authorities=
    got=0
    check_signature "$sums" "$signature" "$work/check-build/app/orvelle_setup.exe" "$work/verdict.exe" "$authorities" \
        >"$work/verdict.txt" 2>&1 || got=$?
    what="${given##*/}${edit:+, record: $edit}${authorities:+, trusting the test authority}"
    [ "$got" = "$expected" ] || fail "$what: expected status $expected, got $got"
    grep -qxF -- "$line" "$work/verdict.txt" || fail "$what: expected the line \"$line\", got:
$(cat "$work/verdict.txt")"
done
exit $status
