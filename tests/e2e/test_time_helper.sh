#!/bin/sh
# The time helper as an administrator installs it and a standard user's
# program uses it, in a fresh Wine prefix:
# - its setup installs it silently over a policy an administrator wrote
#   before (kept; the missing value gets its default), and Wine's service
#   manager starts the service, whose configuration holds the LocalService
#   account, the delayed automatic start and the one privilege;
# - the user's program, without the right to set the clock, asks its own
#   server, which answers 30 minutes ahead so that Wine refuses the set as
#   Windows refuses a standard user; "Connect now", clicked, then makes the
#   helper ask its own server (chronyd) and set the clock: its call is
#   recorded at the Win32 level, with chronyd's time, by a test DLL that
#   Wine's loader puts into the service with its imports (Wine 8 loads no
#   AppInit_DLLs); its log line, the program's log line and its message
#   say so;
# - silent, flooding, deaf and crowding clients on the pipe do not keep a
#   STATUS from being answered, and the clock is set at most once a minute;
# - the per-user setup with /S /TIMEHELPER runs the helper's setup again
#   over the running service, which runs again with the policy kept;
# - the silent uninstaller leaves no service, no files and no HKLM entry,
#   and keeps the policy and the log; told so, it removes those too.
# Both servers are on the NTP port of 127.0.0.1, the only port the SNTP
# client asks: the server ahead answers the user's program itself and
# passes every other request on to chronyd, and chronyd's answer back.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
. "$(dirname "$0")/chrony-lib.sh"

chrony_start "$E2E_WORK"
E2E_SERVERS="$E2E_SERVERS $CHRONY_PID"
chrony_reference >/dev/null || e2e_fail "no time server"
e2e_ntp_ahead plenwick.exe "$CHRONY_PORT"

# A prefix of its own: the helper goes into the machine's part of it.
e2e_setup_prefix
run() { "$E2E_RUN" "$@" 2>/dev/null | tr -d '\r'; }
reg_has_key() { "$E2E_RUN" reg query "$1" >/dev/null 2>&1; }
check_value() {  # key name expected
    _got=$(e2e_reg_value "$1" "$2")
    [ "$_got" = "$3" ] || e2e_fail "$1 $2 is \"$_got\", expected \"$3\""
}
service_state() {  # RUNNING, STOPPED ... or nothing
    run sc query PlenwickTime | awk '$1 == "STATE" { print $4 }'
}
v=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PW_BUILD_DIR/CMakeCache.txt")
setup="$PW_BUILD_DIR/plenwick-time-setup-$v.exe"
[ -f "$setup" ] || e2e_fail "$setup is not built"
for f in set_time_recorder.dll time_pipe_clients.exe; do
    cp "$PW_BUILD_DIR/$f" "$E2E_WORK/" || e2e_fail "$f is not built"
done
policy='HKLM\Software\Corvane Software\Plenwick\TimeHelper'
service_key='HKLM\System\CurrentControlSet\Services\PlenwickTime'

# --- the user's program, without the right, its own server far ahead -----
e2e_reg_dword LogNetTime 1
e2e_reg_string TimeServers 127.0.0.1
e2e_reg_apply
# It also keeps Wine's services running: Wine ends them with the last
# program of the prefix.
e2e_start
e2e_wait_clock

# --- an administrator's policy, then the setup over it ----------------------
"$E2E_RUN" reg add "$policy" /v TimeServers /t REG_SZ /d 127.0.0.1 /f >/dev/null 2>&1 || e2e_fail "reg add"
# Only when asked: the one correction the run sees is the click's.
"$E2E_RUN" reg add "$policy" /v SynchInterval /t REG_DWORD /d 0 /f >/dev/null 2>&1 || e2e_fail "reg add"
# A 32-bit setup in a 64-bit prefix installs into the 32-bit Program Files
# folder and writes its Uninstall entry into the 32-bit registry view; the
# policy stays in the 64-bit view, where an administrator's tools put it.
if [ "$PW_FLAVOUR" = win32 ] && [ -d "$WINEPREFIX/drive_c/Program Files (x86)" ]; then
    progvar='%ProgramFiles(x86)%'
    uninst_key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\PlenwickTime'
else
    progvar='%ProgramFiles%'
    uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\PlenwickTime'
fi
progfiles=$(run cmd /c echo "$progvar")
inst=$(run winepath -u "$progfiles\\Plenwick Time Helper")
inst=${inst%/}

