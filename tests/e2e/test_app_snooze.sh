#!/bin/sh
# A reminder put off for a minute with the Snooze button: the window hides,
# the registry holds it, and it comes back once at its minute with the note
# "(snoozed at ...)" even though the program was ended and started again
# meanwhile (the run's clock moved on to its minute); the log records the
# snooze and both showings.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_clock_early
due_minute=$(e2e_date +%H:%M)
e2e_reg_dword SystemBeep 0
e2e_reg_dword LogReminders 1
e2e_reg_schedule Standup ScheduleType=dword:1 "Message=Stand up" "StartDate=$(e2e_date +%d/%m/%Y)" \
    "StartTime=$due_minute:00"
e2e_reg_apply
e2e_start
e2e_wait_window "Reminders: 1"

# The keyboard reaches the button: Tab from the text goes to Snooze.
e2e_click 0 "" "Reminders: 1"
xdotool key Tab
sleep 0.3
[ "$(e2e_driver focus "Reminders: 1")" = "$(e2e_rid IDC_BUT_SNOOZE)" ] || e2e_fail "Tab does not reach Snooze"

# 1 minute typed into the field, then the button clicked.
e2e_click IDC_EDT_SNOOZE "" "Reminders: 1"
xdotool key End BackSpace BackSpace BackSpace BackSpace 1
sleep 0.3
[ "$(e2e_driver text "Reminders: 1" "$(e2e_rid IDC_EDT_SNOOZE)")" = 1 ] || e2e_fail "the minutes field does not read 1"
snoozed_at=$(e2e_date +%H:%M)
e2e_click IDC_BUT_SNOOZE "" "Reminders: 1"
set -- $(e2e_driver rect PlenwickReminders)
[ "$5" = 0 ] || e2e_fail "the reminder window did not hide"

snoozes=$("$E2E_RUN" reg query "$E2E_KEY\\Snoozed" 2>/dev/null | tr -d '\r' | grep REG_SZ || true)
[ "$(printf '%s\n' "$snoozes" | grep -c '||Stand up||.*(snoozed at '"$snoozed_at"')||Standup$')" = 1 ] ||
    e2e_fail "the registry does not hold the snooze: $snoozes"
e2e_wait_log "Snoozed:Standup Until:"
[ "$(e2e_reg_get SnoozeMinutes)" = 0x1 ] || e2e_fail "SnoozeMinutes is not kept"

# Ended, and started again before its minute but after the schedule's
# own, which a start within that minute would show again.
e2e_exit
e2e_clock_minute 61
e2e_start
e2e_wait_clock
e2e_wait_window "Reminders: 1" 150
text=$(e2e_driver text "Reminders: 1" 0)
case $text in
    *"(snoozed at $snoozed_at)"*"1.Stand up"*) ;;
    *) e2e_fail "the reminder came back without its note: $text" ;;
esac
[ "$("$E2E_RUN" reg query "$E2E_KEY\\Snoozed" 2>/dev/null | tr -d '\r' | grep -c REG_SZ)" = 0 ] ||
    e2e_fail "the snooze is still stored after it came back"
# On time; or, where a slow start passed its minute, once as missed.
[ "$(e2e_log_lines | grep -ic 'reminder:Standup .*Message:1.Stand up$')" = 2 ] || e2e_fail "not two reminder lines"
[ "$(e2e_log_lines | grep -c 'Snoozed:Standup Until:')" = 1 ] || e2e_fail "not one snooze line"

# Alt+S puts it off again, with one note, the new one.
e2e_click 0 "" "Reminders: 1"
xdotool key alt+s
sleep 0.5
set -- $(e2e_driver rect PlenwickReminders)
[ "$5" = 0 ] || e2e_fail "Alt+S did not snooze"
again=$("$E2E_RUN" reg query "$E2E_KEY\Snoozed" 2>/dev/null | tr -d '\r' | grep REG_SZ || true)
[ "$(printf '%s\n' "$again" | grep -o '(snoozed at' | wc -l)" = 1 ] || e2e_fail "not one note after Alt+S: $again"
e2e_exit
e2e_pass
