#!/bin/sh
# Backup and restore as a person does them, with the mouse and the keyboard
# of the virtual display: a new nested backup folder typed into the
# Housekeeping page, "Backup"; then a setting changed on the page, another
# in the registry, a schedule deleted and one added; "Restore", which
# first says what it will change: No leaves all as it is and gives the
# focus back to Restore; Yes restores.
# The program
# ends by itself, and the registry holds the values of the backup again,
# with the deleted schedule back and the added one kept; the configuration
# as it was before the restore lies beside the backup, and the backup's
# "*.dat" files beside the program.
# With PW_SCREENSHOTS=DIR the page and the final box are kept there.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

SCHEDULES="$E2E_KEY\\Schedules"
HOUSEKEEPING=3

expect() {  # key name data
    [ "$(e2e_reg_value "$1" "$2")" = "$3" ] || e2e_fail "$2 of ${1##*\\} is \"$(e2e_reg_value "$1" "$2")\", not \"$3\""
}

# The text of the box on top, as its static control holds it.
box_text() {
    e2e_driver text Plenwick 65535 | tr '\n' ' '
}

shot() {
    [ -n "${PW_SCREENSHOTS:-}" ] || return 0
    mkdir -p "$PW_SCREENSHOTS"
    # A window just shown is painted a moment later.
    sleep 1.5
    e2e_screenshot "$PW_SCREENSHOTS/$1.png"
}

# Schedules far in the future: no pass shows, moves or deletes them.
e2e_reg_dword SystemBeep 0
e2e_reg_dword MsgDisplayTime 30
e2e_reg_dword AutoTrimLog 0
e2e_reg_dword ReminderBackground 4278190095
e2e_reg_string ClockDateFormat "dd/mm/yyyy"
e2e_reg_schedule Tea ScheduleType=dword:1 "Message=Brew = 5 [min]" StartDate=01/06/2040 StartTime=16:30:00 \
    EndDate=01/06/2040 EndTime=17:00:00
e2e_reg_schedule "Walk in the park" ScheduleType=dword:1 Message=Go StartDate=02/06/2040 EndDate=03/06/2040 RepeatCycleNumber=dword:7 \
    RepeatCycleUnit=days
e2e_reg_apply
# Enough more that a restore takes a moment: the second click of a double
# click then comes while it runs.
KEY=$E2E_KEY awk 'BEGIN { print "REGEDIT4"; for (i = 1; i <= 1000; i++)
    printf "\n[%s\\Schedules\\Later %d]\n\"Message\"=\"Some day\"\n\"StartDate\"=\"01/01/2041\"\n", ENVIRON["KEY"], i }' \
    > "$E2E_WORK/more.reg"
"$E2E_RUN" regedit /S "$(e2e_winpath "$E2E_WORK/more.reg")" >/dev/null 2>&1 || e2e_fail "registry import"

e2e_start
e2e_wait_clock
e2e_driver command settings
e2e_driver wait '#32770' "$E2E_DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open"
e2e_page $HOUSEKEEPING

# The folder field starts at the program's folder + "backup".
exe_dir=$(e2e_winpath "$E2E_WORK")
shown=$(e2e_driver text "$E2E_DIALOG" "$(e2e_rid IDC_EDT_BACKUPDIR)")
[ "$shown" = "$exe_dir\\backup" ] || e2e_fail "the backup folder field shows \"$shown\""

# A folder two levels below one that does not exist yet.
backup_dir="$E2E_WORK/backup/a/b"
e2e_click IDC_EDT_BACKUPDIR
xdotool key End shift+Home
xdotool type --delay 30 "$(e2e_winpath "$backup_dir")"
xdotool key Tab
sleep 0.5
expect "$E2E_KEY" BackupDir "$(e2e_winpath "$backup_dir")"
shot housekeeping

e2e_click IDC_BUT_BACKUP
e2e_wait_box
[ "$(box_text)" = "Finished Backup. " ] || e2e_fail "Backup answered \"$(box_text)\""
shot backup
xdotool key Return
[ -f "$backup_dir/registry.cfg" ] || e2e_fail "no registry.cfg in the new folder"
grep -q '^\[\\Software\\Corvane Software\\Plenwick\\Schedules\\Walk in the park\]' "$backup_dir/registry.cfg" ||
    e2e_fail "the backup holds no \"Walk in the park\""

# Changes after the backup: one on the page, one in the registry, a
# schedule deleted and one added.
e2e_driver command settings
e2e_driver wait '#32770' "$E2E_DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open again"
e2e_page $HOUSEKEEPING
e2e_click IDC_CHK_AUTOTRIMLOG
expect "$E2E_KEY" AutoTrimLog 0x1
"$E2E_RUN" reg add "$E2E_KEY" /v MsgDisplayTime /t REG_DWORD /d 99 /f >/dev/null 2>&1 || e2e_fail "reg add"
"$E2E_RUN" reg delete "$SCHEDULES\\Walk in the park" /f >/dev/null 2>&1 || e2e_fail "reg delete"
"$E2E_RUN" reg add "$SCHEDULES\\Swim" /v Message /d "Pool at seven" /f >/dev/null 2>&1 || e2e_fail "reg add"
# A data file kept with the backup goes back beside the program.
printf 'chime' > "$backup_dir/chimes.dat"

