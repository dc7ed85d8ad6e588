#!/bin/sh
# The option pages as a person uses them, with the mouse and the keyboard
# of the virtual display: unticking "Always on top" puts the clock into
# the normal stacking at once and ticking it puts it back on top; a date
# form typed into "Date format" is stored at every keystroke and is on the
# clock at its next second; "Trim now" answers with a box; the reminder
# font size and colours chosen on the Display page are those of the next
# reminder (the Test button of the Schedules page shows one at once).
# PW_E2E_SHOTS=dir keeps screenshots of the clock and the reminder there.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

topmost_becomes() {
    _i=0
    while [ "$(e2e_driver topmost PlenwickClock)" != "$1" ]; do
        _i=$((_i + 1))
        [ $_i -le 20 ] || e2e_fail "the clock's stay-on-top is not $1 after $2"
        sleep 0.25
    done
}

# The clock's date line, as the screen shows it.
date_line() { e2e_driver band PlenwickClock 0 40; }

# Waits as long as the date line is (=) or is not (!=) what $2 holds.
while_date_line() {
    _i=0
    while [ "$(date_line)" $1 "$2" ]; do
        _i=$((_i + 1))
        [ $_i -le 30 ] || e2e_fail "the clock's date line did not follow $3"
        sleep 0.1
    done
}

# "background N rows N text N rowsof N" of the reminder text, N of a colour
# as the registry keeps it; rowsof counts the rows holding colour $1.
reminder_ink() {
    e2e_wait_window "Reminders: 1"
    sleep 1
    e2e_driver ink "Reminders: 1" "$1" || e2e_fail "no reminder text to look at"
}
field() { echo "$1" | awk -v k="$2" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }'; }
as_number() { printf '%d' "$1"; }

# Chooses a colour in the colour dialog the button opens: the first of
# its basic colours, or red, green and blue typed into its fields.
choose_colour() {  # button [red green blue]
    # "Color" or, in British English, "Colour". A click right after the
    # last colour dialog closed may only bring the settings dialog back to
    # the front: then the button is clicked again.
    e2e_click "$1"
    e2e_driver wait '#32770' Colo 5000 >/dev/null || e2e_click "$1"
    e2e_wait_window Colo
    if [ $# -eq 1 ]; then
        set -- $(e2e_driver control Colo 720) || e2e_fail "no basic colours in the colour dialog"
        xdotool mousemove $(($1 - $3 / 2 + 6)) $(($2 - $4 / 2 + 6)) click 1
        sleep 0.3
    else
        for _field in 706:$2 707:$3 708:$4; do
            e2e_click "${_field%%:*}" "" Colo
            xdotool key End shift+Home
            xdotool type "${_field#*:}"
        done
    fi
    e2e_click 1 "" Colo
    sleep 0.5
}

e2e_reg_dword SystemBeep 0
e2e_reg_dword ReminderFontSize 10
e2e_reg_schedule Tea ScheduleType=dword:1 "Message=Tea time: the kettle is on"
e2e_reg_apply
e2e_start
e2e_wait_clock
topmost_becomes 1 "the start"
# Away from the notification area, which a virtual display without a
# window manager shows as a window of its own at the top left.
e2e_driver move PlenwickClock 600 40 >/dev/null
sleep 1.5
short_date=$(date_line)

e2e_driver command settings
e2e_driver wait '#32770' "$E2E_DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open"
e2e_page 1
e2e_click IDC_CHK_ALWAYSONTOP
topmost_becomes 0 "unticking Always on top"
[ "$(e2e_reg_get AlwaysOnTop)" = 0x0 ] || e2e_fail "AlwaysOnTop stored as $(e2e_reg_get AlwaysOnTop)"
e2e_click IDC_CHK_ALWAYSONTOP
topmost_becomes 1 "ticking Always on top"

e2e_page 3
e2e_click IDC_BUT_TRIMLOG
e2e_wait_box
xdotool key Return
# The box belonged to the clock window: the dialog is opened again to take
# the keys.
sleep 0.5
e2e_driver command settings
e2e_driver wait '#32770' "$E2E_DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open again"

e2e_page 2
e2e_click IDC_CMB_CLOCKDATEFORMAT
xdotool key End shift+Home
xdotool type --delay 50 "ddd"
sleep 0.5
[ "$(e2e_reg_get ClockDateFormat)" = ddd ] || e2e_fail "the date form typed was stored as \"$(e2e_reg_get ClockDateFormat)\""
while_date_line = "$short_date" "the date form \"ddd\""
e2e_screenshot "${PW_E2E_SHOTS:-$E2E_WORK}/clock-date-ddd.png"
xdotool key End shift+Home
xdotool type --delay 50 "default"
xdotool key Tab
while_date_line != "$short_date" "the date form \"default\""

# The reminder as it is, then with the largest font and two colours.
e2e_page 0
e2e_click IDC_BUT_TESTAPP
before=$(reminder_ink $((0xFF0000)))
e2e_driver close PlenwickReminders >/dev/null
e2e_driver command settings
e2e_page 2
e2e_click IDC_TB_FONTHEIGHT
xdotool key End
sleep 0.3
[ "$(e2e_reg_get ReminderFontSize)" = 0x19 ] || e2e_fail "the slider at its end stored $(e2e_reg_get ReminderFontSize)"
choose_colour IDC_BUT_REMINDERBGCOLOR
choose_colour IDC_BUT_REMINDERTEXTCOLOR 0 128 0
e2e_driver command settings
e2e_page 0
e2e_click IDC_BUT_TESTAPP
after=$(reminder_ink $((0x008000)))
e2e_screenshot "${PW_E2E_SHOTS:-$E2E_WORK}/reminder-size-colours.png"
bg=$(as_number "$(e2e_reg_get ReminderBackground)")
fg=$(as_number "$(e2e_reg_get ReminderTextColor)")
[ "$(field "$after" background)" = "$bg" ] ||
    e2e_fail "the reminder's background is $(field "$after" background), the colour chosen $bg"
[ "$(field "$after" text)" = "$fg" ] ||
    e2e_fail "the reminder's text is $(field "$after" text), the colour chosen $fg"
[ "$(field "$before" rowsof)" -gt 0 ] && [ "$(field "$after" rowsof)" -ge $(( $(field "$before" rowsof) * 2 )) ] ||
    e2e_fail "the reminder's text at size 25 takes $(field "$after" rowsof) rows, at 10 $(field "$before" rowsof)"

e2e_exit
e2e_pass