# --- the recorder, there before the service first starts ---------------------
# Beside the helper as the one DLL it imports for a single call, and
# preferred there by Wine's loader for that program alone: loaded with the
# helper's imports, it needs no thread in the service, which the emulator
# that runs the 32-bit helper here does not survive.
mkdir -p "$inst"
cp "$E2E_WORK/set_time_recorder.dll" "$inst/wininet.dll"
loader_key='HKCU\Software\Wine\AppDefaults\plenwick-time.exe\DllOverrides'
"$E2E_RUN" reg add "$loader_key" /v wininet /t REG_SZ /d native,builtin /f >/dev/null 2>&1 || e2e_fail "reg add"
record="$inst/set_time_recorder.txt"
recorder_out() {  # the service's own DLL again, as a user has it
    rm -f "$inst/wininet.dll" "$record"
    "$E2E_RUN" reg delete "$loader_key" /f >/dev/null 2>&1 || e2e_fail "reg delete"
}
"$E2E_RUN" "$setup" /S >/dev/null 2>&1 || e2e_fail "the time helper's setup failed"
for f in plenwick-time.exe uninstall.exe; do
    [ -f "$inst/$f" ] || e2e_fail "$f is not installed in $inst"
done
cmp -s "$inst/plenwick-time.exe" "$PW_BUILD_DIR/plenwick-time.exe" || e2e_fail "the installed helper is not the built one"
check_value "$uninst_key" DisplayName "Plenwick Time Helper"
check_value "$uninst_key" QuietUninstallString "\"$progfiles\\Plenwick Time Helper\\uninstall.exe\" /S"
check_value "$policy" TimeServers 127.0.0.1
check_value "$policy" SynchInterval 0x0
check_value "$policy" MaxCorrection 0x3c

# --- the service as the service manager holds it -----------------------------
# (tests/e2e/test_time_helper_service.sh reads back the rest.)
check_value "$service_key" ObjectName 'NT AUTHORITY\LocalService'
check_value "$service_key" DelayedAutostart 0x1
check_value "$service_key" RequiredPrivileges 'SeSystemtimePrivilege\0SeChangeNotifyPrivilege'
check_value "$service_key" ImagePath "\"$progfiles\\Plenwick Time Helper\\plenwick-time.exe\""
i=0
until [ "$(service_state)" = RUNNING ]; do
    i=$((i + 1))
    [ $i -le $((30 * E2E_SLOW)) ] || e2e_fail "the service is $(service_state), not running"
    sleep 1
done
printf 'service: running as %s, privileges %s\n' "$(e2e_reg_value "$service_key" ObjectName)" \
    "$(e2e_reg_value "$service_key" RequiredPrivileges)"

grep -q '^attached ' "$record" 2>/dev/null || e2e_fail "the recorder is not in the service"

# --- "Connect now", clicked ----------------------------------------------------
e2e_driver command settings
e2e_driver wait '#32770' "$E2E_DIALOG" "$((30 * E2E_SLOW))000" >/dev/null || e2e_fail "the settings dialog did not open"
e2e_page 2
state_line() { e2e_driver text "$E2E_DIALOG" "$(e2e_rid IDC_LBL_TIMEHELPER)"; }
i=0
until state_line | grep -q '^Time helper: running'; do
    i=$((i + 1))
    [ $i -le $((40 * E2E_SLOW)) ] || e2e_fail "the net-time group says \"$(state_line)\""
    sleep 0.5
done
before_line=$(state_line)
clicked=$(date -u +%s.%N)
e2e_click IDC_BUT_CONNECTNOW
e2e_wait_box 60
box=$(e2e_driver text Plenwick 65535 | tr -d '\n')
e2e_screenshot "$E2E_WORK/connect-now.png"
[ -z "${PW_E2E_SHOT:-}" ] || cp "$E2E_WORK/connect-now.png" "$PW_E2E_SHOT"
case "$box" in
    "Time corrected by: "*" from 127.0.0.1 (by the time helper)") ;;
    *) e2e_fail "the program's message: $box" ;;
esac
xdotool key Return

sets=$(tr -d '\r' <"$record" | grep -c '^SetSystemTime ' || true)
[ "$sets" = 1 ] || e2e_fail "the helper set the clock $sets times: $(tr -d '\r' <"$record" | tr '\n' ';')"
asked=$(tr -d '\r' <"$record" | sed -n 's/^SetSystemTime //p')
# What the helper asked for against this machine's clock at the click:
# chronyd serves that clock, so within the exchange's own few seconds.
apart=$(python3 -c "
import datetime, sys
t = datetime.datetime.strptime(sys.argv[1], '%Y-%m-%d %H:%M:%S.%f').replace(tzinfo=datetime.timezone.utc)
print('%.3f' % (t.timestamp() - float(sys.argv[2])))" "$asked" "$clicked")
awk -v d="$apart" -v s="$E2E_SLOW" 'BEGIN { exit !(d > -1 && d < 5 * s) }' ||
    e2e_fail "the helper set $asked UTC, $apart s from the click"
grep -q '^ahead .*plenwick\.exe' "$E2E_WORK/ahead.log" || e2e_fail "the user's program did not ask its own server"
grep -q '^relayed .*plenwick-time\.exe' "$E2E_WORK/ahead.log" || e2e_fail "the helper did not ask its server: $(cat "$E2E_WORK/ahead.log")"

helper_log="$WINEPREFIX/drive_c/ProgramData/Plenwick/time-helper.log"
[ -f "$helper_log" ] || e2e_fail "no helper log at $helper_log"
helper_line=$(tr -d '\r' <"$helper_log" | grep 'NetTime: ' | tail -n 1)
case "$helper_line" in
    *" - NetTime: "?" 0 days, 00:00:0"?" from 127.0.0.1") ;;
    *) e2e_fail "the helper's log line: $helper_line" ;;
