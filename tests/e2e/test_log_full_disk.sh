#!/bin/sh
# The event log on a full disk under Wine. The disk is made full with a
# file-size limit on the Windows process (writes beyond it fail as on a
# full disk); the wineserver is started before the limit is set, so the
# registry it saves is not affected. Appending drops the line whole and
# trimming leaves the log byte for byte as it was.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
: "${PW_BUILD_DIR:=$PW_WIN_BUILD}"
: "${WINEPREFIX:=$PW_PREFIXES/wineprefix}"
export WINEPREFIX WINEDEBUG=-all

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"

tool="$PW_BUILD_DIR/log_tool.exe"
work=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && "$PW_WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

run() { "$root/scripts/wine-run" "$tool" "$@" | tr -d '\r'; }
# With a limit of $1 blocks of 512 bytes on file sizes.
limited() {
    blocks=$1
    shift
    sh -c 'trap "" XFSZ; ulimit -f "$0"; exec "$@"' "$blocks" "$root/scripts/wine-run" "$tool" "$@" | tr -d '\r'
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# The prefix exists and its server keeps running between the runs.
run trim "Z:$work/none.log" 30 >/dev/null
"$PW_WINESERVER" -w
"$PW_WINESERVER" -p 120 </dev/null >/dev/null 2>&1
server=1

log="$work/plenwk.log"
awk 'BEGIN { for (i = 0; i < 2000; i++) printf "01/01/2026 12:00:00 - old line %d\r\n", i;
             for (i = 0; i < 2000; i++) printf "07/12/2026 12:00:00 - recent line %d\r\n", i }' > "$log"
cp "$log" "$work/before"

# 50 KiB allowed, the log is far larger: nothing can be written to it.
[ "$(limited 100 append "Z:$log" "lost")" = appended ] || fail "append did not run"
cmp -s "$log" "$work/before" || fail "a line was written past the full disk"
out=$(limited 100 trim "Z:$log" 30)
[ "$out" = "failed 0" ] || fail "trim on a full disk said: $out"
cmp -s "$log" "$work/before" || fail "trim on a full disk changed the log"
[ "$(ls "$work" | sort | tr '\n' ' ')" = "before none.log plenwk.log " ] ||
    [ "$(ls "$work" | sort | tr '\n' ' ')" = "before plenwk.log " ] || fail "left behind: $(ls "$work")"

# A line that fits only in part is taken back whole.
small="$work/small.log"
head -c 51190 /dev/zero | tr '\0' 'x' > "$small"
limited 100 append "Z:$small" "this line is longer than ten bytes" >/dev/null
[ "$(wc -c < "$small")" -eq 51190 ] || fail "a fragment of a line was left: $(wc -c < "$small") bytes"
# ...while one that fits is written: the limit is where it should be.
limited 101 append "Z:$small" "" >/dev/null
[ "$(wc -c < "$small")" -eq 51214 ] || fail "a line that fits was not written: $(wc -c < "$small") bytes"
rm -f "$small"

# With room again, both work.
[ "$(run trim "Z:$log" 30)" = "trimmed 2000" ] || fail "trim with room did not trim"
[ "$(head -n 1 "$log" | tr -d '\r')" = "07/12/2026 12:00:00 - recent line 0" ] || fail "wrong first line"
[ "$(tail -n 1 "$log" | tr -d '\r')" = "08/12/2026 12:00:00 - Log file trimmed" ] || fail "no trim line"
[ "$(wc -l < "$log")" -eq 2001 ] || fail "wrong number of lines"
echo "full disk: ok"
