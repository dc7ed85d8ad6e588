#!/bin/sh
# The tray under Wine: the icon's menu opens at the cursor (screenshot of
# it, kept as clock-tray.png in the build directory or $PW_SCREENSHOT), "Minimize to
# tray" hides the clock and a double-click on the icon brings it back where
# it was; a double-click on the clock, with the mouse, opens the settings
# dialog; a start in the tray shows no window until "Restore", which puts
# it at the stored position.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
shot=${PW_SCREENSHOT:-$PW_BUILD_DIR/clock-tray.png}

clock_rect() { e2e_driver rect PlenwickClock; }

e2e_reg_dword Left 200
e2e_reg_dword Top 150
e2e_reg_apply
e2e_start
e2e_wait_clock
# After the first pass, so the caption shows the count (a start in
# minute :00 has its first pass in the next minute).
e2e_driver wait PlenwickClock "Schedules: " $((70000 * E2E_SLOW)) >/dev/null || e2e_fail "no first pass"
# Wine's stand-in for the notification area sits at the top left; the menu
# opens where the cursor is, below the clock.
xdotool mousemove 230 215
e2e_driver tray rclick
e2e_driver menu-open 10000 || e2e_fail "the tray icon's menu did not open"
sleep 0.3
e2e_screenshot "$shot"
e2e_driver menu-close
sleep 0.3

e2e_driver command tray
sleep $(( E2E_SLOW / 2 )).5
[ "$(clock_rect)" = "200 150 112 $(clock_rect | cut -d' ' -f4) 0" ] || e2e_fail "after Minimize to tray: $(clock_rect)"
e2e_driver move PlenwickClock 400 300  # where the hidden window was put meanwhile
e2e_driver tray dblclick
sleep $(( E2E_SLOW / 2 )).5
set -- $(clock_rect)
[ "$1 $2 $5" = "400 300 1" ] || e2e_fail "after Restore: $*"
# The time line, below the caption, where a person double-clicks.
xdotool mousemove $(($1 + $3 / 2)) $(($2 + $4 - 12)) click --repeat 2 --delay 80 1
e2e_wait_window "$E2E_DIALOG" || e2e_fail "a double-click on the clock did not open the settings"
e2e_exit

e2e_reg_dword StartMinimized 1
e2e_reg_dword Left 20
e2e_reg_dword Top 30
e2e_reg_apply
e2e_start
i=0
until clock_rect >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le $((60 * E2E_SLOW)) ] || e2e_fail "no clock window at a start in the tray"
    sleep 0.5
done
sleep $E2E_SLOW
set -- $(clock_rect)
[ "$5" = 0 ] || e2e_fail "the clock is visible after a start in the tray"
e2e_driver command restore
e2e_wait_clock
set -- $(clock_rect)
[ "$1 $2 $3" = "20 30 112" ] || e2e_fail "restored from a start in the tray at $*"
e2e_exit
echo "screenshot: $shot"
e2e_pass
