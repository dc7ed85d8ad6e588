# End-to-end harness for plenwick.exe, sourced by tests/e2e/test_app_*.sh
# (and by scripts/screenshot-clock).
#
# Each run gets a fresh work directory holding a copy of the program and
# the tools, so the log beside the executable is the run's own; its own
# virtual display; its own clock (below); and the Wine prefix WINEPREFIX
# (ctest gives each test its own, scripts/wine-test; by hand it is
# wineprefix-e2e of the Windows build the tests run here,
# scripts/wine-flavour.sh), whose Plenwick registry key is emptied first.
# Everything runs without the right to set the clock. e2e_cleanup
# (installed as the exit trap by e2e_begin) ends what is left of the run
# even when a check failed.
#
# The run's clock is what its Wine programs and their server read: the
# real time until the test moves it with e2e_clock_set, from then on the
# time set and running on (an offset kept in the work directory, applied
# by scripts/wine-run with libfaketime). A test that needs a schedule's
# minute sets the clock a few seconds before it instead of waiting for
# it; the times it writes and checks come from e2e_date, which reads the
# same clock. This machine's clock is never set.
#
#   e2e_begin                      set up; call first, with "$@" of the script
#   e2e_clock_set TIME             moves the run's clock to TIME ("2026-03-10
#                                  10:14:50", any form date -d reads, local
#                                  time); returns once every process reads
#                                  it, two to four seconds after TIME
#   e2e_clock_minute S             moves it to S seconds after the start of
#                                  its current minute (61: early in the next)
#   e2e_clock_early                moves it to 10:14:05 today: early in a
#                                  minute that is not :00, which a program
#                                  started in it has its first pass in
#   e2e_now                        the run's clock in seconds since 1970
#   e2e_date [OPTIONS]             date for the run's clock (+%H:%M, ...)
#   e2e_reg_dword NAME VALUE       queue a global value of the settings key
#   e2e_reg_string NAME TEXT
#   e2e_reg_lines NAME LINE...     a text of lines, as a memo of the dialog keeps it
#   e2e_reg_schedule NAME VALUE... queue a schedule: VALUE is Name=dword:N or Name=text
#   e2e_reg_unmanaged              queue: Wine manages the windows itself
#                                  (where a run times a window's going)
#   e2e_reg_apply                  write the queued values in one import
#   e2e_reg_get NAME               a global value as reg shows it (0x12c, text)
#   e2e_reg_value KEY NAME         a value of any key so; empty when missing
#   e2e_start [ARGS]               starts plenwick.exe in the background
#   e2e_wait_clock                 waits until the clock window is shown
#   e2e_wait_caption CAPTION [S]   waits until the clock window is so captioned
#   e2e_wait_window CAPTION [S]    waits for a visible window captioned so
#   e2e_wait_log TEXT [S]          waits for a log line holding TEXT
#   e2e_driver ARGS                runs tests/win32/tools/pwdriver.exe
#   e2e_screenshot FILE            the whole virtual screen as PNG
#   e2e_exit                       "Exit" in every running instance; waits for them
#   e2e_wait_end WHAT              waits until every program started has ended
#   e2e_winpath PATH               the Windows path of a Unix path
#   e2e_fail MESSAGE               reports and ends the test (cleanup runs)
#   e2e_setup_prefix               a fresh prefix of this run's own, for the setup
#   e2e_setup_file                 the built setup program of this build
#   e2e_x_window CAPTION [NOT_ID]  waits for a visible window so captioned; its X id
#   e2e_key ID KEY                 sends a key (xdotool's name) to that window
#   e2e_rid NAME                   a control's resource ID by its name in res/resource.h
#   e2e_click CONTROL [X] [CAPTION]  clicks a control (a name of res/resource.h
#                                  or an ID) of the window so captioned, by
#                                  default the settings dialog, where a person
#                                  would: its middle, or X pixels from its left
#   e2e_page N                     shows the settings page N tabs right of "Schedules"
#   e2e_wait_box [S]               waits for the program's message box
#   e2e_uninstall_yes EXE CAPTION  runs an uninstaller as a person would, who
#                                  confirms and answers "Yes" to its question;
#                                  waits until every program of the prefix ended
#   e2e_ntp_ahead [PROGRAM PORT]   a time server on 127.0.0.1:123 answering
#                                  30 minutes ahead (tests/e2e/ntp_ahead.py),
#                                  to PROGRAM alone when given, passing the
#                                  others on to 127.0.0.1:PORT
#   e2e_ntp_silent HOST...         takes every request on the NTP port of each
#                                  HOST and answers none (a firewall that
#                                  drops NTP); its PID in E2E_SILENT_PID
#   e2e_wait_ready FILE WHAT ERRFILE  waits until a server of the run wrote FILE

