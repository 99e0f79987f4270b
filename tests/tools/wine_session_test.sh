#!/usr/bin/env bash
# wine_session_test.sh SOURCE_DIR
# The scripts' session start with a wineserver already running for their prefix: none (one
# is started), one that ends while they wait (they start their own), one that goes on (they
# use it and say so); and a failing command in a script names itself instead of ending the
# script without a word. Each case has a Wine prefix of its own, in which only wineserver
# runs.
set -uo pipefail

src=$(cd "${1:?source folder}" && pwd)
work=$(mktemp -d)
status=0
fail() {
    echo "FAILED: $*"
    status=1
}
# Whether a server runs for $WINEPREFIX: waiting for its end times out while it does.
server_ended() { timeout 1 wineserver -w; }
server_runs() { ! server_ended; }
# Runs the command given until it succeeds; false after 60 s.
wait_until() {
    local deadline=$((SECONDS + 60))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.01
    done
}
new_prefix() {
    export WINEPREFIX=$work/$1
    mkdir -p "$WINEPREFIX"
}
end_case() {
    wineserver -k 2>/dev/null
    wait_until server_ended || fail "$1: the server does not end"
}
trap 'end_case "cleanup"; rm -rf "$work"' EXIT

. "$src/tools/wine-session.sh"

# The output goes to files: a server keeps the standard error it was started with, and would
# hold a pipe open.
start_server_into() { start_wine_server >"$work/$1.txt" 2>&1; }
said() { cat "$work/$1.txt"; }
leave_server_running() { wineserver -p >/dev/null 2>&1; }

new_prefix none
start_server_into none || fail "no server: status $?"
[ -z "$(said none)" ] || fail "no server: expected no output, got: $(said none)"
server_runs || fail "no server: none was started"
end_case "no server"

new_prefix ending
leave_server_running
start_server_into ending &
starter=$!
waiting="== a wineserver of $WINEPREFIX is still running: waiting up to 30 s for it to end"
wait_until grep -qsxF -- "$waiting" "$work/ending.txt" || fail "ending server: no word of the wait"
wineserver -k
wait $starter || fail "ending server: status $?"
[ "$(said ending)" = "$waiting" ] || fail "ending server: expected only \"$waiting\", got: $(said ending)"
server_runs || fail "ending server: no server of its own was started"
end_case "ending server"

new_prefix going-on
leave_server_running
wine_server_wait_s=1 start_server_into going-on || fail "server going on: status $?"
expected="== a wineserver of $WINEPREFIX is still running: waiting up to 1 s for it to end
== it goes on running: this run uses it (end it with: WINEPREFIX=$WINEPREFIX wineserver -k)"
[ "$(said going-on)" = "$expected" ] || fail "server going on: expected \"$expected\", got \"$(said going-on)\""
server_runs || fail "server going on: it does not run any more"
end_case "server going on"

printf '. "%s/tools/fail-loudly.sh"\nhelper() { grep -q absent /dev/null; echo never; }\nhelper\necho never\n' "$src" \
    >"$work/stops.sh"
out=$(bash "$work/stops.sh" 2>&1)
code=$?
[ $code -eq 1 ] || fail "failing command: expected status 1, got $code"
[ "$out" = 'stops.sh: stopped: "grep -q absent /dev/null" failed with status 1' ] ||
    fail "failing command: expected its name and status, got \"$out\""
exit $status
