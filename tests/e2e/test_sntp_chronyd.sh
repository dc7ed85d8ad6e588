#!/bin/sh
# The Windows SNTP client under Wine against chronyd on 127.0.0.1.
# chronyd runs with clock control off (-x) on a free high port, the whole
# script without the right to set the clock; the server is stopped by its
# PID whatever happens.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
: "${PW_BUILD_DIR:=$root/build/win32}"

bnd=$(awk '/^CapBnd:/ {print $2}' /proc/self/status)
if [ $(( 0x$bnd >> 25 & 1 )) -eq 1 ]; then
    exec capsh --drop=cap_sys_time -- -c 'exec sh "$0" "$@"' "$0" "$@"
fi

PATH="$PATH:/usr/sbin:/sbin"
work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/chrony.conf" <<CONF
port $port
bindaddress 127.0.0.1
allow 127.0.0.1
cmdport 0
bindcmdaddress /
local stratum 10
pidfile $work/chronyd.pid
CONF
chronyd -x -d -u root -f "$work/chrony.conf" >"$work/chronyd.log" 2>&1 &
pid=$!

# chronyd's own measurement, which also tells when the server answers.
reference=""
for _ in 1 2 3 4 5 6 7 8 9 10; do
    out=$(chronyd -Q -u root -t 3 "pidfile $work/reference.pid" "bindcmdaddress /" \
        "server 127.0.0.1 port $port iburst maxsamples 1" 2>&1 || true)
    reference=$(printf '%s\n' "$out" | sed -n 's/.*wrong by \([-+0-9.e]*\) seconds.*/\1/p' | head -n 1)
    [ -n "$reference" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
done
if [ -z "$reference" ]; then
    echo "chronyd did not answer" >&2
    cat "$work/chronyd.log" >&2
    exit 1
fi
echo "chronyd on port $port, chronyd -Q offset $reference s"

PW_CHRONYD_PORT=$port PW_REFERENCE_OFFSET=$reference WINEDEBUG=-all \
    "$root/scripts/wine-run" "$PW_BUILD_DIR/pw_wintests.exe" --gtest_filter='ChronydUnderWine.*' >"$work/run.log" 2>&1 || status=$?
cat "$work/run.log"
grep -q 'PASSED.*2 tests' "$work/run.log" && [ "${status:-0}" -eq 0 ]