E2E_KEY='HKEY_CURRENT_USER\Software\Corvane Software\Plenwick'
# The settings dialog's caption begins so.
E2E_DIALOG='Plenwick v'

e2e_begin() {
    # No part of the run may set this machine's clock.
    . "${PW_SOURCE_DIR:-$(cd "$(dirname "$E2E_SCRIPT")/../.." && pwd)}/scripts/clock-right.sh"
    without_clock_right "$E2E_SCRIPT" "$@"
    : "${PW_SOURCE_DIR:=$(cd "$(dirname "$E2E_SCRIPT")/../.." && pwd)}"
    . "$PW_SOURCE_DIR/scripts/wine-flavour.sh"
    pw_flavour "$PW_SOURCE_DIR"
    : "${PW_BUILD_DIR:=$PW_WIN_BUILD}"
    export PW_SOURCE_DIR PW_BUILD_DIR
    export WINEPREFIX="${WINEPREFIX:-$PW_PREFIXES/wineprefix-e2e}"
    # Through the emulator (scripts/wine-flavour.sh) the program takes a
    # minute and more to start and seconds where it takes a blink
    # natively: every wait of the harness lasts E2E_SLOW times as long.
    E2E_SLOW=1
    if [ "$PW_FLAVOUR" = win32 ] && [ "$PW_I386_ROUTE" = emulated ]; then
        E2E_SLOW=${PW_E2E_SLOW:-8}
    fi
    export WINEDEBUG=-all
    # British dates and 24-hour times, so the schedules below read alike
    # everywhere (scripts/deps generates the locale).
    unset LC_ALL LC_TIME LC_MESSAGES LC_CTYPE
    export LANG=en_GB.UTF-8
    E2E_RUN="$PW_SOURCE_DIR/scripts/wine-run"
    command -v xdotool >/dev/null || e2e_fail "xdotool is not installed (scripts/deps)"
    E2E_PIDS=""
    # Helper servers of the run (not Wine programs): stopped by PID at the end.
    E2E_SERVERS=""
    E2E_REG=""
    E2E_WORK=$(mktemp -d /tmp/pw-e2e.XXXXXX)
    E2E_STATUS=1
    trap 'e2e_cleanup' EXIT
    trap 'exit 1' INT TERM HUP
    # Before the first Wine program, so its server reads the same clock.
    export PW_CLOCK_FILE="$E2E_WORK/clock"
    echo +0 >"$PW_CLOCK_FILE"

    cp "$PW_BUILD_DIR/plenwick.exe" "$E2E_WORK/" || e2e_fail "plenwick.exe is not built"
    # The tools that drive and watch it may be of the other build
    # (PW_WIN_TOOLS): they need not go through the emulator.
    for f in pwdriver.exe launch_probe.exe; do
        cp "$PW_WIN_TOOLS/$f" "$E2E_WORK/" || e2e_fail "$f is not built"
    done
    cp "$PW_BUILD_DIR/plenwk.htm" "$E2E_WORK/" 2>/dev/null || true
    E2E_LOG="$E2E_WORK/plenwk.log"

    . "$PW_SOURCE_DIR/scripts/xvfb-lib.sh"
    unset DISPLAY
    xvfb_start || e2e_fail "no virtual display"
    # A program of an earlier run that did not end would hold the mutex.
    "$PW_WINESERVER" -k >/dev/null 2>&1 || true
    "$E2E_RUN" reg delete "$E2E_KEY" /f >/dev/null 2>&1 || true
}

