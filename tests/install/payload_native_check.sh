#!/usr/bin/env bash
# Checks the payload files with real tools of the build machine, not with our own code:
#   payload_native_check.sh help  PAYLOAD_DIR   the help files open in a CHM reader (libchm)
#   payload_native_check.sh image PAYLOAD_DIR   ImageMagick reads the bitmaps as intended
# Prints what was expected and what came, and exits 1, when a fact is wrong.
set -uo pipefail

what=${1:?help or image}
dir=${2:?payload folder}
failures=0

fail() {
    printf 'FAILED: %s\n' "$*"
    failures=$((failures + 1))
}

# The CHM reader must list every page and the table of contents and index, and give back a
# command page's text.
check_help() {
    local file=$1 title=$2 listing name work
    if ! listing=$(enum_chmLib "$dir/$file" 2>&1); then
        fail "$file: enum_chmLib cannot read it: $listing"
        return
    fi
    for name in /index.html /SetVantrel.html /GetVantrel.html /ResetVantrel.html /Orvelle.hhc /Orvelle.hhk; do
        grep -q "[[:space:]]$name\$" <<<"$listing" || fail "$file: expected $name in the reader's listing, got:
$listing"
    done
    work=$(mktemp -d)
    if extract_chmLib "$dir/$file" "$work" >/dev/null 2>&1; then
        grep -q "<h1>SetVantrel</h1>" "$work/SetVantrel.html" 2>/dev/null ||
            fail "$file: expected the heading <h1>SetVantrel</h1> in the extracted SetVantrel.html"
        grep -q "<h2>$title</h2>" "$work/SetVantrel.html" 2>/dev/null ||
            fail "$file: expected the section <h2>$title</h2> in the extracted SetVantrel.html"
    else
        fail "$file: extract_chmLib cannot extract it"
    fi
    rm -rf "$work"
}

# identify's view of a bitmap: format, size, storage class, channels, bits per channel and
# palette length ("-" when there is none).
describe() {
    local facts colormap
    facts=$(identify -format '%m %wx%h %r %[channels] %z' "$1" 2>&1) || { echo "unreadable: $facts"; return; }
    colormap=$(identify -verbose "$1" 2>/dev/null | sed -n 's/^ *Colormap entries: *//p')
    echo "$facts palette ${colormap:--}"
}

check_image() {
    local file=$1 expected=$2 got
    got=$(describe "$dir/$file" | tr -s ' ')
    [ "$got" = "$expected" ] || fail "$file: expected '$expected', identify gave '$got'"
}

case $what in
help)
    check_help help_fr.chm "Syntaxe"
    check_help help_en.chm "Syntax"
    ;;
image)
    # 8 bits per pixel with 256 palette entries; 24 bits per pixel as three 8-bit channels.
    check_image logo.bmp "BMP3 546x99 PseudoClass sRGB srgb 8 palette 256"
    check_image button.bmp "BMP3 16x16 DirectClass sRGB srgb 8 palette -"
    ;;
*)
    echo "unknown check: $what" >&2
    exit 2
    ;;
esac

[ $failures -eq 0 ] && echo "all $what facts hold"
[ $failures -eq 0 ]
