#!/usr/bin/env bash
# recorded_hash.sh SOURCE_DIR
# The release executable built from these sources has the SHA-256 recorded in
# release/SHA256SUMS (tools/release.sh --check). Other compiler packages than those recorded
# may give other bytes: then the check says so and this ends with status 77, which CTest
# reports as skipped. The one build also serves the check's other verdicts, on altered
# copies of the record, and the user's check of a received copy with sha256sum -c.
set -euo pipefail

src=$(cd "${1:?source folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
    echo "FAILED: $*"
    status=1
}

check=0
"$src/tools/release.sh" --check "$work/build" >"$work/check.txt" || check=$?
cat "$work/check.txt"
case $check in
    0 | 3) ;;
    *) fail "tools/release.sh --check ended with status $check" ;;
esac
# No executable without a build: the table below needs one.
[ -f "$work/build/app/orvelle_setup.exe" ] || exit 1

. "$src/tools/release-sums.sh"
exe=$work/build/app/orvelle_setup.exe
hash=$(sha256sum <"$exe" | cut -d' ' -f1)
versions=$(compiler_versions)
other_hash=$(printf '%064d' 0)
other_versions=$(sed '1s/$/.1/' <<<"$versions")

# recorded hash | recorded versions | sed script applied to the record ("absent": no
# record) | expected status | expected line of the verdict
malformed="FAILED: $work/SHA256SUMS is not a release record: it needs one SHA-256 line for orvelle_setup.exe and"
verdicts=(
    "$hash|$versions||0|the same bytes as recorded in $work/SHA256SUMS"
    "$hash|$other_versions||0|(built with other compiler packages than those recorded)"
    "$other_hash|$versions||1|FAILED: the same compiler packages built other bytes. After a change to the product, record"
    "$other_hash|$other_versions||3|not a fault: these compiler packages differ from those recorded, and other versions may give other bytes:"
    "$hash|$versions|absent|2|FAILED: no release record at $work/SHA256SUMS"
    "$hash|$versions|/^# package /d|2|$malformed"
    "$other_hash|$other_versions|/^# package /d|2|$malformed"
    "$hash|$versions|/orvelle_setup\.exe\$/d|2|$malformed"
    "$hash|$versions|\$p|2|$malformed"
)
for verdict in "${verdicts[@]}"; do
    IFS='|' read -r recorded recorded_versions edit expected line <<<"${verdict//$'\n'/;}"
    write_sums "$work/SHA256SUMS" "$recorded" "${recorded_versions//;/$'\n'}"
    case $edit in
        absent) rm "$work/SHA256SUMS" ;;
        ?*) sed -i "$edit" "$work/SHA256SUMS" ;;
    esac
    got=0
    check_sums "$work/SHA256SUMS" "$hash" "$versions" >"$work/verdict.txt" || got=$?
    [ "$got" = "$expected" ] || fail "recorded ${recorded:0:8}${edit:+ ($edit)}: expected status $expected, got $got"
    grep -qxF -- "$line" "$work/verdict.txt" || fail "recorded ${recorded:0:8}${edit:+ ($edit)}: expected the line \"$line\", got:
$(cat "$work/verdict.txt")"
done

# A user's check of a received copy, in the folder that holds it.
write_sums "$work/build/app/SHA256SUMS" "$hash" "$versions"
received=$(cd "$work/build/app" && sha256sum -c SHA256SUMS 2>&1) || true
[ "$received" = "orvelle_setup.exe: OK" ] || fail "sha256sum -c of the built copy: expected \"orvelle_setup.exe: OK\", got \"$received\""
printf '\001' | dd of="$exe" bs=1 seek=1000 conv=notrunc status=none
received=$(cd "$work/build/app" && sha256sum -c SHA256SUMS 2>/dev/null) || true
[ "$received" = "orvelle_setup.exe: FAILED" ] || fail "sha256sum -c of an altered copy: expected \"orvelle_setup.exe: FAILED\", got \"$received\""
# Other compiler packages: nothing wrong found, nothing confirmed either.
[ $status -eq 0 ] && [ "$check" = 3 ] && exit 77
exit $status
