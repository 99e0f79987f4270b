#!/usr/bin/env bash
# Prepares a Debian machine and the build folder: installs what is missing (packages, the
# i386 architecture, a way to start 32-bit programs, the Wine prefix), then configures
# and builds. Safe to run again: each step is skipped when already done.
#   tools/setup.sh [BUILD_DIR]     (default: build/ beside the sources)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
build_dir=${1:-$root/build}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

say() { printf '== %s\n' "$*"; }
. "$root/tools/packages.sh"

packages=(cmake ninja-build gcc g++-mingw-w64-i686-posix googletest osslsigncode openssl
          wine wine32:i386 wine64 xvfb xauth x11-apps imagemagick fonts-liberation fonts-wine fp-utils libchm-bin python3)

# Some kernels (or sandboxes) cannot start 32-bit programs, and Wine's 32-bit loader is
# one. There, qemu-user runs it, with a small preloaded library that keeps Wine's start
# fast (tools/wine/noreplace.c).
enable_32bit_programs() {
    local binfmt=/proc/sys/fs/binfmt_misc
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        say "32-bit programs do not start natively: running them through qemu-user"
        dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'install ok installed' ||
            as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user-static
        [ -e $binfmt/register ] || as_root mount -t binfmt_misc binfmt_misc $binfmt
        [ -e $binfmt/qemu-i386 ] ||
            printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
            as_root tee $binfmt/register >/dev/null
        /usr/lib/wine/wine --version >/dev/null
    fi
    grep -qx enabled $binfmt/qemu-i386 2>/dev/null || return 0
    local shim=$build_dir/wine-shim/lib
    [ -f "$shim/i386-linux-gnu/noreplace.so" ] && return
    mkdir -p "$shim/i386-linux-gnu" "$shim/x86_64-linux-gnu"
    gcc -m32 -O2 -fPIC -shared -nostdlib -o "$shim/i386-linux-gnu/noreplace.so" "$root/tools/wine/noreplace.c"
    gcc -O2 -fPIC -shared -nostdlib -o "$shim/x86_64-linux-gnu/noreplace.so" "$root/tools/wine/empty.c"
}

configure_and_build() {
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        say "configuring $build_dir"
        cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
    fi
    say "building"
    cmake --build "$build_dir"
}

install_packages "${packages[@]}"
enable_32bit_programs
configure_and_build
. "$root/tools/wine-env.sh"
. "$root/tools/wine-prefix.sh"
create_wine_prefix "$build_dir/wineboot.log"