esac
e2e_wait_log "(by the time helper)"
program_line=$(e2e_log_lines | grep 'NetTime: ' | tail -n 1)
case "$program_line" in
    *" - NetTime: "?" 0 days, 00:00:0"?" from 127.0.0.1 (by the time helper)") ;;
    *) e2e_fail "the program's log line: $program_line" ;;
esac
echo "Connect now: \"$box\"; the helper set $asked UTC ($apart s after the click)"
echo "helper log: ${helper_line#* - }; program log: ${program_line#* - }"
echo "net-time group before: $before_line"

# --- clients that misbehave, against the running service -------------------
"$E2E_RUN" "$E2E_WORK/time_pipe_clients.exe" '\\.\pipe\PlenwickTime' >"$E2E_WORK/clients.out" 2>&1 ||
    { tr -d '\r' <"$E2E_WORK/clients.out" >&2; e2e_fail "the helper stopped answering"; }
tr -d '\r' <"$E2E_WORK/clients.out"
grep -q '^STATUS answered in [0-9]* ms: .*clockSet=1' "$E2E_WORK/clients.out" || e2e_fail "no STATUS of the correction"
# At most once a minute, whoever asks: a client's SYNC a minute after the
# click (it may come so late through the emulator) is a new attempt.
# Each set is the server's time at the end of its attempt, so two sets
# are at least a minute apart less one exchange.
gaps=$(tr -d '\r' <"$record" | sed -n 's/^SetSystemTime //p' | python3 -c "
import datetime, sys
t = [datetime.datetime.strptime(l.strip(), '%Y-%m-%d %H:%M:%S.%f') for l in sys.stdin if l.strip()]
print(' '.join('%.1f' % (b - a).total_seconds() for a, b in zip(t, t[1:])))")
for g in $gaps; do
    awk -v g="$g" 'BEGIN { exit !(g >= 55) }' ||
        e2e_fail "the helper set the clock again $g s after the last time: $(tr -d '\r' <"$record" | tr '\n' ';')"
done
echo "sets of the clock so far: $(tr -d '\r' <"$record" | grep -c '^SetSystemTime ')"
[ "$(service_state)" = RUNNING ] || e2e_fail "the service is $(service_state) after the clients"

# --- the per-user setup, told to bring the helper along, over the running one --
# It ends the running program and starts its own installed copy again, and
# stops the service to replace its file and starts it again.
"$E2E_RUN" "$PW_BUILD_DIR/plenwick-setup-$v.exe" /S /TIMEHELPER >/dev/null 2>&1 || e2e_fail "the per-user setup failed"
[ "$(service_state)" = RUNNING ] || e2e_fail "the service is $(service_state) after the per-user setup"
check_value "$uninst_key" DisplayVersion "$v"
check_value "$policy" TimeServers 127.0.0.1
e2e_wait_clock

# --- the uninstaller, silent ---------------------------------------------------
recorder_out
"$E2E_RUN" "$inst/uninstall.exe" /S >/dev/null 2>&1 || e2e_fail "the uninstaller failed"
# It goes on from a copy of itself.
i=0
while reg_has_key "$uninst_key" || [ -e "$inst" ]; do
    i=$((i + 1))
    [ $i -le $((60 * E2E_SLOW)) ] || e2e_fail "the uninstaller did not finish"
    sleep 1
done
[ -f "$helper_log" ] || e2e_fail "a silent uninstall removed the helper's log"
# Wine deletes a service marked for deletion when its service manager
# ends, with the last program of the prefix.
e2e_exit
"$PW_WINESERVER" -w
! reg_has_key "$service_key" || e2e_fail "the uninstaller left the service"
[ -z "$(service_state)" ] || e2e_fail "the service manager still knows the service"
check_value "$policy" TimeServers 127.0.0.1

# --- the uninstaller as an administrator answers "Yes" to removing the rest ---
"$E2E_RUN" "$setup" /S >/dev/null 2>&1 || e2e_fail "the time helper's setup failed again"
e2e_uninstall_yes "$inst/uninstall.exe" "Plenwick Time Helper Uninstall"
! reg_has_key "$policy" || e2e_fail "the uninstaller kept the policy it was told to remove"
! reg_has_key 'HKLM\Software\Corvane Software' || e2e_fail "the uninstaller left the policy's parent keys"
[ ! -e "$(dirname "$helper_log")" ] || e2e_fail "the uninstaller kept the log it was told to remove"
! reg_has_key "$service_key" || e2e_fail "the uninstaller left the service"
e2e_pass
