#!/bin/sh
# plenwick.exe while it runs: a schedule changed with "reg add" and another
# added the same way both fall due at the next minute, as if the program
# had read them then. The run's clock is moved to just before that minute.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

SCHEDULES="$E2E_KEY\\Schedules"
e2e_clock_early
tomorrow=$(date -d "@$(( $(e2e_now) + 86400 ))" +%d/%m/%Y)

e2e_reg_dword LogReminders 1
e2e_reg_dword SystemBeep 0
e2e_reg_schedule Edited ScheduleType=dword:1 "Message=Was tomorrow" "StartDate=$tomorrow" StartTime=09:00:00
e2e_reg_apply

e2e_start
e2e_wait_clock
# The first pass has read the schedules.
e2e_wait_caption "Schedules: 1"

# Well before the minute the changes are for: the clock stands there
# only when they are all made.
next=$(( $(e2e_now) / 60 * 60 + 120 ))
at=$(date -d "@$next" '+%d/%m/%Y %H:%M')
day=${at% *}
minute=${at#* }
reg_add() {
    "$E2E_RUN" reg add "$SCHEDULES\\$1" /v "$2" /d "$3" /f >/dev/null 2>&1 || e2e_fail "reg add $1 $2"
}
reg_add Edited StartDate "$day"
reg_add Edited StartTime "$minute:00"
reg_add Edited Message "Moved to now"
reg_add Added StartDate "$day"
reg_add Added StartTime "$minute:00"
reg_add Added Message "Added while running"
e2e_clock_set "@$((next - 5))"

e2e_wait_window "Reminders: 2" 90
# In the walk's order, which is the store's: by name.
e2e_wait_log "Reminder:Added Message:1.Added while running"
e2e_wait_log "Reminder:Edited Message:2.Moved to now"
# Fired in that minute, not later.
for name in Edited Added; do
    line=$(e2e_log_lines | grep -F "Reminder:$name ")
    case "$line" in
        "$day $minute:"*) ;;
        *) e2e_fail "the reminder of $name came at: $line" ;;
    esac
done
caption=$(e2e_driver caption PlenwickClock)
[ "$caption" = "Schedules: 2" ] || e2e_fail "caption is \"$caption\""
e2e_screenshot "${PW_E2E_SHOTS:-$E2E_WORK}/schedule-edits.png"
e2e_exit
e2e_pass
