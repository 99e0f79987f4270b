# Sourced after wine-env.sh: create_wine_prefix LOG makes $WINEPREFIX once.
create_wine_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return
    printf '== creating the Wine prefix %s (once, a few minutes)\n' "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >"$1" 2>&1
    local reg=("$WINE_LOADER" reg.exe add)
    # The classic look, as on a Windows without visual styles: Wine's theme draws some
    # controls (the progress bar) in its own colours whatever the program asks.
    "${reg[@]}" 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /t REG_SZ /d 0 /f >>"$1" 2>&1
    # The installer's faces, with the metrics of the fonts Windows ships: text takes the
    # room the layout gives it.
    "${reg[@]}" 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >>"$1" 2>&1
    "${reg[@]}" 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif' /f \
        >>"$1" 2>&1
    wineserver -w
}
