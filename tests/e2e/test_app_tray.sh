#!/bin/sh
# plenwick.exe from the registry, as a user starts it and uses its clock
# and tray icon:
# - a reminder and a program due in the current minute fire on the first
#   pass, the caption counts the schedules, the banner opens the log;
# - a short date form the user chooses in the regional settings while it
#   runs is on the clock at once (PW_E2E_SHOTS=dir keeps screenshots of the
#   clock before and after the change there);
# - the icon's menu opens at the cursor (screenshot of it, kept as
#   clock-tray.png in the build directory or $PW_SCREENSHOT), "Minimize to
#   tray" hides the clock and a double-click on the icon brings it back
#   where it was; a double-click on the clock, with the mouse, opens the
#   settings dialog;
# - "Exit" stores where the user dragged the window;
# - a start in the tray shows no window until "Restore", which puts it at
#   the stored position.
# One start serves the first three: through the emulator each start takes
# a minute.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
shot=${PW_SCREENSHOT:-$PW_BUILD_DIR/clock-tray.png}

clock_rect() { e2e_driver rect PlenwickClock; }

# Early in a minute that is not :00 (a program started in minute :00
# skips it).
e2e_clock_early
# Through the emulator the program takes a minute and more to start, and
# several on a busy machine: the schedules are then due half an hour on,
# and the clock is moved to just before them once its passes have begun.
due=$(( $(e2e_now) + (E2E_SLOW > 1 ? 1800 : 0) ))
today=$(date -d "@$due" +%d/%m/%Y)
tomorrow=$(date -d "@$((due + 86400))" +%d/%m/%Y)
now=$(date -d "@$due" +%H:%M):00
probe_out="$E2E_WORK/probe.txt"
probe_cmd="$(e2e_winpath "$E2E_WORK/launch_probe.exe") $(e2e_winpath "$probe_out")"

e2e_reg_dword LogReminders 1
e2e_reg_dword LogLaunches 1
e2e_reg_dword SystemBeep 0
e2e_reg_dword Left 200
e2e_reg_dword Top 150
e2e_reg_schedule Call ScheduleType=dword:1 "Message=Ring back" "StartDate=$today" "StartTime=$now"
e2e_reg_schedule Probe ScheduleType=dword:0 "Message=$probe_cmd" "StartDate=$today" "StartTime=$now" \
    WindowState=hidden
e2e_reg_schedule Later ScheduleType=dword:1 "Message=Not yet" "StartDate=$tomorrow" "StartTime=$now"
e2e_reg_apply

e2e_start
e2e_wait_clock
# The first pass, which counts the schedules in the caption.
e2e_driver wait PlenwickClock "Schedules: " $((70000 * E2E_SLOW)) >/dev/null || e2e_fail "no first pass"
if [ "$E2E_SLOW" -gt 1 ]; then
    e2e_clock_set "@$(( due / 60 * 60 - 5 ))"
fi
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

set -- $(clock_rect)
[ "$1 $2 $3 $5" = "200 150 112 1" ] || e2e_fail "clock window at $*"

# The regional settings changed as the control panel changes them: the
# value in the registry, then the news to every window. The clock's date
# line follows without a restart.
intl='HKEY_CURRENT_USER\Control Panel\International'
short_date=$(e2e_reg_value "$intl" sShortDate)
[ -n "$short_date" ] || e2e_fail "no short date form in the regional settings"
cp "$PW_WIN_TOOLS/regional_settings.exe" "$E2E_WORK/" || e2e_fail "regional_settings.exe is not built"
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
# And back, as a restart would read it: the schedules' stored dates are
# texts in the user's form, and the rest of this story reads them.
"$E2E_RUN" "$E2E_WORK/regional_settings.exe" sShortDate "$short_date" >/dev/null ||
    e2e_fail "the short date form could not be put back"
i=0
while [ "$(date_line)" != "$before" ]; do
    i=$((i + 1))
    [ $i -le $((20 * E2E_SLOW)) ] || e2e_fail "the clock's date line did not go back to the first short date form"
    sleep 0.5
done
# Closed once read, as a person closes it: the screenshot shows the clock
# and its menu alone.
e2e_driver close PlenwickReminders >/dev/null

# Wine's stand-in for the notification area sits at the top left; the menu
# opens where the cursor is, below the clock.
xdotool mousemove 230 215
e2e_driver tray rclick
e2e_driver menu-open 10000 || e2e_fail "the tray icon's menu did not open"
sleep 0.3
e2e_screenshot "$shot"
e2e_driver menu-close
sleep 0.3

e2e_driver command tray
sleep $(( E2E_SLOW / 2 )).5
[ "$(clock_rect)" = "200 150 112 $(clock_rect | cut -d' ' -f4) 0" ] || e2e_fail "after Minimize to tray: $(clock_rect)"
e2e_driver move PlenwickClock 400 300  # where the hidden window was put meanwhile
e2e_driver tray dblclick
sleep $(( E2E_SLOW / 2 )).5
set -- $(clock_rect)
[ "$1 $2 $5" = "400 300 1" ] || e2e_fail "after Restore: $*"
# The time line, below the caption, where a person double-clicks.
xdotool mousemove $(($1 + $3 / 2)) $(($2 + $4 - 12)) click --repeat 2 --delay 80 1
e2e_wait_window "$E2E_DIALOG" || e2e_fail "a double-click on the clock did not open the settings"

# Where the user dragged it is where it is stored at exit.
e2e_driver move PlenwickClock 333 222
e2e_exit
[ "$(e2e_reg_get Left)" = 0x14d ] || e2e_fail "Left is $(e2e_reg_get Left)"
[ "$(e2e_reg_get Top)" = 0xde ] || e2e_fail "Top is $(e2e_reg_get Top)"

e2e_reg_dword StartMinimized 1
e2e_reg_dword Left 20
e2e_reg_dword Top 30
e2e_reg_apply
e2e_start
i=0
until clock_rect >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le $((60 * E2E_SLOW)) ] || e2e_fail "no clock window at a start in the tray"
    sleep 0.5
done
sleep $E2E_SLOW
set -- $(clock_rect)
[ "$5" = 0 ] || e2e_fail "the clock is visible after a start in the tray"
e2e_driver command restore
e2e_wait_clock
set -- $(clock_rect)
[ "$1 $2 $3" = "20 30 112" ] || e2e_fail "restored from a start in the tray at $*"
e2e_exit
echo "screenshot: $shot"
e2e_pass
