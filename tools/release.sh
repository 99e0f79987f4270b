#!/usr/bin/env bash
# Builds the release executable afresh in a folder of its own and prints its size and
# SHA-256, to compare with a copy received from elsewhere. The same sources give the same
# bytes in any folder and at any time, with the same compiler packages (printed too).
#   tools/release.sh [BUILD_DIR]            prints the figures
#   tools/release.sh --update [BUILD_DIR]   records them in release/SHA256SUMS
#   tools/release.sh --check [BUILD_DIR]    compares them with release/SHA256SUMS
# BUILD_DIR: default build-release/ beside the sources. The check's exit status: 0 the same
# bytes, 1 other bytes from the same compiler packages, 2 no record or a malformed one,
# 3 other compiler packages than those recorded, which may give other bytes without a fault.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
mode=print
case ${1:-} in
    --update | --check) mode=${1#--} && shift ;;
esac
build_dir=${1:-$root/build-release}
sums=$root/release/SHA256SUMS
. "$root/tools/packages.sh"
. "$root/tools/release-sums.sh"
install_packages cmake ninja-build "${release_compilers[@]}"

cmake --fresh -S "$root" -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DORVELLE_TESTS=OFF >/dev/null
cmake --build "$build_dir" --clean-first --target orvelle_setup >/dev/null

exe=$build_dir/app/orvelle_setup.exe
hash=$(sha256sum <"$exe" | cut -d' ' -f1)
versions=$(compiler_versions)
echo "built with: $(paste -sd, <<<"$versions" | sed 's/,/, /g')"
echo "size: $(stat -c %s "$exe") bytes"
echo "$hash  $exe"
case $mode in
    update) write_sums "$sums" "$hash" "$versions" && echo "recorded in $sums" ;;
    check) check_sums "$sums" "$hash" "$versions" || exit $? ;;
esac
