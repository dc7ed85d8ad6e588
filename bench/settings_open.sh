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

. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
build=$PW_WIN_BUILD
[ -f "$build/plenwick.exe" ] && [ -f "$build/floor_clock_gui.exe" ] && [ -f "$build/pwdriver.exe" ] ||
    "$root/scripts/build" windows >/dev/null
export WINEPREFIX="$build/wineprefix-bench" WINEDEBUG=-all
unset LC_ALL
export LANG=en_GB.UTF-8
run="$root/scripts/wine-run"
work=$(mktemp -d /tmp/pw-bench.XXXXXX)
cp "$build/plenwick.exe" "$build/floor_clock_gui.exe" "$build/pwdriver.exe" "$work/"

. "$root/scripts/xvfb-lib.sh"
unset DISPLAY
cleanup() {
    "$PW_WINESERVER" -k >/dev/null 2>&1 || true
    xvfb_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
xvfb_start
"$PW_WINESERVER" -k >/dev/null 2>&1 || true
"$run" reg delete 'HKCU\Software\Corvane Software\Plenwick' /f >/dev/null 2>&1 || true
"$run" cmd /c ver >/dev/null 2>&1 || true

win() { printf 'Z:%s' "$1" | tr '/' '\\'; }
driver() {
    "$run" "$work/pwdriver.exe" "$@" >"$work/driver.out"
    tr -d '\r' < "$work/driver.out"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$work/first"
: >"$work/again"
: >"$work/floor"
i=0
while [ $i -lt "$starts" ]; do
    driver launch "$(win "$work/plenwick.exe")" PlenwickClock >/dev/null
    driver open-settings 10000 >>"$work/first"
    driver close '#32770' >/dev/null
    sleep 1
    driver open-settings 10000 >>"$work/again"
    driver command exit >/dev/null
    driver gone PlenwickClock 20000 >/dev/null
    driver launch "$(win "$work/floor_clock_gui.exe")" FloorClock >>"$work/floor"
    driver close FloorClock >/dev/null
    driver gone FloorClock 20000 >/dev/null
    i=$((i + 1))
done
printf '%-44s %8s\n' "Settings to painted dialog, first (ms)" "$(median <"$work/first")"
printf '%-44s %8s\n' "Settings to painted dialog, again (ms)" "$(median <"$work/again")"
printf '%-44s %8s\n' "floor clock start-up, baseline (ms)" "$(median <"$work/floor")"