e2e_cleanup() {
    _rc=$?
    [ "$E2E_STATUS" -eq 0 ] || _rc=1
    for p in $E2E_PIDS; do kill "$p" 2>/dev/null || true; done
    # Ends every process of this prefix, which only this run uses.
    "$PW_WINESERVER" -k >/dev/null 2>&1 || true
    for p in $E2E_PIDS; do wait "$p" 2>/dev/null || true; done
    # The semaphore and memory the run's clock shared (scripts/wine-run):
    # their maker was killed, so nothing else removes them.
    if [ -s "${PW_CLOCK_FILE:-}.shared" ]; then
        read -r _sem _shm <"$PW_CLOCK_FILE.shared" || true
        rm -f "/dev/shm/sem.${_sem#/}" "/dev/shm/${_shm#/}"
    fi
    for p in $E2E_SERVERS; do kill "$p" 2>/dev/null || true; done
    for p in $E2E_SERVERS; do wait "$p" 2>/dev/null || true; done
    xvfb_stop
    if [ $_rc -ne 0 ] && [ -f "$E2E_LOG" ]; then
        echo "--- plenwk.log:" >&2
        tr -d '\r' < "$E2E_LOG" >&2
    fi
    if [ $_rc -ne 0 ] && [ -s "$E2E_WORK/plenwick.err" ]; then
        echo "--- plenwick.exe, error output:" >&2
        head -n 60 "$E2E_WORK/plenwick.err" >&2
    fi
    rm -rf "$E2E_WORK"
    exit $_rc
}

e2e_fail() {
    # printf: the sh's echo would read the backslashes of Windows paths.
    printf 'FAILED: %s\n' "$*" >&2
    # PW_E2E_FAILSHOT=file.png keeps the screen as it was, to see why.
    if [ -n "${PW_E2E_FAILSHOT:-}" ]; then
        xwd -root -display "$DISPLAY" | convert xwd:- "$PW_E2E_FAILSHOT" || true
    fi
    exit 1
}

e2e_pass() {
    E2E_STATUS=0
    echo "passed: $(basename "$E2E_SCRIPT")"
}

e2e_winpath() {
    printf 'Z:%s' "$1" | tr '/' '\\'
}

# .reg texts: backslashes and quotes escaped.
_e2e_regtext() {
    printf '%s' "$1" | sed 's/\\/\\\\/g; s/"/\\"/g'
}

_e2e_regline() {
    case "$2" in
        dword:*) printf '"%s"=dword:%08x\n' "$1" "${2#dword:}" ;;
        *) printf '"%s"="%s"\n' "$1" "$(_e2e_regtext "$2")" ;;
    esac
}

e2e_reg_dword() {
    E2E_REG="$E2E_REG
[$E2E_KEY]
$(_e2e_regline "$1" "dword:$2")"
}

e2e_reg_string() {
    E2E_REG="$E2E_REG
[$E2E_KEY]
$(_e2e_regline "$1" "$2")"
}

