#!/usr/bin/env bash
# Builds the release executable afresh in a folder of its own and prints its size and
# SHA-256, to compare with a copy received from elsewhere. The same sources give the same
# bytes in any folder and at any time, with the same compiler packages (printed too).
#   tools/release.sh [BUILD_DIR]     (default: build-release/ beside the sources)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
build_dir=${1:-$root/build-release}
. "$root/tools/packages.sh"
toolchain=(cmake ninja-build g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev)
install_packages "${toolchain[@]}"

cmake --fresh -S "$root" -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DORVELLE_TESTS=OFF >/dev/null
cmake --build "$build_dir" --clean-first --target orvelle_setup >/dev/null

exe=$build_dir/app/orvelle_setup.exe
echo "built with: $(dpkg-query -W -f='${Package} ${Version}, ' "${toolchain[@]:2}" | sed 's/, $//')"
echo "size: $(stat -c %s "$exe") bytes"
sha256sum "$exe"
