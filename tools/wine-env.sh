# Sourced with $build_dir set to the build folder: the environment for running the build's
# Windows programs in the build's own Wine prefix (or ORVELLE_WINEPREFIX), which never
# touches the user's.
export WINEPREFIX="${ORVELLE_WINEPREFIX:-$build_dir/wineprefix}"
export WINEARCH=win64
# No prompts for Mono or Gecko, no menu entries or file associations on the host, and no
# debugger that would wait on a crashed program (and hold the test's output open).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export WINEDEBUG=-all
# The 32-bit loader itself: the wine wrapper script would first start it to find out
# which loader the program needs.
export WINE_LOADER=/usr/lib/wine/wine
if [ -f "$build_dir/wine-shim/lib/i386-linux-gnu/noreplace.so" ]; then
    # $LIB lets the 32-bit and 64-bit loaders each find their own library.
    export QEMU_SET_ENV="LD_PRELOAD=$build_dir/wine-shim/\$LIB/noreplace.so"
fi
