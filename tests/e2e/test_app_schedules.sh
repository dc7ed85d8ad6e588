#!/bin/sh
# plenwick.exe from the registry: a reminder and a program due in the
# current minute fire on the first pass, the caption counts the schedules,
# the banner opens the log, a short date form the user chooses in the
# regional settings while it runs is on the clock at once, and "Exit"
# stores the window's position. PW_E2E_SHOTS=dir keeps screenshots of the
# clock before and after the change there.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_wait_for_minute_start 40
# Through the emulator the program takes a minute and more to start: the
# schedules are then due three minutes on, when its passes have begun.
due=$(( $(date +%s) + (E2E_SLOW > 1 ? 180 : 0) ))
today=$(date -d "@$due" +%d/%m/%Y)
tomorrow=$(date -d "@$((due + 86400))" +%d/%m/%Y)
now=$(date -d "@$due" +%H:%M):00
probe_out="$E2E_WORK/probe.txt"
probe_cmd="$(e2e_winpath "$E2E_WORK/launch_probe.exe") $(e2e_winpath "$probe_out")"

e2e_reg_dword LogReminders 1
e2e_reg_dword LogLaunches 1
e2e_reg_dword SystemBeep 0
e2e_reg_dword Left 150
e2e_reg_dword Top 120
e2e_reg_schedule Call ScheduleType=dword:1 "Message=Ring back" "StartDate=$today" "StartTime=$now"
e2e_reg_schedule Probe ScheduleType=dword:0 "Message=$probe_cmd" "StartDate=$today" "StartTime=$now" \
    WindowState=hidden
e2e_reg_schedule Later ScheduleType=dword:1 "Message=Not yet" "StartDate=$tomorrow" "StartTime=$now"
e2e_reg_apply

e2e_start
e2e_wait_clock
e2e_wait_window "Reminders: 1"
e2e_wait_log "Reminder:Call Message:1.Ring back"
e2e_wait_log "Schedule:Probe Program:$probe_cmd"
i=0
while [ ! -f "$probe_out" ]; do
    i=$((i + 1))
    [ $i -le $((200 * E2E_SLOW)) ] || e2e_fail "the launched program wrote no file"
    sleep 0.1
done

caption=$(e2e_driver caption PlenwickClock)
[ "$caption" = "Schedules: 3" ] || e2e_fail "caption is \"$caption\""

first=$(e2e_log_lines | head -n 1)
case "$first" in
    *" - "*) e2e_fail "the first log line is not the banner: $first" ;;
    "$today "??:??:??" Started Plenwick -------------------------") ;;
    *) e2e_fail "the first log line is \"$first\"" ;;
esac
[ "$(e2e_log_lines | grep -c 'Reminder:')" -eq 1 ] || e2e_fail "more than one reminder line"

set -- $(e2e_driver rect PlenwickClock)
[ "$1 $2 $3 $5" = "150 120 112 1" ] || e2e_fail "clock window at $*"

# The regional settings changed as the control panel changes them: the
# value in the registry, then the news to every window. The prefix's own
# form is put back at the end, also when a check fails.
intl='HKEY_CURRENT_USER\Control Panel\International'
short_date=$(e2e_reg_value "$intl" sShortDate)
[ -n "$short_date" ] || e2e_fail "no short date form in the regional settings"
cp "$PW_WIN_TOOLS/regional_settings.exe" "$E2E_WORK/" || e2e_fail "regional_settings.exe is not built"
trap '"$E2E_RUN" "$E2E_WORK/regional_settings.exe" sShortDate "$short_date" >/dev/null 2>&1; e2e_cleanup' EXIT
date_line() { e2e_driver band PlenwickClock 0 40; }
before=$(date_line)
[ -z "${PW_E2E_SHOTS:-}" ] || e2e_screenshot "$PW_E2E_SHOTS/clock-date-before.png"
"$E2E_RUN" "$E2E_WORK/regional_settings.exe" sShortDate yyyy-MM-dd >/dev/null ||
    e2e_fail "the short date form could not be changed"
i=0
while [ "$(date_line)" = "$before" ]; do
    i=$((i + 1))
    [ $i -le $((20 * E2E_SLOW)) ] || e2e_fail "the clock's date line did not follow the new short date form"
    sleep 0.5
done
[ -z "${PW_E2E_SHOTS:-}" ] || e2e_screenshot "$PW_E2E_SHOTS/clock-date-after.png"

# Where the user dragged it is where it is stored at exit.
e2e_driver move PlenwickClock 333 222
e2e_exit
[ "$(e2e_reg_get Left)" = 0x14d ] || e2e_fail "Left is $(e2e_reg_get Left)"
[ "$(e2e_reg_get Top)" = 0xde ] || e2e_fail "Top is $(e2e_reg_get Top)"
e2e_pass
