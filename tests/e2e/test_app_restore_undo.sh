#!/bin/sh
# A hostile backup restored and taken back, with the mouse of the virtual
# display. The backup folder holds a crafted registry.cfg that plants a
# launch schedule (C:\evil.exe), turns a reminder into a launch and
# changes the update server. "Restore" first names both programs it would
# start; Yes restores and the program ends. At the next start "Undo last
# restore" (disabled before there was a restore) asks, and Yes puts the
# configuration back exactly: `regedit /E` of the program's key is the
# same as before the restore, the planted schedule and value are gone.
# With PW_SCREENSHOTS=DIR the restore's question is kept there.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

SCHEDULES="$E2E_KEY\\Schedules"
HOUSEKEEPING=3
IDOK=1
IDYES=6

# The key as regedit exports it, as UTF-8 text.
export_key() {
    rm -f "$1.reg"
    "$E2E_RUN" regedit /E "$(e2e_winpath "$1.reg")" "$E2E_KEY" >/dev/null 2>&1 || e2e_fail "regedit /E"
    iconv -f UTF-16 -t UTF-8 "$1.reg" | tr -d '\r' >"$1"
    grep -q 'Schedules' "$1" || e2e_fail "regedit /E wrote no schedules: $(cat "$1")"
}

open_housekeeping() {
    e2e_start
    e2e_wait_clock
    e2e_driver command settings
    e2e_driver wait '#32770' "$E2E_DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open"
    e2e_page $HOUSEKEEPING
}

# "x y width height visible enabled" of the undo button: its last word.
undo_enabled() {
    e2e_driver control "$E2E_DIALOG" "$(e2e_rid IDC_BUT_UNDORESTORE)" | awk '{ print $6 }'
}

# Answers the question captioned $1 with Yes, then the program's closing
# box with OK; the program ends by itself.
yes_then_ends() {
    e2e_click $IDYES "" "$1"
    e2e_wait_box
    sleep 0.5
    e2e_click $IDOK "" Plenwick
    e2e_driver gone PlenwickClock 20000 || e2e_fail "the clock window is still there after $1"
    e2e_wait_end "$1"
}

backup_dir="$E2E_WORK/backup"
mkdir -p "$backup_dir"
e2e_reg_string BackupDir "$(e2e_winpath "$backup_dir")"
e2e_reg_string UpdateServer updates.example.test
e2e_reg_dword SystemBeep 0
e2e_reg_schedule Tea ScheduleType=dword:1 Message=Brew StartDate=01/06/2040 EndDate=01/06/2040
e2e_reg_schedule Walk ScheduleType=dword:1 Message=Go StartDate=02/06/2040 EndDate=03/06/2040
e2e_reg_apply

# A first run settles what the program writes itself (the page values it
# fills, the clock's position at the exit).
open_housekeeping
[ "$(undo_enabled)" = 0 ] || e2e_fail "Undo last restore is enabled before any restore"
e2e_exit
export_key "$E2E_WORK/before"

printf '%s\r\n' '[\Software\Corvane Software\Plenwick]' 'UpdateServerstr=evil.example.test' '' \
    '[\Software\Corvane Software\Plenwick\Schedules\Evil]' 'ScheduleTypeint=0' 'Messagestr=C:\evil.exe' \
    'WorkingDirstr=C:\' 'StartDatestr=01/06/2040' '' \
    '[\Software\Corvane Software\Plenwick\Schedules\Tea]' 'ScheduleTypeint=0' 'Messagestr=C:\tea.exe' \
    >"$backup_dir/registry.cfg"

open_housekeeping
e2e_click IDC_BUT_RESTORE
e2e_driver wait '#32770' Restore 20000 >/dev/null || e2e_fail "Restore did not ask first"
sleep 0.5
asked=$(e2e_driver text Restore 65535)
expected=$(printf '%s\n' "Restoring \"$(e2e_winpath "$backup_dir")\\registry.cfg\" changes the configuration:" \
    "3 values changed, 1 schedule added." "" "These schedules will start programs:" \
    '"Evil": C:\evil.exe (in C:\)' '"Tea": C:\tea.exe' "" "Restore it?")
[ "$asked" = "$expected" ] || e2e_fail "Restore asked \"$asked\""
if [ -n "${PW_SCREENSHOTS:-}" ]; then
    mkdir -p "$PW_SCREENSHOTS"
    sleep 1
    e2e_screenshot "$PW_SCREENSHOTS/restore-question.png"
fi
yes_then_ends Restore
[ "$(e2e_reg_value "$SCHEDULES\\Evil" Message)" = 'C:\evil.exe' ] || e2e_fail "the restore did not write the file"
[ "$(e2e_reg_value "$E2E_KEY" UpdateServer)" = evil.example.test ] || e2e_fail "the restore did not change UpdateServer"

open_housekeeping
[ "$(undo_enabled)" = 1 ] || e2e_fail "Undo last restore is not enabled after a restore"
e2e_click IDC_BUT_UNDORESTORE
e2e_driver wait '#32770' "Undo last restore" 20000 >/dev/null || e2e_fail "Undo last restore did not ask"
sleep 0.5
yes_then_ends "Undo last restore"

export_key "$E2E_WORK/after"
cmp -s "$E2E_WORK/before" "$E2E_WORK/after" ||
    e2e_fail "the key differs from before the restore: $(diff "$E2E_WORK/before" "$E2E_WORK/after" | head -20)"
[ -z "$(e2e_reg_value "$SCHEDULES\\Evil" Message)" ] || e2e_fail "the planted schedule is still there"
e2e_pass
