# Sourced after wine-env.sh: create_wine_prefix LOG makes $WINEPREFIX once, and gives it
# (or a prefix made before) what Wine draws with.
create_wine_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] || make_wine_prefix "$1"
    add_marlett_face
}

make_wine_prefix() {
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

# Wine draws window parts (the close box, scroll arrows, check marks) with the Marlett face,
# and without it shows letters in their place ("r" for the close box's cross). Debian's
# fonts-wine holds it in a folder this Wine does not read; it reads the prefix's Fonts.
marlett_face=/usr/share/wine/fonts/marlett.ttf
add_marlett_face() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    [ -f "$fonts/marlett.ttf" ] && return
    mkdir -p "$fonts"
    cp "$marlett_face" "$fonts/"
}
