# Sourced by the real-host tests: the host under a display of its own, and
# both stopped however the test ends. The sourcing script sets `work`
# (where the display's log goes) and defines `fail`; it starts the host
# itself and keeps its process id in host_pid.

xvfb_pid=""
host_pid=""
# Ends a process by its id: politely first, by force when it stays.
stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.5
    done
    kill -9 "$1" 2>/dev/null
}
cleanup() {
    [ -z "$host_pid" ] || stop "$host_pid"
    [ -z "$xvfb_pid" ] || stop "$xvfb_pid"
}
trap cleanup EXIT
# The shell runs no EXIT trap when a signal ends it: stop the display and
# the host then too.
trap 'cleanup; exit 1' INT TERM HUP PIPE

# Starts Xvfb on a free display, exports DISPLAY, and waits until the
# display answers.
start_display() {
    display=""
    for number in $(seq 91 140); do
        if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then
            display=":$number"
            break
        fi
    done
    [ -n "$display" ] || fail "no free X display"
    Xvfb "$display" -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY="$display"
    waited=0
    until xdpyinfo >/dev/null 2>&1; do
        waited=$((waited + 1))
        [ "$waited" -lt 30 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        sleep 1
    done
}
