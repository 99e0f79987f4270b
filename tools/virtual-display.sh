# Sourced: starts Xvfb on a free display number and exports DISPLAY; stop_virtual_display
# ends it.
start_virtual_display() {
    local n
    for n in $(seq 90 150); do
        [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || break
    done
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    virtual_display_pid=$!
    for _ in $(seq 50); do
        [ -e /tmp/.X11-unix/X$n ] && break
        sleep 0.1
    done
    export DISPLAY=:$n
}

stop_virtual_display() {
    [ -n "${virtual_display_pid:-}" ] && kill "$virtual_display_pid" 2>/dev/null || true
}
