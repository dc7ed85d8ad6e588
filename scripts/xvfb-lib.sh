# Virtual display helpers, sourced by scripts and tests.
# xvfb_start starts Xvfb on a free display number, waits until it answers
# and exports DISPLAY; xvfb_stop ends it by its PID.
# Xvfb chooses the number itself (-displayfd) and says it once it listens:
# runs started side by side never race for the same one.

xvfb_start() {
    _pw_xvfb_fifo=$(mktemp -u "${TMPDIR:-/tmp}/pw-xvfb.XXXXXX")
    mkfifo "$_pw_xvfb_fifo" || return 1
    Xvfb -displayfd 9 -screen 0 "${PW_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 9>"$_pw_xvfb_fifo" >/dev/null 2>&1 &
    PW_XVFB_PID=$!
    # The number comes when the display is ready; nothing when Xvfb failed.
    n=$(timeout 20 head -n 1 "$_pw_xvfb_fifo" 2>/dev/null || true)
    rm -f "$_pw_xvfb_fifo"
    case "$n" in
        '' | *[!0-9]*)
            echo "Xvfb did not start" >&2
            xvfb_stop
            return 1
            ;;
    esac
    export DISPLAY=":$n"
}

xvfb_stop() {
    if [ -n "${PW_XVFB_PID:-}" ]; then
        kill "$PW_XVFB_PID" 2>/dev/null || true
        wait "$PW_XVFB_PID" 2>/dev/null || true
        PW_XVFB_PID=
    fi
}
