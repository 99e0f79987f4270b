#!/usr/bin/env bash
# wine_prefix_test.sh SOURCE_DIR
# A Wine prefix made before the scripts gave prefixes the Marlett face gets it when a
# script next prepares it, with the bytes of the face Debian ships; the prefix itself is
# not made again.
set -uo pipefail

src=$(cd "${1:?source folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

export WINEPREFIX=$work/prefix
mkdir -p "$WINEPREFIX/drive_c/windows"
echo "WINE REGISTRY Version 2" >"$WINEPREFIX/system.reg"
. "$src/tools/wine-prefix.sh"
create_wine_prefix "$work/wineboot.log"

face=$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf
if ! cmp -s /usr/share/wine/fonts/marlett.ttf "$face"; then
    echo "FAILED: expected $face with the bytes of /usr/share/wine/fonts/marlett.ttf, got: $(ls -l "$face" 2>&1)"
    status=1
fi
if [ -e "$work/wineboot.log" ]; then
    echo "FAILED: the existing prefix was made again"
    status=1
fi
exit $status
