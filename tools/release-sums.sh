# Sourced: the file release/SHA256SUMS, which records the release executable's SHA-256
# with the versions of the compiler packages that built it, so that anyone can check a
# copy (with sha256sum -c, which skips the comment lines) or a build of their own.

# The packages whose files make the executable's bytes: compilers, runtime, linker, import
# libraries and headers.
release_compilers=(binutils-mingw-w64-i686 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
                   gcc-mingw-w64-i686-posix-runtime mingw-w64-i686-dev)

# "NAME VERSION" lines, in the order of the names.
compiler_versions() {
    dpkg-query -W -f='${Package} ${Version}\n' "${release_compilers[@]}"
}

# write_sums FILE HASH VERSIONS [SIGNED_HASH]: SIGNED_HASH is that of the same bytes with
# the committed signature attached, published as orvelle_setup-signed.exe.
write_sums() {
    {
        echo "# The release executable built from the committed sources by tools/release.sh with the"
        echo "# compiler packages below; other versions may give other bytes. To check a copy, run"
        echo "# sha256sum -c --ignore-missing SHA256SUMS in the folder that holds it (with this file"
        echo "# copied there)."
        sed 's/^/# package /' <<<"$3"
        echo "$2  orvelle_setup.exe"
        [ -z "${4:-}" ] || echo "$4  orvelle_setup-signed.exe"
    } >"$1"
}

# check_sums FILE HASH VERSIONS: says how a build compares with FILE. Status 0 the same
# bytes; 1 other bytes from the same packages, a fault; 2 no record, or one without its
# SHA-256 line or package lines, a fault (nothing to compare with is never a pass); 3 other
# bytes from other packages, which may give other bytes without a fault.
check_sums() {
    local recorded recorded_versions
    if [ ! -f "$1" ]; then
        echo "FAILED: no release record at $1"
        return 2
    fi
    recorded=$(sed -n 's/^\([0-9a-f]\{64\}\)  orvelle_setup\.exe$/\1/p' "$1")
    recorded_versions=$(sed -n 's/^# package //p' "$1")
    if [ -z "$recorded" ] || [ "$(wc -l <<<"$recorded")" -ne 1 ] || [ -z "$recorded_versions" ]; then
        echo "FAILED: $1 is not a release record: it needs one SHA-256 line for orvelle_setup.exe and"
        echo "the \"# package\" lines of the compiler packages that built it (tools/release.sh --update)."
        return 2
    fi
    if [ "$2" = "$recorded" ]; then
        echo "the same bytes as recorded in $1"
        [ "$3" = "$recorded_versions" ] || echo "(built with other compiler packages than those recorded)"
        return 0
    fi
    echo "other bytes than recorded in $1 ($recorded)"
    if [ "$3" != "$recorded_versions" ]; then
        echo "not a fault: these compiler packages differ from those recorded, and other versions may give other bytes:"
        diff <(echo "$recorded_versions") <(echo "$3") | sed -n 's/^</  recorded:/p; s/^>/  here:    /p'
        return 3
    fi
    echo "FAILED: the same compiler packages built other bytes. After a change to the product, record"
    echo "its new bytes with tools/release.sh --update in the same commit."
    return 1
}
