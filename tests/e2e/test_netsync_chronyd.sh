#!/bin/sh
# The automatic time synchronization under Wine against chronyd on
# 127.0.0.1: the real clock (which may not be set: the whole script runs
# without that right, and chronyd with clock control off), the registry
# and the event log beside the program. Checks the log line of the first
# pass, the stored LastSynchTime, that a second pass within the interval
# asks nobody, that interval 0 asks again, and that with logging off
# nothing is logged. chronyd is stopped by its PID whatever happens.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
: "${PW_BUILD_DIR:=$PW_WIN_BUILD}"
: "${WINEPREFIX:=$PW_PREFIXES/wineprefix}"
export WINEPREFIX WINEDEBUG=-all

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"

. "$here/chrony-lib.sh"
key='HKCU\Software\Corvane Software\Plenwick'
values="TimeServers AutoSynchTime AutoSynchInterval MaxCorrection LogNetTime LastSynchTime"
work=$(mktemp -d)
cleanup() {
    chrony_stop
    for v in $values; do
        "$root/scripts/wine-run" reg delete "$key" /v "$v" /f >/dev/null 2>&1 || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAILED: $*" >&2
    if [ -f "$work/plenwk.log" ]; then
        echo "log:" >&2
        cat -A "$work/plenwk.log" >&2
    fi
    exit 1
}

chrony_start "$work"
port=$CHRONY_PORT
chrony_reference >/dev/null
echo "chronyd on port $port"

# The server list with blank lines and blanks around the name, as a user
# may leave it; reg.exe cannot write line breaks, so it goes in as a .reg
# file with the text in UTF-16.
python3 - "$work/servers.reg" <<'PY'
import sys
text = "\r\n  127.0.0.1 \r\n\r\n"
data = (text + "\0").encode("utf-16-le")
with open(sys.argv[1], "w", encoding="utf-16") as f:
    f.write("Windows Registry Editor Version 5.00\r\n\r\n")
    f.write("[HKEY_CURRENT_USER\\Software\\Corvane Software\\Plenwick]\r\n")
    f.write('"TimeServers"=hex(1):' + ",".join("%02x" % b for b in data) + "\r\n")
PY
"$root/scripts/wine-run" regedit /S "$work/servers.reg" >/dev/null 2>&1

dword() {
    "$root/scripts/wine-run" reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
}
dword AutoSynchTime 1
dword LogNetTime 1
dword AutoSynchInterval 24
dword MaxCorrection 60
"$root/scripts/wine-run" reg delete "$key" /v LastSynchTime /f >/dev/null 2>&1 || true

cp "$PW_BUILD_DIR/netsync_tool.exe" "$work/"
tool() {
    "$root/scripts/wine-run" "$work/netsync_tool.exe" "$@" 2>&1 | tr -d '\r'
}
lines() {
    if [ -f "$work/plenwk.log" ]; then wc -l < "$work/plenwk.log"; else echo 0; fi
}
cr=$(printf '\r')
corrected=" - NetTime: [+-] 0 days, 00:00:00 from 127.0.0.1$cr\$"

# First pass: never synchronized, so due.
out=$(tool auto "$port")
echo "$out"
printf '%s\n' "$out" | grep -q '^connected: yes' || fail "Windows reports no Internet connection"
[ "$(lines)" -eq 1 ] || fail "first pass: expected one log line"
grep -q "$corrected" "$work/plenwk.log" || fail "first pass: no correction line"
echo "log: $(tr -d '\r' < "$work/plenwk.log")"
since=$(tool since)
echo "$since"
printf '%s\n' "$since" | awk '/^since: / { exit !($2 >= 0 && $2 < 120) } END { if (NR == 0) exit 1 }' \
    || fail "stored LastSynchTime is not the time of the pass"

# Within the 24 hours: nobody is asked, nothing is logged.
tool auto "$port" >/dev/null
[ "$(lines)" -eq 1 ] || fail "second pass within the interval logged something"

# Interval 0: due again as soon as the time has moved on.
dword AutoSynchInterval 0
tool auto "$port" >/dev/null
[ "$(lines)" -eq 2 ] || fail "interval 0: expected a second line"
[ "$(grep -c "$corrected" "$work/plenwk.log")" -eq 2 ] || fail "interval 0: second line is no correction"

# Logging off: the pass still synchronizes and records, but logs nothing.
# The stored text has whole seconds, so the pass waits for the next one.
dword LogNetTime 0
stored() {
    "$root/scripts/wine-run" reg query "$key" /v LastSynchTime 2>/dev/null | tr -d '\r' | grep LastSynchTime
}
before=$(stored)
sleep 1.1
tool auto "$port" >/dev/null
after=$(stored)
[ "$(lines)" -eq 2 ] || fail "logging off: a line was logged"
[ -n "$after" ] && [ "$after" != "$before" ] || fail "logging off: LastSynchTime not renewed ($before; $after)"
echo "ok"
