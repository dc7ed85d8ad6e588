#!/bin/sh
# The Windows SNTP client under Wine against chronyd on 127.0.0.1.
# chronyd runs with clock control off (-x) on a free high port, the whole
# script without the right to set the clock; the server is stopped by its
# PID whatever happens.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
: "${PW_BUILD_DIR:=$PW_WIN_BUILD}"

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"

. "$here/chrony-lib.sh"
work=$(mktemp -d)
cleanup() {
    chrony_stop
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

chrony_start "$work"
port=$CHRONY_PORT
reference=$(chrony_reference)
echo "chronyd on port $port, chronyd -Q offset $reference s"

PW_CHRONYD_PORT=$port PW_REFERENCE_OFFSET=$reference WINEDEBUG=-all \
    "$root/scripts/wine-run" "$PW_BUILD_DIR/pw_wintests.exe" --gtest_filter='ChronydUnderWine.*' >"$work/run.log" 2>&1 || status=$?
cat "$work/run.log"
grep -q 'PASSED.*2 tests' "$work/run.log" && [ "${status:-0}" -eq 0 ]
