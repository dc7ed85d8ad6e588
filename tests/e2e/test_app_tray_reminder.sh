#!/bin/sh
# A reminder that falls due while the program sits in the tray still comes
# up on screen.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_clock_early
e2e_reg_dword StartMinimized 1
e2e_reg_dword SystemBeep 0
e2e_reg_schedule Tray ScheduleType=dword:1 "Message=From the tray" "StartDate=$(e2e_date +%d/%m/%Y)" \
    "StartTime=$(e2e_date +%H:%M):00"
e2e_reg_apply
e2e_start
e2e_wait_window "Reminders: 1"
set -- $(e2e_driver rect PlenwickClock)
[ "$5" = 0 ] || e2e_fail "the clock left the tray"
e2e_exit
e2e_pass
