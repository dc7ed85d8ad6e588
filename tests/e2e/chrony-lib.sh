# A time server for the tests: chronyd with clock control off (-x), serving
# this machine's own clock on 127.0.0.1 only. Sourced by the net time tests.
#
#   chrony_start DIR [PORT]   starts it (a free high port when none is
#                             given); sets CHRONY_PID and CHRONY_PORT
#   chrony_reference          chronyd's own one-shot measurement of the
#                             offset, in seconds; also waits until the
#                             server answers (fails after about 5 s)
#   chrony_stop               ends it by its PID
# The caller runs without the right to set the clock and calls chrony_stop
# from its exit trap.

PATH="$PATH:/usr/sbin:/sbin"
CHRONY_PID=""

chrony_start() {
    CHRONY_DIR=$1
    CHRONY_PORT=${2:-$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')}
    cat > "$CHRONY_DIR/chrony.conf" <<CONF
port $CHRONY_PORT
bindaddress 127.0.0.1
allow 127.0.0.1
cmdport 0
bindcmdaddress /
local stratum 10
pidfile $CHRONY_DIR/chronyd.pid
CONF
    chronyd -x -d -u root -f "$CHRONY_DIR/chrony.conf" >"$CHRONY_DIR/chronyd.log" 2>&1 &
    CHRONY_PID=$!
}

chrony_reference() {
    _ref=""
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        _out=$(chronyd -Q -u root -t 3 "pidfile $CHRONY_DIR/reference.pid" "bindcmdaddress /" \
            "server 127.0.0.1 port $CHRONY_PORT iburst maxsamples 1" 2>&1 || true)
        _ref=$(printf '%s\n' "$_out" | sed -n 's/.*wrong by \([-+0-9.e]*\) seconds.*/\1/p' | head -n 1)
        [ -n "$_ref" ] && break
        kill -0 "$CHRONY_PID" 2>/dev/null || break
        sleep 0.5
    done
    if [ -z "$_ref" ]; then
        echo "chronyd did not answer" >&2
        cat "$CHRONY_DIR/chronyd.log" >&2
        return 1
    fi
    printf '%s\n' "$_ref"
}

chrony_stop() {
    if [ -n "$CHRONY_PID" ]; then
        kill "$CHRONY_PID" 2>/dev/null || true
        wait "$CHRONY_PID" 2>/dev/null || true
        CHRONY_PID=""
    fi
}
