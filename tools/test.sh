#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on a virtual
# display. Extra arguments go to ctest (for example -R Strings).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
build_dir=${ORVELLE_BUILD:-$root/build}
"$root/tools/setup.sh" "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

. "$root/tools/wine-env.sh"
. "$root/tools/wine-session.sh"
start_wine_session

# Failed tests are ctest's own report, not a failure of this script.
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@" || exit $?
