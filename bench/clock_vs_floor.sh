#!/bin/sh
# plenwick.exe against a floor: the least Win32 clock there is
# (tests/win32/tools/floor_clock_gui.cpp: a window, two labels, a
# one-second timer). Both run under Wine on one virtual display, in one
# run, and are compared on
#   - start-up: from process creation to the first painted clock window
#     (median of several starts, taken by pwdriver inside Wine);
#   - CPU time over 60 idle seconds, both running side by side (the run
#     time of all threads of each program's process, from
#     /proc/PID/task/*/schedstat, in nanoseconds: utime and stime count in
#     10 ms ticks, too coarse for an idle clock);
#   - peak memory (VmHWM of each process at the end).
# The same floor with /tray adds a tray icon and the connection query of
# every tick, which the program must have from its start: the second
# baseline. Prints the figures and the ratios plenwick / floor, and the size of
# plenwick.exe. Where only the 64-bit Wine runs, both programs are their
# 64-bit builds (scripts/wine-flavour.sh). Nothing here sets the clock.
# PW_BENCH_SCHEDULES=N gives the program N schedules first (six in ten
# waiting for a later day, the others open since the night and due
# only at their end tomorrow), to compare its idle cost with that of a
# run without any.
#   [PW_DPI=144] bench/clock_vs_floor.sh [idle seconds] [starts]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
idle=${1:-60}
starts=${2:-5}

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"

. "$here/wine-bench-lib.sh"

schedules=${PW_BENCH_SCHEDULES:-0}
if [ "$schedules" -gt 0 ]; then
    today=$(date +%d/%m/%Y)
    later=$(date -d '+3 days' +%d/%m/%Y)
    tomorrow=$(date -d tomorrow +%d/%m/%Y)
    awk -v n="$schedules" -v today="$today" -v later="$later" -v tomorrow="$tomorrow" 'BEGIN {
        print "REGEDIT4"
        for (i = 0; i < n; i++) {
            start = i % 10 < 6 ? later : today
            printf "[HKEY_CURRENT_USER\\Software\\Corvane Software\\Plenwick\\Schedules\\Schedule %d]\n", i
            printf "\"Message\"=\"Reminder number %d\"\n\"StartDate\"=\"%s\"\n", i, start
            printf "\"StartTime\"=\"00:%02d:00\"\n\"EndDate\"=\"%s\"\n\"EndTime\"=\"17:00:00\"\n", i % 60, tomorrow
            printf "\"RepeatPeriod\"=\"00:00:00\"\n"
            printf "\"RepeatCycleNumber\"=dword:00000001\n\"RepeatCycleUnit\"=\"days\"\n"
        }
    }' > "$work/schedules.reg"
    "$run" regedit /S "$(win "$work/schedules.reg")" >/dev/null 2>&1
fi


startup() {  # exe class argument closer...
    exe=$1 cls=$2 arg=$3
    shift 3
    i=0
    while [ $i -lt "$starts" ]; do
        driver launch "$(win "$work/$exe")" "$cls" $arg
        "$@" >/dev/null
        driver gone "$cls" "$gone_ms" >/dev/null
        i=$((i + 1))
    done | median
}

ours_ms=$(startup plenwick.exe PlenwickClock "" driver command exit)
floor_ms=$(startup floor_clock_gui.exe FloorClock "" driver close FloorClock)
tray_ms=$(startup floor_clock_gui.exe FloorClockTray /tray driver close FloorClockTray)

# All three side by side, idle.
driver launch "$(win "$work/plenwick.exe")" PlenwickClock >/dev/null
driver launch "$(win "$work/floor_clock_gui.exe")" FloorClock >/dev/null
driver launch "$(win "$work/floor_clock_gui.exe")" FloorClockTray /tray >/dev/null
# By this run's copy (Wine shows it by its Windows path): other runs on
# the machine may have their own plenwick.exe going.
pid_of() { pgrep -f "$(basename "$work")[\\\\/]$1" | head -n 1; }
ours_pid=$(pid_of 'plenwick\.exe')
floor_pid=$(pid_of 'floor_clock_gui\.exe"?$')
tray_pid=$(pid_of 'floor_clock_gui\.exe"? /tray')
[ -n "$ours_pid" ] && [ -n "$floor_pid" ] && [ -n "$tray_pid" ] || { echo "programs not found" >&2; exit 1; }
sleep 3
cpu() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%.0f", s }'; }
o0=$(cpu "$ours_pid")
f0=$(cpu "$floor_pid")
t0=$(cpu "$tray_pid")
sleep "$idle"
o1=$(cpu "$ours_pid")
f1=$(cpu "$floor_pid")
t1=$(cpu "$tray_pid")
hwm() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
ours_kb=$(hwm "$ours_pid")
floor_kb=$(hwm "$floor_pid")
tray_kb=$(hwm "$tray_pid")
driver command exit >/dev/null
driver close FloorClock >/dev/null
driver close FloorClockTray >/dev/null

ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
ours_cpu=$(ms "$o0" "$o1")
floor_cpu=$(ms "$f0" "$f1")
tray_cpu=$(ms "$t0" "$t1")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
size=$(stat -c %s "$build/plenwick.exe")

row() { printf '%-34s %10s %10s %7s %12s %7s\n' "$@"; }
row "" plenwick floor ratio "floor /tray" ratio
row "start-up to first clock (ms)" "$ours_ms" "$floor_ms" "$(ratio "$ours_ms" "$floor_ms")" \
    "$tray_ms" "$(ratio "$ours_ms" "$tray_ms")"
row "CPU over $idle idle seconds (ms)" "$ours_cpu" "$floor_cpu" "$(ratio "$ours_cpu" "$floor_cpu")" \
    "$tray_cpu" "$(ratio "$ours_cpu" "$tray_cpu")"
row "peak memory, VmHWM (KiB)" "$ours_kb" "$floor_kb" "$(ratio "$ours_kb" "$floor_kb")" \
    "$tray_kb" "$(ratio "$ours_kb" "$tray_kb")"
echo "plenwick.exe ($PW_FLAVOUR, LogPixels ${PW_DPI:-96}): $size bytes, $schedules schedules"
