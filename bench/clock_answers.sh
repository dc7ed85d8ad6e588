#!/bin/sh
# How long the clock window takes to answer while the program waits on the
# network or the time helper. plenwick.exe runs under Wine on a virtual
# display; pwdriver's watch asks the clock window every 50 ms (a WM_NULL
# with SendMessageTimeout) and reports the slowest answer and the longest
# time its pixels (the seconds) stood still. Four cases, each a start of
# its own:
#   a  the automatic step tries three time servers that take the request
#      and never answer (a firewall that drops NTP): 127.0.0.1 to .3;
#   b  "Connect now", clicked in the settings dialog, which asks the first
#      of them;
#   c  the time helper's pipe takes the request and never answers: a
#      stand-in service of the helper's name (bench/helper_silent_win32.cpp)
#      behind a server that answers 30 minutes ahead, which Wine refuses
#      to set, so the program turns to the helper;
#   d  "Check for updates" against an update server that drips its reply
#      one byte a second.
# Prints one line per case. The 32-bit program on the emulated route with
# PW_FLAVOUR=win32 (scripts/wine-flavour.sh); a program other than this
# tree's with PW_BENCH_EXE (to measure an older one the same way). It runs
# as a Windows test runs (scripts/wine-test): in a prefix and a network
# namespace of its own, where the NTP port of 127.0.0.1 to .3 is its own.
#   bench/clock_answers.sh [a] [b] [c] [d]
set -eu
E2E_SCRIPT=$0
# The harness of the end-to-end runs, from a folder of its own.
PW_SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
export PW_SOURCE_DIR
if [ -z "${PW_BENCH_APART:-}" ]; then
    PW_BENCH_APART=1 exec "$PW_SOURCE_DIR/scripts/wine-test" bench_clock_answers "$0" "$@"
fi
. "$PW_SOURCE_DIR/tests/e2e/lib.sh"
e2e_begin "$@"
cases=${*:-a b c d}
[ -z "${PW_BENCH_EXE:-}" ] || cp "$PW_BENCH_EXE" "$E2E_WORK/plenwick.exe"
cp "$PW_WIN_TOOLS/bench_helper_silent_win32.exe" "$E2E_WORK/" || e2e_fail "bench_helper_silent_win32.exe is not built"

# An update server on a free port that sends one byte of its reply a
# second; its port in DRIP_PORT.
dripping_server() {
    python3 - "$E2E_WORK" <<'PY' >/dev/null 2>"$E2E_WORK/drip.err" &
import os, socket, sys, threading, time
reply = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nplenwick 99.0\r\n"
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(4)
port = os.path.join(sys.argv[1], "drip.port")
with open(port + ".new", "w") as f:
    f.write(str(listener.getsockname()[1]))
os.rename(port + ".new", port)
def drip(c):
    try:
        for b in reply:
            c.sendall(bytes([b]))
            time.sleep(1)
    except OSError:
        pass
while True:
    c, _ = listener.accept()
    threading.Thread(target=drip, args=(c,), daemon=True).start()
PY
    E2E_SERVERS="$E2E_SERVERS $!"
    e2e_wait_ready "$E2E_WORK/drip.port" "the update server" "$E2E_WORK/drip.err"
    DRIP_PORT=$(cat "$E2E_WORK/drip.port")
}

# Watches the clock window for $1 seconds; prints the slowest answer and
# the longest stillness in milliseconds.
watch() {
    e2e_driver watch PlenwickClock "$(($1 * 1000))" > "$E2E_WORK/watch.out" || e2e_fail "no clock window to watch"
    printf '%s %s\n' "$(awk '$1 == "answer" { print $2 }' "$E2E_WORK/watch.out")" \
        "$(awk '$1 == "still" { print $2 }' "$E2E_WORK/watch.out")"
    # When it was slow, for a look at what the program did then.
    awk '$1 == "late" { printf "   answered in %d ms at %d ms\n", $3, $2 }
         $1 == "stood" { printf "   seconds stood %d ms from %d ms\n", $3, $2 }' "$E2E_WORK/watch.out" >&2
}

report() {  # case text "answer still"
    set -- "$1" "$2" $3
    printf '%s  %-62s longest answer %6s ms, seconds still %6s ms\n' "$1" "$2" "$3" "$4"
}

start() {
    "$E2E_RUN" reg delete "$E2E_KEY" /f >/dev/null 2>&1 || true
    # Boxes come and go within the watch: their time is the program's.
    e2e_reg_unmanaged
    e2e_reg_apply
    e2e_start
    e2e_wait_clock
}

