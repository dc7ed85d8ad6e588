#!/bin/sh
# A computer that sleeps across a reminder's minute: the program is frozen
# with SIGSTOP from before the minute until after it, as a suspended
# laptop freezes it, while the run's clock moves on past the minute. When
# it wakes, the next pass shows the reminder as missed, logs it, and
# nothing is shown twice.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

# The process running plenwick.exe: the started process itself or one of
# its descendants (Wine may exec or spawn the loader).
program_pid() {
    _all=$E2E_LAST_PID
    _todo=$E2E_LAST_PID
    while [ -n "$_todo" ]; do
        _next=""
        for _p in $_todo; do
            _next="$_next $(ps -o pid= --ppid "$_p" 2>/dev/null || true)"
        done
        # shellcheck disable=SC2086 # split into words, blanks and newlines dropped
        set -- $_next
        _todo="$*"
        _all="$_all $_todo"
    done
    for _p in $_all; do
        if tr '\0' ' ' < "/proc/$_p/cmdline" 2>/dev/null | grep -q 'plenwick\.exe'; then
            echo "$_p"
            return 0
        fi
    done
    return 1
}

# Started early in a minute that is not :00, so the first pass runs in it.
e2e_clock_early
start=$(e2e_now)
due_epoch=$(( start / 60 * 60 + 60 ))
due_day=$(date -d "@$due_epoch" +%d/%m/%Y)
due_time=$(date -d "@$due_epoch" +%H:%M):00

e2e_reg_dword LogReminders 1
e2e_reg_dword SystemBeep 0
e2e_reg_schedule Nap ScheduleType=dword:1 "Message=Wake up" "StartDate=$due_day" "StartTime=$due_time" \
    "EndDate=$due_day" "EndTime=$due_time"
e2e_reg_apply

e2e_start
e2e_wait_clock
# The first pass has run once the caption counts the schedule.
e2e_wait_caption "Schedules: 1"
[ "$(e2e_now)" -lt $((due_epoch - 3)) ] || e2e_fail "too late to freeze the program before its minute"

pid=$(program_pid) || e2e_fail "no process runs plenwick.exe"
kill -STOP "$pid"
# Asleep over the whole due minute, awake again early in the next one.
e2e_clock_set "@$((due_epoch + 65))"
kill -CONT "$pid"

e2e_wait_window "Reminders: 1"
due_text="$due_day $due_time"
[ "$due_time" != 00:00:00 ] || due_text=$due_day  # midnight is written as the date alone
e2e_wait_log "Missed reminder:Nap Due:$due_text Count:1 Message:1.Wake up"
# Two more minutes awake, each with its pass: nothing about it comes again.
e2e_clock_set "@$((due_epoch + 125))"
e2e_clock_set "@$((due_epoch + 185))"
sleep 2
n=$(e2e_log_lines | grep -c 'Nap' || true)
[ "$n" -eq 1 ] || e2e_fail "the reminder was logged $n times"
e2e_exit
e2e_pass
