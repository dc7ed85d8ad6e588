#!/bin/sh
# plenwick.exe corrects the clock from a time server on 127.0.0.1: with
# AutoSynchTime and LogNetTime on, its first pass logs the correction and
# stores LastSynchTime. The server is chronyd with clock control off on
# the NTP port of the loopback address, and the program runs without the
# right to set the clock (the correction is attempted and refused, which
# the program cannot tell from success).
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

. "$(dirname "$0")/chrony-lib.sh"
if ! python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 123))' 2>/dev/null; then
    e2e_fail "the NTP port of 127.0.0.1 is taken; this test needs it"
fi
chrony_start "$E2E_WORK" 123
# Stopped by its PID with the rest of the run.
E2E_SERVERS="$E2E_SERVERS $CHRONY_PID"
chrony_reference >/dev/null || e2e_fail "no time server"

e2e_reg_dword AutoSynchTime 1
e2e_reg_dword LogNetTime 1
e2e_reg_string TimeServers 127.0.0.1
e2e_reg_apply
e2e_start
e2e_wait_clock
e2e_wait_log "NetTime: " 90
line=$(e2e_log_lines | grep 'NetTime: ' | head -n 1)
case "$line" in
    *" - NetTime: + 0 days, 00:00:00 from 127.0.0.1" | *" - NetTime: - 0 days, 00:00:00 from 127.0.0.1") ;;
    *) e2e_fail "net time line: $line" ;;
esac
stored=$(e2e_reg_get LastSynchTime)
case "$stored" in
    "$(date +%d/%m/%Y) "??:??:??) ;;
    *) e2e_fail "LastSynchTime is \"$stored\"" ;;
esac
e2e_exit
echo "logged: ${line#* - }; LastSynchTime $stored"
e2e_pass
