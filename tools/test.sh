#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on a virtual
# display. Extra arguments go to ctest (for example -R Strings).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${ORVELLE_BUILD:-$root/build}
"$root/tools/setup.sh" "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

. "$root/tools/wine-env.sh" "$build_dir"
. "$root/tools/virtual-display.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    stop_virtual_display
}
trap cleanup EXIT
start_virtual_display
# One server for the whole run: a fresh one per test program would cost seconds each.
wineserver -p

ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"
