#!/usr/bin/env bash
# Builds the release executable afresh in a folder of its own and prints its size and
# SHA-256, to compare with a copy received from elsewhere. The same sources give the same
# bytes in any folder and at any time, with the same compiler packages (printed too).
#   tools/release.sh [BUILD_DIR]            prints the figures
#   tools/release.sh --update [BUILD_DIR]   records them in release/SHA256SUMS
#   tools/release.sh --check [--ca FILE] [BUILD_DIR]
#                                           compares them with release/SHA256SUMS; with a
#                                           signature committed, attaches it and checks the
#                                           signed bytes and the signature too
#   tools/release.sh --sign P12 [--password-file FILE] [--timestamp URL] [--ca FILE] [BUILD_DIR]
#                                           signs the recorded bytes with the key in P12
# BUILD_DIR: default build-release/ beside the sources. The check's exit status: 0 the same
# bytes, 1 other bytes from the same compiler packages, or a signature that does not fit or
# verify, 2 no record or a malformed one, 3 other compiler packages than those recorded,
# which may give other bytes without a fault.
# --sign: P12 is the PKCS#12 file with the key and its certificates; its password comes from
# FILE, or else from standard input, never from the command line. The signed executable is
# BUILD_DIR/app/orvelle_setup-signed.exe; its signature alone goes to
# release/orvelle_setup.exe.p7s and its SHA-256 to release/SHA256SUMS, to be committed.
# URL: an RFC 3161 time-stamp server; without a time stamp a signature is no longer trusted
# once its certificate expires. --ca FILE: the authorities to trust when verifying (the
# signer's and the time-stamp's; default: the system's).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
mode=print
p12= password_file= tsa_url= ca_file=
case ${1:-} in
    --update | --check) mode=${1#--} && shift ;;
    --sign) mode=sign p12=${2:?"--sign needs the PKCS#12 file"} && shift 2 ;;
esac
while [ $# -gt 0 ]; do
    case $mode:$1 in
        sign:--password-file) password_file=${2:?"--password-file needs a file"} && shift 2 ;;
        sign:--timestamp) tsa_url=${2:?"--timestamp needs a URL"} && shift 2 ;;
        sign:--ca | check:--ca) ca_file=${2:?"--ca needs a file"} && shift 2 ;;
        *) break ;;
    esac
done
build_dir=${1:-$root/build-release}
sums=$root/release/SHA256SUMS
signature=$root/release/orvelle_setup.exe.p7s
. "$root/tools/packages.sh"
. "$root/tools/release-sums.sh"
. "$root/tools/release-sign.sh"
install_packages cmake ninja-build "${release_compilers[@]}"
if [ "$mode" = sign ] || [ -f "$signature" ]; then
    install_packages osslsigncode
fi
if [ "$mode" = sign ]; then
    [ -f "$p12" ] || { echo "FAILED: no PKCS#12 file at $p12" && exit 2; }
    sign_time=$(signing_time "$root")
fi

cmake --fresh -S "$root" -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DORVELLE_TESTS=OFF >/dev/null
cmake --build "$build_dir" --clean-first --target orvelle_setup >/dev/null

exe=$build_dir/app/orvelle_setup.exe
signed=$build_dir/app/orvelle_setup-signed.exe
hash=$(sha256sum <"$exe" | cut -d' ' -f1)
versions=$(compiler_versions)
echo "built with: $(paste -sd, <<<"$versions" | sed 's/,/, /g')"
echo "size: $(stat -c %s "$exe") bytes"
echo "$hash  $exe"
case $mode in
    update)
        # The signature stays only with the bytes it was made for.
        signed_hash=
        if [ -f "$sums" ] && [ -f "$signature" ] && grep -qx "$hash  orvelle_setup.exe" "$sums"; then
            signed_hash=$(signed_sha256 "$sums")
        elif [ -f "$signature" ]; then
            rm "$signature"
            echo "removed $signature, made for other bytes: sign the new ones with tools/release.sh --sign"
        fi
        write_sums "$sums" "$hash" "$versions" "$signed_hash" && echo "recorded in $sums"
        ;;
    check)
        check_sums "$sums" "$hash" "$versions" || exit $?
        check_signature "$sums" "$signature" "$exe" "$signed" "$ca_file" || exit $?
        ;;
    sign)
        check_sums "$sums" "$hash" "$versions" >/dev/null || {
            echo "FAILED: these are not the bytes recorded in $sums; sign only those (tools/release.sh --check)"
            exit 1
        }
        if [ -n "$password_file" ]; then
            sign_release "$exe" "$p12" "$password_file" "$sign_time" "$tsa_url" "$signed" "$signature"
        else
            # Read here rather than by osslsigncode, which takes no password from a terminal
            # without echoing it; handed over through a pipe, never as an argument.
            [ ! -t 0 ] || printf 'password of %s: ' "$p12" >&2
            IFS= read -rs password || [ -n "$password" ]
            [ ! -t 0 ] || echo >&2
            sign_release "$exe" "$p12" <(printf '%s\n' "$password") "$sign_time" "$tsa_url" "$signed" "$signature"
            password=
        fi
        write_sums "$sums" "$hash" "$versions" "$(sha256sum <"$signed" | cut -d' ' -f1)"
        echo "signed: $signed"
        echo "recorded in $sums; the signature in $signature"
        check_signature "$sums" "$signature" "$exe" "$build_dir/app/orvelle_setup-attached.exe" "$ca_file"
        ;;
esac
