#!/bin/sh
# One instance of each kind: a second normal instance ends at once while
# the first runs, a "test" instance runs beside a normal one, and a second
# test instance ends at once too.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

clocks() { e2e_driver count PlenwickClock; }

# Starts an instance that must end by itself, silently, within 20 s.
must_end() {
    "$E2E_RUN" "$E2E_WORK/plenwick.exe" "$@" >/dev/null 2>&1 &
    p=$!
    i=0
    while kill -0 "$p" 2>/dev/null; do
        i=$((i + 1))
        [ $i -le 200 ] || { kill "$p"; e2e_fail "a second instance ($*) kept running"; }
        sleep 0.1
    done
    wait "$p" || e2e_fail "a second instance ($*) ended with an error"
}

e2e_start
e2e_wait_clock
must_end
must_end other-argument
[ "$(clocks)" = 1 ] || e2e_fail "$(clocks) clock windows beside one normal instance"

e2e_start TeSt
i=0
while [ "$(clocks)" != 2 ]; do
    i=$((i + 1))
    [ $i -le 60 ] || e2e_fail "the test instance did not start beside the normal one"
    sleep 0.5
done
must_end test
must_end TEST
[ "$(clocks)" = 2 ] || e2e_fail "$(clocks) clock windows"

# Nothing of the ended instances reached the log: no switch is on, so
# there is no log at all.
[ ! -e "$E2E_LOG" ] || e2e_fail "a log file with every log switch off"
e2e_exit
e2e_pass
