#!/bin/sh
# The option pages as a person uses them, with the mouse and the keyboard
# of the virtual display: unticking "Always on top" puts the clock into
# the normal stacking at once and ticking it puts it back on top; a date
# form typed into "Date format" is stored at every keystroke; "Trim now"
# answers with a box.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
command -v xdotool >/dev/null || e2e_fail "xdotool is not installed (scripts/deps)"

DIALOG="Plenwick v"

click() { e2e_click "$DIALOG" "$1"; }

# Shows the page that is $1 tabs right of "Schedules".
page() { e2e_page "$DIALOG" "$1"; }

topmost_becomes() {
    _i=0
    while [ "$(e2e_driver topmost PlenwickClock)" != "$1" ]; do
        _i=$((_i + 1))
        [ $_i -le 20 ] || e2e_fail "the clock's stay-on-top is not $1 after $2"
        sleep 0.25
    done
}

setting() {
    "$E2E_RUN" reg query "$E2E_KEY" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

e2e_reg_dword SystemBeep 0
e2e_reg_apply
e2e_start
e2e_wait_clock
topmost_becomes 1 "the start"

e2e_driver command settings
e2e_driver wait '#32770' "$DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open"
page 1
click IDC_CHK_ALWAYSONTOP
topmost_becomes 0 "unticking Always on top"
[ "$(setting AlwaysOnTop)" = 0x0 ] || e2e_fail "AlwaysOnTop stored as $(setting AlwaysOnTop)"
click IDC_CHK_ALWAYSONTOP
topmost_becomes 1 "ticking Always on top"

page 3
click IDC_BUT_TRIMLOG
e2e_wait_box
xdotool key Return
# The box belonged to the clock window: the dialog is opened again to take
# the keys.
sleep 0.5
e2e_driver command settings
e2e_driver wait '#32770' "$DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open again"

page 2
click IDC_CMB_CLOCKDATEFORMAT
xdotool key End shift+Home
xdotool type --delay 50 "ddd"
sleep 0.5
[ "$(setting ClockDateFormat)" = ddd ] || e2e_fail "the date form typed was stored as \"$(setting ClockDateFormat)\""

e2e_exit
e2e_pass
