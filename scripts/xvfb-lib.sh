# Virtual display helpers, sourced by scripts and tests.
# xvfb_start picks a free display number, starts Xvfb on it, waits until
# it answers and exports DISPLAY; xvfb_stop ends it by its PID.

xvfb_start() {
    n=${PW_XVFB_DISPLAY:-90}
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
        n=$((n + 1))
    done
    Xvfb ":$n" -screen 0 "${PW_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    PW_XVFB_PID=$!
    export DISPLAY=":$n"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ]; do
        i=$((i + 1))
        if [ $i -gt 100 ] || ! kill -0 "$PW_XVFB_PID" 2>/dev/null; then
            echo "Xvfb did not start on :$n" >&2
            return 1
        fi
        sleep 0.1
    done
}

xvfb_stop() {
    if [ -n "${PW_XVFB_PID:-}" ]; then
        kill "$PW_XVFB_PID" 2>/dev/null || true
        wait "$PW_XVFB_PID" 2>/dev/null || true
        PW_XVFB_PID=
    fi
}
