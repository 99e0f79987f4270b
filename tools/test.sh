#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on a virtual
# display. Extra arguments go to ctest (for example -R Strings).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${ORVELLE_BUILD:-$root/build}
"$root/tools/setup.sh" "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

. "$root/tools/wine-env.sh"
. "$root/tools/virtual-display.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    stop_virtual_display
}
trap cleanup EXIT
start_virtual_display
# One server for the whole run: a fresh one per test program would cost seconds each.
wineserver -p
# Start Wine's own background processes (services, and the desktop process, which only
# starts when a program first asks for the desktop window) now, detached from ctest's output
# pipes: started by a test program, they would keep its pipe open after it ends.
"$build_dir/wine-run" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1

ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"
