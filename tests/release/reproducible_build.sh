#!/usr/bin/env bash
# reproducible_build.sh SOURCE_DIR
# The release executable is the same, byte for byte, when two copies of the sources in
# folders of different paths are built one after the other (so at different times, here
# also in different time zones and locales) by tools/release.sh; and its PE header holds
# no link time stamp. Prints where the bytes differ when they do.
set -euo pipefail

src=$(cd "${1:?source folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/sources.sh"

# The section (or "headers") holding each of the first differing file offsets.
show_differences() {
    local sections offset name section start size
    sections=$(i686-w64-mingw32-objdump -h "$1" | awk '$1 ~ /^[0-9]+$/ {print $2, $6, $3}')
    { cmp -l "$1" "$2" || true; } | head -n 10 | while read -r offset _ _; do
        offset=$((offset - 1))
        name=headers
        while read -r section start size; do
            # Sections without contents in the file (.bss) have the offset 0.
            [ $((16#$start)) -gt 0 ] && [ $offset -ge $((16#$start)) ] && [ $offset -lt $((16#$start + 16#$size)) ] && name=$section
        done <<<"$sections"
        echo "  byte $offset differs, in $name"
    done
}

first=$work/a
second=$work/second-copy/of/the/sources
copy_sources "$first"
copy_sources "$second"
TZ=UTC LC_ALL=C "$first/tools/release.sh" >/dev/null
TZ=Pacific/Auckland LC_ALL=C.UTF-8 "$second/tools/release.sh" >/dev/null

a=$first/build-release/app/orvelle_setup.exe
b=$second/build-release/app/orvelle_setup.exe
status=0
if ! cmp -s "$a" "$b"; then
    echo "FAILED: the two builds differ ($(stat -c %s "$a") and $(stat -c %s "$b") bytes):"
    show_differences "$a" "$b"
    status=1
fi
# The PE header's TimeDateStamp: 4 bytes, 8 bytes after the header's offset (kept at 0x3C).
pe=$(od -An -tu4 -j60 -N4 "$a" | tr -d ' ')
stamp=$(od -An -tx4 -j$((pe + 8)) -N4 "$a" | tr -d ' ')
if [ "$stamp" != 00000000 ]; then
    echo "FAILED: expected the PE time stamp 00000000, got $stamp"
    status=1
fi
[ $status -eq 0 ] && echo "both builds give $(sha256sum <"$a" | cut -d' ' -f1), no time stamp"
exit $status
