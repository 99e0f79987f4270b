# Sourced after wine-env.sh: start_wine_session starts, until the script exits, what a run
# of the build's Windows programs needs: a virtual display, one wineserver for the whole
# session (a fresh one per program would cost seconds each), and Wine's own background
# processes (services, and the desktop process, which only starts when a program first asks
# for the desktop window), detached from the caller's output: started by a test program,
# they would keep its output pipe open after it ends.
. "$(dirname "${BASH_SOURCE[0]}")/virtual-display.sh"

end_wine_session() {
    wineserver -k 2>/dev/null || true
    stop_virtual_display
}

start_wine_session() {
    trap end_wine_session EXIT
    start_virtual_display
    wineserver -p
    "$WINE_LOADER" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
}
