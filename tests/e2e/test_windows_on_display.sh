#!/bin/sh
# The Windows tests of the clock, reminder and settings windows need a display: run
# them under Xvfb. Without a display they skip in the ordinary Windows test
# run; here a skip is a failure.
set -eu
: "${PW_SOURCE_DIR:?}" "${PW_BUILD_DIR:?}"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
# A Wine program run in this prefix just before without a display (the
# time-server tests) leaves its server and desktop behind for a few
# seconds, and windows made then would go to that desktop: end them first.
. "$PW_SOURCE_DIR/scripts/wine-flavour.sh"
pw_flavour "$PW_SOURCE_DIR"
# The prefix scripts/wine-run takes by default: a kill aimed at any other
# server leaves the displayless desktop in place.
export WINEPREFIX="${WINEPREFIX:-$PW_PREFIXES/wineprefix}"
"$PW_WINESERVER" -k 2>/dev/null || true
"$PW_WINESERVER" -w 2>/dev/null || true
env -u DISPLAY PW_XVFB=1 "$PW_SOURCE_DIR/scripts/wine-run" "$PW_BUILD_DIR/pw_wintests.exe" \
    --gtest_filter='ClockWin32*:ReminderWin32*:SettingsWin32*:InputBoxWin32*:WinMessageBoxesTest*' >"$out" 2>&1 || status=1
cat "$out"
if grep -q '\[  SKIPPED \]' "$out"; then
    echo "window tests were skipped: no display" >&2
    status=1
fi
grep -q '\[  PASSED  \]' "$out" || status=1
exit $status
