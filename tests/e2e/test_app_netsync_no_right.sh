#!/bin/sh
# Without the right to set the clock, the automatic synchronization does
# not ask again before its interval. Wine refuses every set of more than
# half a second, as Windows refuses a standard user; the server, on the
# NTP port of 127.0.0.1, answers 30 minutes ahead and counts the requests.
# With AutoSynchInterval 0 (an attempt at every pass) the program is asked
# to correct at three passes: the server must see one request, and the
# log must say why the time was not adjusted, once.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

if ! python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 123))' 2>/dev/null; then
    e2e_fail "the NTP port of 127.0.0.1 is taken; this test needs it"
fi
python3 - "$E2E_WORK" <<'PY' &
import os, socket, struct, sys, time
work = sys.argv[1]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 123))
open(os.path.join(work, "server.ready"), "w").close()
count = 0
while True:
    data, peer = s.recvfrom(1024)
    count += 1
    with open(os.path.join(work, "server.count.tmp"), "w") as f:
        f.write("%d\n" % count)
    os.replace(os.path.join(work, "server.count.tmp"), os.path.join(work, "server.count"))
    if len(data) < 48:
        continue
    t = time.time() + 1800 + 2208988800  # 30 minutes ahead, NTP seconds
    sec = int(t)
    stamp = struct.pack("!II", sec & 0xFFFFFFFF, int((t - sec) * 4294967296) & 0xFFFFFFFF)
    # leap 0, version 3, server; stratum 2; poll 6; precision -20
    head = struct.pack("!BBbbII4s", 0x1C, 2, 6, -20, 0, 0, b"LOCL")
    # The request's transmit field comes back as the originate field.
    s.sendto(head + stamp + data[40:48] + stamp + stamp, peer)
PY
E2E_SERVERS="$E2E_SERVERS $!"
i=0
while [ ! -f "$E2E_WORK/server.ready" ]; do
    i=$((i + 1))
    [ $i -le 50 ] || e2e_fail "the test server did not start"
    sleep 0.1
done

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
minute=$(date +%M)
for pass in 2 3; do
    while [ "$(date +%M)" = "$minute" ]; do sleep 1; done
    minute=$(date +%M)
done
sleep 8

requests=$(cat "$E2E_WORK/server.count" 2>/dev/null || echo 0)
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
