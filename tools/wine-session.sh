# Sourced after wine-env.sh: start_wine_session starts, until the script exits, what a run
# of the build's Windows programs needs: a virtual display, one wineserver for the whole
# session (a fresh one per program would cost seconds each), and Wine's own background
# processes (services, and the desktop process, which only starts when a program first asks
# for the desktop window), detached from the caller's output: started by a test program,
# they would keep its output pipe open after it ends.
. "$(dirname "${BASH_SOURCE[0]}")/virtual-display.sh"

# How long a server left by an earlier run may take to end by itself: one lingers a few
# seconds after its last program ends.
wine_server_wait_s=30

end_wine_session() {
    wineserver -k 2>/dev/null || true
    stop_virtual_display
}

# A persistent server, or the one already running for the prefix. `wineserver -p` fails
# while another server runs: a lingering one would end in the middle of the session, and
# the next program would start a server and background processes that hold its output
# open, so it is waited for. One that does not end (an interrupted run leaves a persistent
# server) keeps serving, as it would any Wine program of the prefix.
start_wine_server() {
    wineserver -p 2>/dev/null && return
    printf '== a wineserver of %s is still running: waiting up to %s s for it to end\n' \
        "$WINEPREFIX" $wine_server_wait_s
    if timeout $wine_server_wait_s wineserver -w; then
        wineserver -p
        return
    fi
    printf '== it goes on running: this run uses it (end it with: WINEPREFIX=%q wineserver -k)\n' "$WINEPREFIX"
}

start_wine_session() {
    trap end_wine_session EXIT
    start_virtual_display
    start_wine_server
    "$WINE_LOADER" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
}
