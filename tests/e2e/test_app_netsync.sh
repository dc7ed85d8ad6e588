#!/bin/sh
# plenwick.exe corrects the clock from a time server on 127.0.0.1: with
# AutoSynchTime and LogNetTime on, its first pass walks the list, past a
# server on 127.0.0.2 that takes the request and never answers, logs the
# correction and stores LastSynchTime. The server is chronyd with clock
# control off on the NTP port of the loopback address, and the program
# runs without the right to set the clock (the correction is attempted
# and refused, which the program cannot tell from success).
# Then "Connect now", clicked, asks the silent server: the button greys,
# the line below says which server is asked, the clock's seconds go on
# throughout, and the answer is "Time not adjusted."; clicked again, "Exit"
# in the middle of its attempt ends the program at once, without a box.
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

# Takes every request on the NTP port of 127.0.0.2 and answers none.
e2e_ntp_silent 127.0.0.2

e2e_reg_dword AutoSynchTime 1
# One automatic walk, at the start: none joins "Connect now" later.
e2e_reg_dword AutoSynchInterval 24
e2e_reg_dword LogNetTime 1
e2e_reg_lines TimeServers 127.0.0.2 127.0.0.1
# Its time to end is the program's, not a missing window manager's.
e2e_reg_unmanaged
e2e_reg_apply
e2e_start
e2e_wait_clock
e2e_wait_log " from 127.0.0.1" 90
lines=$(e2e_log_lines | grep 'NetTime: ' | sed 's/.* - //' | tr '\n' ';')
case "$lines" in
    "NetTime: Time not adjusted from 127.0.0.2;NetTime: + 0 days, 00:00:00 from 127.0.0.1;" | \
        "NetTime: Time not adjusted from 127.0.0.2;NetTime: - 0 days, 00:00:00 from 127.0.0.1;") ;;
    *) e2e_fail "net time lines: $lines" ;;
esac
line=$(e2e_log_lines | grep 'NetTime: [+-]' | head -n 1)
stored=$(e2e_reg_get LastSynchTime)
case "$stored" in
    "$(e2e_date +%d/%m/%Y) "??:??:??) ;;
    *) e2e_fail "LastSynchTime is \"$stored\"" ;;
esac

# --- "Connect now" against the silent server ------------------------------
e2e_driver command settings >/dev/null
e2e_wait_window "$E2E_DIALOG"
e2e_page 2
e2e_click IDC_BUT_CONNECTNOW
progress=$(e2e_driver text "$E2E_DIALOG" "$(e2e_rid IDC_LBL_NETTIMEPROGRESS)")
case "$progress" in
    "Asking 1 of 1: 127.0.0.2"*) ;;
    *) e2e_fail "while asked, the group says \"$progress\"" ;;
esac
set -- $(e2e_driver control "$E2E_DIALOG" "$(e2e_rid IDC_BUT_CONNECTNOW)")
[ "${6:-1}" = 0 ] || e2e_fail "\"Connect now\" is not greyed while it asks"
# Its five seconds: the seconds go on, and the window answers.
e2e_driver watch PlenwickClock 4000 > "$E2E_WORK/watch.out" || e2e_fail "no clock window to watch"
still=$(awk '$1 == "still" { print $2 }' "$E2E_WORK/watch.out")
answer=$(awk '$1 == "answer" { print $2 }' "$E2E_WORK/watch.out")
[ "$still" -lt $((2000 * E2E_SLOW)) ] || e2e_fail "the seconds stood still for $still ms while a server was asked"
[ "$answer" -lt $((1000 * E2E_SLOW)) ] || e2e_fail "the clock window took $answer ms to answer"
e2e_wait_box 20
box=$(e2e_driver text Plenwick 65535 | tr -d '\n')
[ "$box" = "Time not adjusted." ] || e2e_fail "\"Connect now\" answered \"$box\""
xdotool key Return
sleep 1

# --- "Exit" while it asks again ---------------------------------------------
e2e_click IDC_BUT_CONNECTNOW
before=$(e2e_log_lines | wc -l)
# Timed from the moment "Exit" is posted: the driver's own start may take
# seconds on a busy machine.
e2e_driver command exit all >/dev/null || e2e_fail "no clock window to exit"
asked=$(date +%s%N)
# Its windows, as the display has them: what the user sees end.
i=0
while xdotool search --onlyvisible --class plenwick >/dev/null 2>&1 && [ $i -lt $((1000 * E2E_SLOW)) ]; do
    i=$((i + 1))
    sleep 0.02
done
gone=$(( ($(date +%s%N) - asked) / 1000000 ))
e2e_wait_end "Exit"
ended=$(( ($(date +%s%N) - asked) / 1000000 ))
[ "$ended" -lt $((1000 * E2E_SLOW)) ] ||
    e2e_fail "the program took $ended ms to end in the middle of an attempt (its windows were gone after $gone ms)"
[ "$(e2e_log_lines | wc -l)" = "$before" ] || e2e_fail "a line was logged after Exit: $(e2e_log_lines | tail -n 1)"
echo "logged: ${line#* - }; LastSynchTime $stored; seconds still at most $still ms and answers within $answer ms while \"Connect now\" asked; its windows gone $gone ms and the program ended $ended ms after Exit"
e2e_pass
