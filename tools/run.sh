#!/usr/bin/env bash
# Installs what is missing, builds, and starts the installer under Wine. Without a
# display of its own it runs on a virtual one.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${ORVELLE_BUILD:-$root/build}
"$root/tools/setup.sh" "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    . "$root/tools/virtual-display.sh"
    start_virtual_display
    trap stop_virtual_display EXIT
    echo "no display: running on the virtual display $DISPLAY"
fi
exec_status=0
"$root/tools/wine-run" "$build_dir" "$build_dir/app/orvelle_setup.exe" || exec_status=$?
echo "the installer ended with exit code $exec_status"
exit $exec_status
