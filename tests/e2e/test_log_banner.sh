#!/bin/sh
# plenwick.exe at start under Wine: with every log switch off it writes no
# banner and creates no log file; with one switch on, the log beside the
# executable gets one banner line.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
: "${PW_BUILD_DIR:=$root/build/win32}"
: "${WINEPREFIX:=$PW_BUILD_DIR/wineprefix}"
export WINEPREFIX WINEDEBUG=-all

bnd=$(awk '/^CapBnd:/ {print $2}' /proc/self/status)
if [ $(( 0x$bnd >> 25 & 1 )) -eq 1 ]; then
    exec capsh --drop=cap_sys_time -- -c 'exec sh "$0" "$@"' "$0" "$@"
fi

key='HKCU\Software\Corvane Software\Plenwick'
work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    for v in LogReminders LogLaunches LogNetTime; do
        "$root/scripts/wine-run" reg delete "$key" /v "$v" /f >/dev/null 2>&1 || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

switches() {
    for pair in "LogReminders:$1" "LogLaunches:$2" "LogNetTime:$3"; do
        "$root/scripts/wine-run" reg add "$key" /v "${pair%%:*}" /t REG_DWORD /d "${pair#*:}" /f >/dev/null 2>&1
    done
}
# Starts the program and gives it up to 20 s to write its log; a program
# that stays up (once it has a window) is then ended by its PID.
start() {
    rm -f "$work/plenwk.log"
    PW_XVFB=1 "$root/scripts/wine-run" "$work/plenwick.exe" >/dev/null 2>&1 &
    pid=$!
    i=0
    while kill -0 "$pid" 2>/dev/null && [ ! -s "$work/plenwk.log" ] && [ $i -lt 200 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    sleep 0.5
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
}

cp "$PW_BUILD_DIR/plenwick.exe" "$work/"

switches 0 0 0
start
if [ -e "$work/plenwk.log" ]; then
    echo "FAILED: a log file with every switch off" >&2
    exit 1
fi

switches 0 0 1
start
[ -f "$work/plenwk.log" ] || { echo "FAILED: no log with LogNetTime on" >&2; exit 1; }
lines=$(wc -l < "$work/plenwk.log")
if [ "$lines" -ne 1 ] || ! grep -q ' Started Plenwick -------------------------'"$(printf '\r')"'$' "$work/plenwk.log"; then
    echo "FAILED: log holds:" >&2
    cat -A "$work/plenwk.log" >&2
    exit 1
fi
echo "banner: ok ($(cat "$work/plenwk.log" | tr -d '\r'))"
