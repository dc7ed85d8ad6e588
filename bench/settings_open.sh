#!/bin/sh
# How long "Settings" on the clock window takes to show the painted
# settings dialog under Wine: from the menu command to the dialog and its
# controls drawn (pwdriver open-settings), the first time in each start
# of plenwick.exe, which is when its windows are made, and a second time
# after Esc hid it. Prints the medians of several starts in milliseconds
# and, as the baseline of the same run, the floor clock's start-up.
#   bench/settings_open.sh [starts]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
starts=${1:-5}

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"

. "$here/wine-bench-lib.sh"

: >"$work/first"
: >"$work/again"
: >"$work/floor"
i=0
while [ $i -lt "$starts" ]; do
    driver launch "$(win "$work/plenwick.exe")" PlenwickClock >/dev/null
    # A person opens the menu some time after the clock shows, and after
    # the dialog has gone: the program is idle then.
    sleep 2
    driver open-settings $((10000 * slow)) >>"$work/first"
    driver close '#32770' >/dev/null
    sleep 3
    driver open-settings $((10000 * slow)) >>"$work/again"
    driver command exit >/dev/null
    driver gone PlenwickClock "$gone_ms" >/dev/null
    driver launch "$(win "$work/floor_clock_gui.exe")" FloorClock >>"$work/floor"
    driver close FloorClock >/dev/null
    driver gone FloorClock "$gone_ms" >/dev/null
    i=$((i + 1))
done
printf '%-44s %8s\n' "Settings to painted dialog, first (ms)" "$(median <"$work/first")"
printf '%-44s %8s\n' "Settings to painted dialog, again (ms)" "$(median <"$work/again")"
printf '%-44s %8s\n' "floor clock start-up, baseline (ms)" "$(median <"$work/floor")"
