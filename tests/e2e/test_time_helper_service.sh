#!/bin/sh
# The time helper service under Wine's service manager, without its setup:
# "/install" enters it with its account, delayed automatic start, its two
# privileges and its restarts (read back from the service's key, as the
# service manager reads them at boot); started, it answers the user's side
# of the pipe, asks the one server of its policy (127.0.0.1; whether
# anything answers there is up to other runs) and logs the attempt in the
# program data folder; "/uninstall"
# stops it, and once the service manager has ended nothing of it is left.
# A prefix of the run's own, so no other run sees the service.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
: "${PW_BUILD_DIR:=$PW_WIN_BUILD}"
export WINEDEBUG=-all

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"

# A prefix of the run's own, copied from the quiet template
# (scripts/wine-run), so no other run sees the service; made now, before
# the helper's files go into it.
work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
"$root/scripts/wine-run" cmd /c exit >/dev/null 2>&1 || true
# One Wine session for the whole run. Between two short programs Wine may
# begin to end the session, and a program started then can fail without a
# word, or meet a service manager that is stopping and starting the
# automatic services again.
timeout 3000 "$root/scripts/wine-run" cmd /c "ping -n 3000 127.0.0.1 >nul" >/dev/null 2>&1 &
holder=$!
cleanup() {
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    "$PW_WINESERVER" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
fail() {
    echo "FAILED: $*" >&2
    [ ! -f "$log" ] || { echo "helper log:" >&2; cat "$log" >&2; }
    exit 1
}
run() { "$root/scripts/wine-run" "$@"; }

dir='C:\Program Files (x86)\Plenwick Time'
unixdir="$WINEPREFIX/drive_c/Program Files (x86)/Plenwick Time"
exe="$dir\\plenwick-time.exe"
service='HKLM\System\CurrentControlSet\Services\PlenwickTime'
log="$WINEPREFIX/drive_c/ProgramData/Plenwick/time-helper.log"
ask() { run "$PW_BUILD_DIR/helper_ask.exe" "$@" | tr -d '\r'; }
value() { "$root/scripts/reg-value" "$service" "$1"; }

mkdir -p "$unixdir"
cp "$PW_BUILD_DIR/plenwick-time.exe" "$unixdir/"
# The policy first: Wine starts automatic services with its next session,
# and the helper must ask nobody but 127.0.0.1.
policy='HKLM\Software\Corvane Software\Plenwick\TimeHelper'
run reg add "$policy" /v TimeServers /t REG_SZ /d 127.0.0.1 /f >/dev/null
run reg add "$policy" /v SynchInterval /t REG_DWORD /d 0 /f >/dev/null
run reg add "$policy" /v MaxCorrection /t REG_DWORD /d 60 /f >/dev/null

[ "$(ask state)" = not-installed ] || fail "a service before the install"
run "$exe" /install 2>"$work/install.err" || fail "/install: $(cat "$work/install.err")"

# What the service manager starts it with at boot.
while read -r name expected; do
    got=$(value "$name")
    [ "$got" = "$expected" ] || fail "$name is \"$got\", not \"$expected\""
done <<EXPECTED
ObjectName NT AUTHORITY\\LocalService
Start 0x2
DelayedAutostart 0x1
RequiredPrivileges SeSystemtimePrivilege\\0SeChangeNotifyPrivilege
FailureActions 80510100000000000000000003000000140000000100000060EA00000100000060EA00000100000060EA0000
ImagePath "$exe"
EXPECTED

# A started service reports "running" from its own thread, after the
# service manager has answered the start.
run net start PlenwickTime >/dev/null 2>&1 || true
i=0
until [ "$(ask state)" = running ]; do
    i=$((i + 1))
    [ $i -le 120 ] || fail "the service is not running"
    sleep 1
done

status=$(ask STATUS)
echo "$status" | grep -qx 'attempted=0' || fail "a status before any attempt: $status"
sync=$(ask SYNC 20000)
echo "$sync" | grep -qx 'attempted=1' || fail "SYNC made no attempt: $sync"
echo "$sync" | grep -qx 'server=127.0.0.1' || fail "SYNC asked another server: $sync"
grep -q ' - NetTime: .*127\.0\.0\.1' "$log" || fail "no log line of the attempt"
[ "$(ask 'SYNC 12:00 pool.ntp.org')" = "no reply" ] || fail "a request with a time and a server was answered"

run net stop PlenwickTime >/dev/null 2>&1 || true
[ "$(ask state)" = stopped ] || fail "the service did not stop"
run "$exe" /uninstall 2>"$work/uninstall.err" || fail "/uninstall: $(cat "$work/uninstall.err")"
# Wine deletes a service marked for deletion when its service manager
# ends, Windows when the last handle to it closes.
kill "$holder" 2>/dev/null || true
holder=
"$PW_WINESERVER" -w
run reg query "$service" >/dev/null 2>&1 && fail "the service's key is still there"
[ "$(ask state)" = not-installed ] || fail "the service is still installed"
echo "time helper service: install, status, sync, stop and uninstall under Wine's service manager"