IDYES=6
IDNO=7
restore_question() {
    e2e_driver wait '#32770' Restore $((20000 * E2E_SLOW)) >/dev/null || e2e_fail "Restore did not ask first"
    sleep 0.5
    asked=$(e2e_driver text Restore 65535 | tr '\n' ' ')
    case "$asked" in
        "Restoring \"$(e2e_winpath "$backup_dir")\\registry.cfg\" changes the configuration: "*" 1 schedule added."*"Restore it?"*) ;;
        *) e2e_fail "Restore asked \"$asked\"" ;;
    esac
}

e2e_click IDC_BUT_RESTORE
restore_question
e2e_click $IDNO "" Restore
sleep 1
expect "$E2E_KEY" MsgDisplayTime 0x63
expect "$SCHEDULES\\Swim" Message "Pool at seven"
[ -z "$(e2e_reg_value "$SCHEDULES\\Walk in the park" Message)" ] || e2e_fail "No to the question restored"
[ ! -e "$backup_dir/registry-before-restore.cfg" ] || e2e_fail "No to the question saved the configuration"
[ ! -e "$E2E_WORK/chimes.dat" ] || e2e_fail "No to the question copied the data files"
# The box was the dialog's: the focus is back on Restore in the dialog,
# not in the clock window (given the moment a person takes: through the
# emulator, seconds).
i=0
while :; do
    focus=$(e2e_driver focus "$E2E_DIALOG" || true)
    [ "$focus" != "$(e2e_rid IDC_BUT_RESTORE)" ] || break
    i=$((i + 1))
    [ $i -le $((4 * E2E_SLOW)) ] || e2e_fail "after the box the focus is on control $focus, not on Restore"
    sleep 0.5
done

# A double click, as some people click every button: one restore.
set -- $(e2e_driver control "$E2E_DIALOG" "$(e2e_rid IDC_BUT_RESTORE)") || e2e_fail "no Restore button"
xdotool mousemove "$1" "$2" click --repeat 2 --delay 100 1
restore_question
sleep 1
[ "$(e2e_driver windows | grep -c '^#32770 | Restore |')" = 1 ] || e2e_fail "Restore asked twice"
e2e_click $IDYES "" Restore
e2e_wait_box
sleep 1
[ "$(e2e_driver windows | grep -c '^#32770 | Plenwick |')" = 1 ] || e2e_fail "Restore ran twice"
text=$(box_text)
case "$text" in
    "Configuration restored. Please restart Plenwick now. The configuration as it was before is saved in \"$(e2e_winpath "$backup_dir")\\registry-before-restore.cfg\". ") ;;
    *) e2e_fail "Restore answered \"$text\"" ;;
esac
shot restored
# The box is answered with the mouse.
set -- $(e2e_driver control Plenwick 1) || e2e_fail "no OK button in the box"
xdotool mousemove "$1" "$2" click 1

# The program ends by itself once the box is answered.
e2e_driver gone PlenwickClock 20000 || e2e_fail "the clock window is still there after Restore"
e2e_wait_end Restore
# The normal way out stores the clock's position.
[ -n "$(e2e_reg_value "$E2E_KEY" Left)" ] || e2e_fail "the program ended without storing its position"

expect "$E2E_KEY" AutoTrimLog 0x0
expect "$E2E_KEY" MsgDisplayTime 0x1e
expect "$E2E_KEY" ReminderBackground 0xff00000f
expect "$E2E_KEY" ClockDateFormat dd/mm/yyyy
expect "$E2E_KEY" BackupDir "$(e2e_winpath "$backup_dir")"
expect "$SCHEDULES\\Walk in the park" Message Go
expect "$SCHEDULES\\Walk in the park" RepeatCycleNumber 0x7
expect "$SCHEDULES\\Walk in the park" RepeatCycleUnit days
expect "$SCHEDULES\\Tea" Message "Brew = 5 [min]"
expect "$SCHEDULES\\Swim" Message "Pool at seven"

[ "$(cat "$E2E_WORK/chimes.dat" 2>/dev/null)" = chime ] || e2e_fail "chimes.dat was not copied beside the program"

before="$backup_dir/registry-before-restore.cfg"
[ -f "$before" ] || e2e_fail "no registry-before-restore.cfg beside the backup"
grep -q '^MsgDisplayTimeint=99' "$before" || e2e_fail "the copy before the restore lacks the changed value"
grep -q 'Schedules\\Swim\]' "$before" || e2e_fail "the copy before the restore lacks the added schedule"
! grep -q 'Walk in the park' "$before" || e2e_fail "the copy before the restore holds the deleted schedule"
e2e_pass
