#!/bin/sh
# Without the right to set the clock, the automatic synchronization does
# not ask again before its interval. Wine refuses every set of more than
# half a second, as Windows refuses a standard user; the server, on the
# NTP port of 127.0.0.1, answers 30 minutes ahead and counts the requests
# (tests/e2e/ntp_ahead.py).
# With AutoSynchInterval 0 (an attempt at every pass) the program is asked
# to correct at three passes (the run's clock moved on to the next minute
# twice): the server must see one request, and the log must say why the
# time was not adjusted, once.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_ntp_ahead

e2e_reg_dword AutoSynchTime 1
e2e_reg_dword AutoSynchInterval 0
e2e_reg_dword LogNetTime 1
e2e_reg_dword MaxCorrection 60
e2e_reg_string TimeServers 127.0.0.1
e2e_reg_apply
e2e_start
e2e_wait_clock
# The first pass; then two more, one at each change of the minute.
e2e_wait_log "NetTime: " 90
for pass in 2 3; do
    e2e_clock_minute 61
done
sleep 6

requests=$(cat "$E2E_WORK/ahead.count" 2>/dev/null || echo 0)
netlines=$(e2e_log_lines | grep -c 'NetTime: ' || true)
line=$(e2e_log_lines | grep 'NetTime: ' | head -n 1)
echo "over three passes: $requests request(s) to the server, $netlines net time line(s): ${line#* - }"
[ "$requests" = 1 ] || e2e_fail "the server was asked $requests times"
[ "$netlines" = 1 ] || e2e_fail "$netlines net time lines"
case "$line" in
    *" - NetTime: Time not adjusted from 127.0.0.1 (no right to set the clock)") ;;
    *) e2e_fail "net time line: $line" ;;
esac
[ -z "$(e2e_reg_get LastSynchTime)" ] || e2e_fail "LastSynchTime was stored"
e2e_exit
e2e_pass
