#!/bin/sh
# The settings dialog as a person uses it, with the mouse and the keyboard
# of the virtual display: from an empty registry, open Settings from the
# tray menu, add "Dentist", type its message, set its start to the next
# minute and see the reminder come at that minute (the run's clock moved to
# just before it); rename and delete it
# and see the registry follow; Tab visits every control of the page; Esc
# closes the dialog.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

SCHEDULES="$E2E_KEY\\Schedules"

has_key() {
    "$E2E_RUN" reg query "$SCHEDULES\\$1" >/dev/null 2>&1
}

wait_key() {
    _i=0
    while ! has_key "$1"; do
        _i=$((_i + 1))
        [ $_i -le 40 ] || e2e_fail "no registry key for \"$1\""
        sleep 0.5
    done
}

schedule_value() {
    e2e_reg_value "$SCHEDULES\\$1" "$2"
}

e2e_reg_dword SystemBeep 0
e2e_reg_dword LogReminders 1
e2e_reg_apply
e2e_clock_early
e2e_start
e2e_wait_clock

# Settings, from the tray icon's menu.
e2e_driver tray rclick
e2e_driver menu-open 10000 || e2e_fail "the tray menu did not open"
xdotool key Down Down Down Return
e2e_wait_window "$E2E_DIALOG"

# Add "Dentist".
e2e_click IDC_BUT_ADDSCHED
e2e_wait_window "New Schedule"
xdotool type --delay 50 "Dentist"
xdotool key Return
wait_key Dentist

# Its message, then the start time: a minute to come, typed into the
# picker's hour and minute fields.
e2e_click IDC_EDT_MESSAGE
xdotool type --delay 50 "Dentist at ten"
due=$(( $(e2e_now) / 60 * 60 + 120 ))
next=$(date -d "@$due" +%H:%M)
e2e_click IDC_DT_STARTTIME 8
xdotool type --delay 100 "${next%:*}"
xdotool key Right
xdotool type --delay 100 "${next#*:}"
xdotool key Tab
sleep 1
[ "$(schedule_value Dentist Message)" = "Dentist at ten" ] || e2e_fail "the message was not stored"
[ "$(schedule_value Dentist StartTime)" = "$next:00" ] ||
    e2e_fail "start time $(schedule_value Dentist StartTime), not $next:00"

e2e_clock_set "@$((due - 5))"
e2e_wait_window "Reminders: 1" 30
e2e_wait_log "Dentist at ten" 10

# Rename to "Dentist visit".
e2e_click IDC_BUT_RENAME
e2e_wait_window "Rename schedule"
xdotool key ctrl+a
xdotool type --delay 50 "Dentist visit"
xdotool key Return
wait_key "Dentist visit"
! has_key Dentist || e2e_fail "the old key is still there after Rename"
[ "$(schedule_value "Dentist visit" Message)" = "Dentist at ten" ] || e2e_fail "Rename lost the values"

# Delete it, answering Yes.
e2e_click IDC_BUT_DELSCHED
e2e_wait_window "Delete Schedule"
xdotool key y
_i=0
while has_key "Dentist visit"; do
    _i=$((_i + 1))
    [ $_i -le 40 ] || e2e_fail "Delete left the key"
    sleep 0.5
done

# Tab visits every control of the page once the launch-only and the sound
# controls are enabled.
e2e_click IDC_OPT_LAUNCH
e2e_click IDC_CHK_SCHEDSOUND
e2e_click IDC_CMB_SCHEDULES 4
xdotool key Escape  # closes the list the click opened, not the dialog
seen=" "
i=0
while [ $i -lt 30 ]; do
    xdotool key Tab
    seen="$seen$(e2e_driver focus "$E2E_DIALOG") "
    i=$((i + 1))
done
for name in IDC_CMB_SCHEDULES IDC_BUT_ADDSCHED IDC_BUT_DELSCHED IDC_BUT_RENAME IDC_OPT_LAUNCH \
    IDC_CMB_WINDOWSTATE IDC_EDT_MESSAGE IDC_BUT_TESTAPP IDC_BUT_BROWSEAPP IDC_EDT_WORKINGDIR \
    IDC_BUT_BROWSEWORKINGDIR IDC_CHK_SCHEDSOUND IDC_BUT_PLAYSOUND IDC_EDT_SOUNDNAME IDC_BUT_BROWSESOUND \
    IDC_DT_STARTDATE IDC_DT_STARTTIME IDC_DT_REPEATPERIOD IDC_DT_ENDDATE IDC_DT_ENDTIME \
    IDC_EDT_REPEATCYCLENUMBER IDC_CMB_REPEATCYCLEUNIT IDC_BUT_ONCEONLY IDC_BUT_SKIPTONEXTCYCLE; do
    case "$seen" in
        *" $(e2e_rid $name) "*) ;;
        *) e2e_fail "Tab never reached $name (visited:$seen)" ;;
    esac
done

# Esc closes (hides) the dialog.
xdotool key Escape
sleep 1
! e2e_driver wait '#32770' "$E2E_DIALOG" 1000 >/dev/null || e2e_fail "Esc did not close the dialog"

e2e_exit
e2e_pass
