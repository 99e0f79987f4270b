# Sourced after release-sums.sh: the release executable's Authenticode signature, made with
# osslsigncode. The signature alone is committed (release/orvelle_setup.exe.p7s, DER), with
# the signed file's SHA-256 in release/SHA256SUMS: anyone who builds the same unsigned bytes
# attaches it and gets the very file the project publishes. Only options that Debian 12's
# osslsigncode 2.5 has are used.

# signing_time ROOT: the time written into the signature, from the sources (the last
# commit's time, or SOURCE_DATE_EPOCH), so that signing the same bytes with the same key
# gives the same file.
signing_time() {
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        echo "$SOURCE_DATE_EPOCH"
    elif ! git -C "$1" log -1 --format=%ct 2>/dev/null; then
        echo "FAILED: no signing time: $1 is no Git clone and SOURCE_DATE_EPOCH is not set" >&2
        return 1
    fi
}

# sign_release EXE P12 PASSWORD_FILE TIME TSA_URL SIGNED SIGNATURE: signs EXE with SHA-256
# into SIGNED, time-stamped by the RFC 3161 server at TSA_URL unless it is empty, and writes
# the signature alone to SIGNATURE. PASSWORD_FILE may be /dev/stdin.
sign_release() {
    local timestamp=()
    [ -z "$5" ] || timestamp=(-ts "$5")
    # osslsigncode writes over no file. A failed signing leaves an earlier signature as it was.
    rm -f "$6" "$7.new"
    if ! osslsigncode sign -pkcs12 "$2" -readpass "$3" -h sha256 -time "$4" "${timestamp[@]}" -in "$1" -out "$6" ||
        ! osslsigncode extract-signature -in "$6" -out "$7.new" >/dev/null; then
        echo "FAILED: osslsigncode could not sign $1 with the key in $2 (see above: a wrong password?)"
        rm -f "$6" "$7.new"
        return 1
    fi
    mv "$7.new" "$7"
}

# signed_sha256 SUMS: the signed file's SHA-256 recorded in SUMS, if any.
signed_sha256() {
    sed -n 's/^\([0-9a-f]\{64\}\)  orvelle_setup-signed\.exe$/\1/p' "$1"
}

# check_signature SUMS SIGNATURE EXE SIGNED [CA_FILE]: attaches SIGNATURE to the unsigned
# build EXE, giving SIGNED, compares its SHA-256 with the one recorded in SUMS and verifies
# it, trusting the authorities in CA_FILE (default: the system's). Status 0 the recorded
# signed bytes, verified; 1 a signature that does not fit, other bytes, or one that does not
# verify; 2 a signature without its recorded SHA-256 or the reverse. No signature and no
# signed SHA-256: an unsigned release, status 0.
check_signature() {
    local recorded trust=() attached
    recorded=$(signed_sha256 "$1")
    if [ ! -f "$2" ] && [ -z "$recorded" ]; then
        echo "no signature committed ($2): an unsigned release, whose unsigned bytes alone were checked"
        return 0
    fi
    if [ ! -f "$2" ] || [ -z "$recorded" ] || [ "$(wc -l <<<"$recorded")" -ne 1 ]; then
        echo "FAILED: a signature needs both the file $2 and one SHA-256 line for orvelle_setup-signed.exe in $1"
        return 2
    fi
    [ -z "${5:-}" ] || trust=(-CAfile "$5" -TSA-CAfile "$5")
    rm -f "$4"
    # attach-signature verifies too, and its status says only that: the bytes and the
    # verification are checked below, each on its own.
    attached=$(osslsigncode attach-signature -sigin "$2" "${trust[@]}" -in "$3" -out "$4" 2>&1) || true
    if [ ! -f "$4" ]; then
        echo "FAILED: the signature $2 could not be attached to $3:"
        echo "$attached"
        return 1
    fi
    local hash
    hash=$(sha256sum <"$4" | cut -d' ' -f1)
    if [ "$hash" != "$recorded" ]; then
        echo "FAILED: the build with the signature $2 attached has other bytes than recorded in $1:"
        echo "  recorded: $recorded"
        echo "  here:     $hash"
        return 1
    fi
    echo "the build with the signature $2 attached has the signed bytes recorded: $hash"
    local verified
    if ! verified=$(osslsigncode verify "${trust[@]}" -in "$4" 2>&1); then
        echo "$verified"
        echo "FAILED: the signature does not verify${5:+ with the authorities in $5}"
        return 1
    fi
    grep -E '^(Signer|\s+Subject|\s+Issuer|Signature verification|Timestamp)' <<<"$verified" | awk '!seen[$0]++'
    echo "the signature verifies${5:+ with the authorities in $5}"
}