# A second after its first tick the program builds the settings dialog's
# windows, hidden, once (about a tenth of a second under Wine): not a
# wait on the network, so the watch of a case that begins at the start
# begins after it. The waits measured run far longer.
settle() {
    sleep $((2 * E2E_SLOW))
}

finish() {
    e2e_exit
    "$PW_WINESERVER" -k >/dev/null 2>&1 || true
}

silent_started=0
for c in $cases; do
    case $c in
        a)
            [ $silent_started = 1 ] || e2e_ntp_silent 127.0.0.1 127.0.0.2 127.0.0.3
            silent_started=1
            e2e_reg_dword AutoSynchTime 1
            e2e_reg_dword AutoSynchInterval 0
            e2e_reg_dword LogNetTime 1
            e2e_reg_lines TimeServers 127.0.0.1 127.0.0.2 127.0.0.3
            start
            # The walk begins with the first pass, at the first tick, and
            # takes 15 seconds.
            settle
            report a "automatic step, three silent servers" "$(watch 15)"
            e2e_wait_log "Time not adjusted from 127.0.0.3" 10
            finish
            ;;
        b)
            [ $silent_started = 1 ] || e2e_ntp_silent 127.0.0.1 127.0.0.2 127.0.0.3
            silent_started=1
            e2e_reg_lines TimeServers 127.0.0.1 127.0.0.2 127.0.0.3
            start
            e2e_driver command settings >/dev/null
            e2e_wait_window "$E2E_DIALOG"
            e2e_page 2
            e2e_click IDC_BUT_CONNECTNOW
            case $(e2e_driver text "$E2E_DIALOG" "$(e2e_rid IDC_LBL_NETTIMEPROGRESS)") in
                "Asking 1 of 1: 127.0.0.1"*) ;;
                *) [ -n "${PW_BENCH_EXE:-}" ] || e2e_fail "\"Connect now\" is not asking" ;;
            esac
            report b "\"Connect now\" against them" "$(watch 10)"
            e2e_wait_box 10
            [ "$(e2e_driver text Plenwick 65535 | tr -d '\n')" = "Time not adjusted." ] ||
                e2e_fail "\"Connect now\" did not answer \"Time not adjusted.\""
            finish
            ;;
        c)
            # The server ahead takes the NTP port of 127.0.0.1.
            if [ $silent_started = 1 ]; then
                kill "$E2E_SILENT_PID" 2>/dev/null || true
                wait "$E2E_SILENT_PID" 2>/dev/null || true
                silent_started=0
            fi
            e2e_ntp_ahead
            "$E2E_RUN" sc create PlenwickTime binpath= "$(e2e_winpath "$E2E_WORK/bench_helper_silent_win32.exe")" \
                >/dev/null 2>&1 || true
            "$E2E_RUN" sc start PlenwickTime >/dev/null 2>&1 || e2e_fail "the stand-in helper did not start"
            e2e_reg_dword AutoSynchTime 1
            e2e_reg_dword AutoSynchInterval 0
            e2e_reg_dword MaxCorrection 60
            e2e_reg_dword LogNetTime 1
            e2e_reg_string TimeServers 127.0.0.1
            start
            settle
            report c "the time helper takes the request, never answers" "$(watch 35)"
            # The helper was given up.
            e2e_wait_log "Time not adjusted from 127.0.0.1" 10
            finish
            "$E2E_RUN" sc delete PlenwickTime >/dev/null 2>&1 || true
            ;;
        d)
            dripping_server
            e2e_reg_string UpdateServer "127.0.0.1:$DRIP_PORT"
            start
            e2e_driver command about >/dev/null
            e2e_wait_window "$E2E_DIALOG"
            e2e_click IDC_BUT_CHECKFORUPDATE
            # "Yes" (IDYES) in the question's box.
            e2e_driver wait '#32770' "Check for latest version?" $((30000 * E2E_SLOW)) >/dev/null ||
                e2e_fail "no question after a click on Check for updates"
            sleep 0.3
            e2e_click 6 "" "Check for latest version?"
            report d "update server drips one byte a second" "$(watch 35)"
            # The check ran its 30 seconds to the end.
            e2e_wait_box 20
            box=$(e2e_driver text Plenwick 65535 | tr -d '\n')
            [ "$box" = "The update server was reached but sent no complete answer within 30 seconds." ] ||
                e2e_fail "the update check answered \"$box\""
            finish
            ;;
        *) e2e_fail "no case $c (a, b, c or d)" ;;
    esac
done
echo "plenwick.exe: $PW_FLAVOUR, $PW_I386_ROUTE route"
e2e_pass
