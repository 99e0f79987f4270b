#!/usr/bin/env bash
# Installs what is missing, builds, and shows the installer at work in a demo Wine prefix
# whose registry names a demo host folder, C:\PureBasic\, which also holds files of the
# superseded library for the installer to remove. With a display the installer opens for
# you; without one, a full English installation is driven on a virtual display and
# screenshots of the window before and after it are saved.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
build_dir=${ORVELLE_BUILD:-$root/build}
"$root/tools/setup.sh" "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
demo=$build_dir/demo

export ORVELLE_WINEPREFIX=$demo/wineprefix
. "$root/tools/wine-env.sh"
. "$root/tools/wine-prefix.sh"
. "$root/tools/wine-session.sh"
create_wine_prefix "$demo/wineboot.log"
trap end_wine_session EXIT
[ -n "${DISPLAY:-}" ] || start_virtual_display
start_wine_server
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# A fresh host at each run, with an older install of the sibling library.
host=$WINEPREFIX/drive_c/PureBasic
rm -rf "$host"
mkdir -p "$host/Help" "$host/PureLibraries/UserLibraries" "$host/Residents" "$host/Examples/Lumora/Samples"
for old in Help/Lumora.chm PureLibraries/UserLibraries/Lumora Residents/Lumora.res Examples/Lumora/Samples/Old.pb; do
    printf 'superseded\r\n' >"$host/$old"
done
"$WINE_LOADER" reg.exe add 'HKCR\Applications\PureBasic.exe\shell\open\command' /ve /t REG_SZ \
    /d '"C:\PureBasic\PureBasic.exe" "%1"' /f >/dev/null
# Without a display, the demo runs in a desktop window of Wine's own, which draws the
# title bars that no window manager draws there.
desktop=(HKCU\\Software\\Wine\\Explorer /v Desktop)
if [ -n "${virtual_display_pid:-}" ]; then
    "$WINE_LOADER" reg.exe add "${desktop[@]}" /t REG_SZ /d Default /f >/dev/null
    "$WINE_LOADER" reg.exe add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null
else
    "$WINE_LOADER" reg.exe delete "${desktop[@]}" /f >/dev/null 2>&1 || true
fi

status=0
if [ -z "${virtual_display_pid:-}" ]; then
    echo "the installer opens on $DISPLAY; its host folder is C:\\PureBasic\\ of the demo prefix"
    "$WINE_LOADER" "$build_dir/app/orvelle_setup.exe" || status=$?
    echo "the installer ended with exit code $status"
else
    echo "no display: a full English installation on the virtual display $DISPLAY"
    "$WINE_LOADER" "$build_dir/tools/driver/demo_driver.exe" "$(windows_path "$build_dir/app/orvelle_setup.exe")" \
        "$(windows_path "$demo/before.bmp")" "$(windows_path "$demo/after.bmp")" || status=$?
    for shot in before after; do
        [ -f "$demo/$shot.bmp" ] && convert "$demo/$shot.bmp" "$demo/$shot.png" && rm "$demo/$shot.bmp" &&
            echo "screenshot: $demo/$shot.png"
    done
fi
echo "C:\\PureBasic\\ now holds:"
(cd "$host" && find . -type f -printf '  %10s  %P\n' | sort -k2)
exit $status