# The virtual display has no window manager, and Wine waits two seconds
# for one each time a window it leaves to it is shown or withdrawn: a run
# that times the program through a message box or its end takes the
# windows out of the missing manager's hands.
e2e_reg_unmanaged() {
    E2E_REG="$E2E_REG
[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
\"Managed\"=\"N\""
}

# The line breaks as bytes: in the .reg file of the harness, REGEDIT4, a
# string's bytes are ANSI.
e2e_reg_lines() {
    E2E_REG="$E2E_REG
[$E2E_KEY]
$(python3 -c 'import sys
data = "\r\n".join(sys.argv[2:]).encode("latin-1") + b"\0"
print("\"%s\"=hex(1):%s" % (sys.argv[1], ",".join("%02x" % b for b in data)))' "$@")"
}

e2e_reg_schedule() {
    _name=$1
    shift
    E2E_REG="$E2E_REG
[$E2E_KEY\\Schedules\\$_name]"
    for v in "$@"; do
        E2E_REG="$E2E_REG
$(_e2e_regline "${v%%=*}" "${v#*=}")"
    done
}

e2e_reg_apply() {
    printf 'REGEDIT4\n%s\n' "$E2E_REG" > "$E2E_WORK/setup.reg"
    "$E2E_RUN" regedit /S "$(e2e_winpath "$E2E_WORK/setup.reg")" >/dev/null 2>&1 || e2e_fail "registry import"
    case "$E2E_REG" in
        *"X11 Driver]"*)
            # Wine's desktop process (the tray's owner) reads its window
            # settings once, at its start, and the import has just started
            # it: it starts afresh with them along with the program.
            "$PW_WINESERVER" -k >/dev/null 2>&1 || true
            "$PW_WINESERVER" -w >/dev/null 2>&1 || true ;;
    esac
    E2E_REG=""
}

e2e_reg_get() {
    e2e_reg_value "$E2E_KEY" "$1"
}

e2e_reg_value() {
    "$PW_SOURCE_DIR/scripts/reg-value" "$1" "$2"
}

e2e_start() {
    # Wine's own report of a crash goes to the error output: kept for a
    # failed run's account.
    "$E2E_RUN" "$E2E_WORK/plenwick.exe" "$@" >/dev/null 2>>"$E2E_WORK/plenwick.err" &
    E2E_LAST_PID=$!
    E2E_PIDS="$E2E_PIDS $E2E_LAST_PID"
}

# Keeps the driver's exit status (a pipe would give tr's).
e2e_driver() {
    _rc=0
    "$E2E_RUN" "$E2E_WORK/pwdriver.exe" "$@" >"$E2E_WORK/driver.out" 2>"$E2E_WORK/driver.err" || _rc=$?
    tr -d '\r' < "$E2E_WORK/driver.out"
    return $_rc
}

e2e_wait_clock() {
    e2e_driver wait PlenwickClock '*' "$(( ${1:-60} * E2E_SLOW ))000" >/dev/null || e2e_fail "no clock window"
}

# "Schedules: N" once a pass has counted the schedules.
e2e_wait_caption() {
    _i=0
    until [ "$(e2e_driver caption PlenwickClock)" = "$1" ]; do
        _i=$((_i + 1))
        [ $_i -le $(( ${2:-20} * 5 )) ] || e2e_fail "the clock window is not captioned \"$1\""
        sleep 0.2
    done
}

e2e_wait_window() {
    e2e_driver wait '*' "$1" "$(( ${2:-30} * E2E_SLOW ))000" >/dev/null || e2e_fail "no window \"$1\""
}

e2e_wait_log() {
    _i=0
    while ! tr -d '\r' < "$E2E_LOG" 2>/dev/null | grep -qF -- "$1"; do
        _i=$((_i + 1))
        [ $_i -le $(( ${2:-30} * 10 * E2E_SLOW )) ] || e2e_fail "no log line with \"$1\""
        sleep 0.1
    done
}

e2e_log_lines() {
    tr -d '\r' < "$E2E_LOG"
}

e2e_screenshot() {
    xwd -root -display "$DISPLAY" | convert xwd:- "$1" || e2e_fail "screenshot"
    # Wine's message boxes come out black in a capture of the root window
    # alone: every shown window is laid over it from a capture of its own,
    # bottom one first (xwininfo lists the top one first).
    xwininfo -root -children -display "$DISPLAY" |
        sed -n 's/^ *\(0x[0-9a-f]*\) .* [0-9]*x[0-9]*[-+][0-9]*[-+][0-9]*  *\([-+][0-9]*\)\([-+][0-9]*\)$/\1 \2 \3/p' | tac |
        while read -r _id _x _y; do
            xwininfo -id "$_id" -display "$DISPLAY" 2>/dev/null | grep -q IsViewable || continue
            xwd -id "$_id" -display "$DISPLAY" 2>/dev/null |
                convert "$1" xwd:- -geometry "$_x$_y" -composite "$1" 2>/dev/null || true
        done
}

e2e_exit() {
    # One more try when the driver itself failed to run (Wine can refuse a
    # new process under load) while the program is still alive; the second
    # answer is the one that counts.
    if ! e2e_driver command exit all >/dev/null; then
        _why="driver exit code $_rc, $(e2e_alive_count) of the program's processes alive, driver said: $(tr -d '\r' <"$E2E_WORK/driver.err" | tail -n 3)"
        sleep 1
        e2e_driver command exit all >/dev/null || e2e_fail "no clock window to exit ($_why)"
    fi
    e2e_wait_end "Exit"
}

e2e_alive_count() {
    _n=0
    for p in $E2E_PIDS; do kill -0 "$p" 2>/dev/null && _n=$((_n + 1)); done
    echo $_n
}

e2e_wait_end() {
    for p in $E2E_PIDS; do
        _i=0
        while kill -0 "$p" 2>/dev/null; do
            _i=$((_i + 1))
            [ $_i -le $(( 200 * E2E_SLOW )) ] || e2e_fail "the program did not end after $1"
            sleep 0.1
        done
        wait "$p" 2>/dev/null || true
    done
    E2E_PIDS=""
}

e2e_now() {
    echo $(( $(date +%s) + $(cat "$PW_CLOCK_FILE") ))
}

e2e_date() {
    date -d "@$(e2e_now)" "$@"
}

e2e_clock_set() {
    _at=$(date -d "$1" +%s) || e2e_fail "no time \"$1\" to set the clock to"
    _off=$(( _at - $(date +%s) ))
    [ $_off -lt 0 ] || _off="+$_off"
    echo "$_off" >"$PW_CLOCK_FILE.new"
    mv "$PW_CLOCK_FILE.new" "$PW_CLOCK_FILE"
    # Every process reads the offset again when it is a second old, that
    # is within two seconds.
    sleep 2.5
}

e2e_clock_minute() {
    e2e_clock_set "@$(( $(e2e_now) / 60 * 60 + $1 ))"
}

e2e_clock_early() {
    e2e_clock_set "$(date +%F) 10:14:05"
}

# The setup writes into the user's profile and registry: its runs get a
# prefix of their own, and no menu entries on this machine's desktop.
e2e_setup_prefix() {
    export WINEPREFIX="$E2E_WORK/prefix"
    export WINEDLLOVERRIDES="winemenubuilder.exe="
}

e2e_setup_file() {
    _v=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PW_BUILD_DIR/CMakeCache.txt")
    printf '%s/plenwick-setup-%s.exe' "$PW_BUILD_DIR" "$_v"
}

# Captions of the setup's windows end in a blank.
e2e_x_window() {
    _i=0
    while :; do
        for _w in $(xdotool search --onlyvisible --name "^$1 *\$" 2>/dev/null); do
            [ "$_w" = "${2:-}" ] || { echo "$_w"; return 0; }
        done
        _i=$((_i + 1))
        [ $_i -le $(( 600 * E2E_SLOW )) ] || e2e_fail "no window \"$1\""
        sleep 0.1
    done
}

e2e_key() {
    xdotool key --window "$1" "$2" 2>/dev/null || true
}

e2e_rid() {
    case $1 in
        *[!0-9]*) awk -v n="$1" '$1 == "#define" && $2 == n { print $3 }' "$PW_SOURCE_DIR/res/resource.h" ;;
        *) echo "$1" ;;
    esac
}

