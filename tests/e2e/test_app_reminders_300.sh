#!/bin/sh
# 300 reminders due in the same minute come up in one window while the
# clock goes on ticking. From a few seconds before that minute (the run's
# clock is moved there) until well after it, pwdriver watches the clock
# window: its pixels (the seconds of
# the time label) must change at least every 2.5 s, and it must answer a
# message within 1.5 s, all the while the reminders are read and shown.
# Also runs the fill benchmark in the same prefix and prints its figures.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_clock_early
# Due a quarter of an hour after the run's clock starts: a start slowed by
# a busy machine still ends before the minute.
due=10:30
day=$(e2e_date +%d/%m/%Y)
n=1
while [ $n -le 300 ]; do
    e2e_reg_schedule "Due $n" ScheduleType=dword:1 "Message=Reminder number $n of three hundred" \
        "StartDate=$day" "StartTime=$due:00"
    n=$((n + 1))
done
e2e_reg_dword SystemBeep 0
e2e_reg_dword MsgDisplayTime 120
# The clock well clear of the reminder window, which opens at the top left.
e2e_reg_dword Left 600
e2e_reg_dword Top 300
e2e_reg_apply
e2e_start
e2e_wait_clock

# From a few seconds before the due minute, for 20 seconds.
e2e_clock_set "$(date +%F) 10:29:54"
out=$(e2e_driver watch PlenwickClock 20000) || e2e_fail "no clock window to watch"
echo "$out"
still=$(printf '%s\n' "$out" | awk '$1 == "still" { print $2 }')
answer=$(printf '%s\n' "$out" | awk '$1 == "answer" { print $2 }')
shown=$(printf '%s\n' "$out" | awk '$1 == "reminders" { print $2 }')
[ "$shown" -ge 0 ] || e2e_fail "no reminder window came up"
caption=$(e2e_driver caption PlenwickReminders)
[ "$caption" = "Reminders: 300" ] || e2e_fail "reminder window caption: $caption"
[ "$still" -le 2500 ] || e2e_fail "the clock stood still for $still ms"
[ "$answer" -le 1500 ] || e2e_fail "the clock took $answer ms to answer"
e2e_exit

# The benchmark: the fill alone, one stream against line by line.
cp "$PW_BUILD_DIR/bench_reminder_fill_win32.exe" "$E2E_WORK/"
"$E2E_RUN" "$E2E_WORK/bench_reminder_fill_win32.exe" | tr -d '\r' | tee "$E2E_WORK/bench.out"
# A ratio of the same run, not a time: a busy machine slows both alike.
stream=$(awk '/one rich text stream/ { print int($(NF-1)) }' "$E2E_WORK/bench.out")
gain=$(awk '/line by line \/ one stream/ { print int($NF) }' "$E2E_WORK/bench.out")
[ -n "$stream" ] && [ -n "$gain" ] && [ "$gain" -ge 4 ] ||
    e2e_fail "300 reminders took $stream ms to fill in one stream, only ${gain:-?} times quicker than line by line"
e2e_pass
