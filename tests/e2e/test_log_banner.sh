#!/bin/sh
# plenwick.exe at start: with every log switch off it writes no banner and
# creates no log file; with one switch on, the log beside the executable
# gets exactly the banner line.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_reg_dword LogReminders 0
e2e_reg_dword LogLaunches 0
e2e_reg_dword LogNetTime 0
e2e_reg_apply
e2e_start
e2e_wait_clock
sleep 2
e2e_exit
[ ! -e "$E2E_LOG" ] || e2e_fail "a log file with every switch off: $(e2e_log_lines)"

e2e_reg_dword LogNetTime 1
e2e_reg_apply
e2e_start
e2e_wait_clock
e2e_wait_log " Started Plenwick -------------------------"
e2e_exit
[ "$(e2e_log_lines | wc -l)" -eq 1 ] || e2e_fail "the log holds more than the banner"
tr -d '\n' < "$E2E_LOG" | grep -q "^[0-9/]* [0-9:]* Started Plenwick -------------------------$(printf '\r')\$" ||
    e2e_fail "banner line: $(cat -A "$E2E_LOG")"
e2e_pass