e2e_click() {
    # Once it is shown and enabled, as a person waits for a box to come up.
    _i=0
    while :; do
        set -- "$1" "${2:-}" "${3:-$E2E_DIALOG}" $(e2e_driver control "${3:-$E2E_DIALOG}" "$(e2e_rid "$1")")
        [ "${8:-0} ${9:-0}" != "1 1" ] || break
        _i=$((_i + 1))
        [ $_i -le $(( 50 * E2E_SLOW )) ] || e2e_fail "control $1 in \"$3\" is not there, shown and enabled"
        sleep 0.1
    done
    shift
    _x=$3
    [ -z "$1" ] || _x=$(( $3 - $5 / 2 + $1 ))
    xdotool mousemove "$_x" "$4" click 1
    sleep 0.5
}

# A click on the first tab gives the tab control the keys; Home and the
# arrow keys then choose the page (the tabs' places depend on the font).
# Made again, as a person would, until a control of the page shows.
e2e_page() {
    case $1 in
        0) _probe=IDC_CMB_SCHEDULES ;;
        1) _probe=IDC_CHK_ALWAYSONTOP ;;
        2) _probe=IDC_CMB_CLOCKDATEFORMAT ;;
        3) _probe=IDC_BUT_TRIMLOG ;;
        *) _probe=IDC_LBL_APPVERSION ;;
    esac
    _try=0
    while :; do
        set -- "$1" $(e2e_driver control "$E2E_DIALOG" "$(e2e_rid IDC_TAB_PAGES)")
        [ $# -ge 5 ] || e2e_fail "no tab control"
        xdotool mousemove $(($2 - $4 / 2 + 20)) $(($3 - $5 / 2 + 8)) click 1
        sleep 0.3
        xdotool key Home
        _n=0
        while [ $_n -lt "$1" ]; do
            xdotool key Right
            _n=$((_n + 1))
        done
        sleep 0.5
        set -- "$1" $(e2e_driver control "$E2E_DIALOG" "$(e2e_rid $_probe)")
        [ "${6:-0}" != 1 ] || return 0
        _try=$((_try + 1))
        [ $_try -lt 3 ] || e2e_fail "page $1 did not show"
    done
}

# The program's boxes are captioned with its bare name.
e2e_wait_box() {
    _i=0
    until e2e_driver windows | grep -q '^#32770 | Plenwick |'; do
        _i=$((_i + 1))
        [ $_i -le $(( ${1:-20} * 2 * E2E_SLOW )) ] || e2e_fail "no message box; windows: $(e2e_driver windows | tr "\n" ";")"
        sleep 0.5
    done
}

e2e_ntp_ahead() {
    python3 "$PW_SOURCE_DIR/tests/e2e/ntp_ahead.py" "$E2E_WORK" "$@" 2>"$E2E_WORK/ahead.err" &
    E2E_SERVERS="$E2E_SERVERS $!"
    e2e_wait_ready "$E2E_WORK/ahead.ready" "the test time server" "$E2E_WORK/ahead.err"
}

e2e_ntp_silent() {
    rm -f "$E2E_WORK/silent.ready"
    python3 - "$E2E_WORK/silent.ready" "$@" <<'PY' 2>"$E2E_WORK/silent.err" &
import select, socket, sys
socks = []
for host in sys.argv[2:]:
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((host, 123))
    socks.append(s)
open(sys.argv[1], "w").close()
while True:
    for s in select.select(socks, [], [])[0]:
        s.recvfrom(2048)
PY
    E2E_SILENT_PID=$!
    E2E_SERVERS="$E2E_SERVERS $E2E_SILENT_PID"
    e2e_wait_ready "$E2E_WORK/silent.ready" "the silent time server" "$E2E_WORK/silent.err"
}

e2e_wait_ready() {
    _i=0
    while [ ! -f "$1" ]; do
        _i=$((_i + 1))
        [ $_i -le 50 ] || e2e_fail "$2 did not start: $(cat "$3")"
        sleep 0.1
    done
}

e2e_uninstall_yes() {
    "$E2E_RUN" "$1" >/dev/null 2>&1 &
    E2E_PIDS="$E2E_PIDS $!"
    _un=$(e2e_x_window "$2")
    e2e_key "$_un" Return
    _question=$(e2e_x_window "$2" "$_un")
    e2e_key "$_question" alt+y
    # "Close" once the uninstaller is done (until then the key does nothing).
    _i=0
    while [ -n "$(xdotool search --onlyvisible --name "^$2 *\$" 2>/dev/null)" ]; do
        _i=$((_i + 1))
        [ $_i -le $((60 * E2E_SLOW)) ] || e2e_fail "the uninstaller did not come to its end"
        e2e_key "$_un" Return
        sleep 1
    done
    timeout $((120 * E2E_SLOW)) "$PW_WINESERVER" -w || e2e_fail "the uninstaller did not end"
    E2E_PIDS=""
}
