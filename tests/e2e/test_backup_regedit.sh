#!/bin/sh
# A backup on the registry, read back over a cleared key, gives back every
# kind of value exactly: Wine's own regedit export of the key before the
# backup and after the restore are the same file.
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

key='Software\PlenwickTests\RoundTrip'
work=$(mktemp -d)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT INT TERM

# Keeps the program's exit status (a pipe would give tr's).
wrun() {
    _rc=0
    "$root/scripts/wine-run" "$@" >"$work/out" 2>&1 || _rc=$?
    tr -d '\r' <"$work/out"
    return $_rc
}
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Texts with line breaks are written as raw UTF-16 (hex(1)), as regedit
# has no other form for them.
cat > "$work/setup.reg" <<REG
Windows Registry Editor Version 5.00

[-HKEY_CURRENT_USER\\$key]

[HKEY_CURRENT_USER\\$key]
@="default value"
"Zero"=dword:00000000
"Max"=dword:7fffffff
"Min"=dword:80000000
"Colour"=dword:ff00000f
"Empty"=""
"Text"="a \\"quoted\\" text = 5 [x] with qq and backslash \\\\"
"Servers"=hex(1):61,00,0d,00,0a,00,62,00,0d,00,0a,00,00,00
"Blob"=hex:00,ab,10,ff
"NoBytes"=hex:

[HKEY_CURRENT_USER\\$key\\Schedules]

[HKEY_CURRENT_USER\\$key\\Schedules\\Tea]
"Message"="Brew"
"ScheduleType"=dword:00000001

[HKEY_CURRENT_USER\\$key\\Schedules\\Walk in the park]
"Message"="Go"

[HKEY_CURRENT_USER\\$key\\Schedules\\Walk in the park\\Deeper]
"Level"=dword:00000003
REG
wrun regedit /S "$(winpath "$work/setup.reg")" >/dev/null 2>&1 || fail "setting up the key"
wrun regedit /E "$(winpath "$work/before.reg")" "HKEY_CURRENT_USER\\$key" >/dev/null 2>&1 || fail "regedit export before"
grep -qa "W.a.l.k" "$work/before.reg" || fail "the key was not set up"

tool="$PW_BUILD_DIR/backup_tool.exe"
wrun "$tool" export "$(winpath "$work/registry.cfg")" "$key" || fail "backup"
wrun "$tool" clear "$key" || fail "clearing the key"
if wrun reg query "HKEY_CURRENT_USER\\$key" >/dev/null 2>&1; then fail "the key is still there"; fi
wrun "$tool" import "$(winpath "$work/registry.cfg")" || fail "restore"
wrun regedit /E "$(winpath "$work/after.reg")" "HKEY_CURRENT_USER\\$key" >/dev/null 2>&1 || fail "regedit export after"

cmp "$work/before.reg" "$work/after.reg" || {
    diff "$work/before.reg" "$work/after.reg" | head -40 >&2 || true
    fail "the key differs after the round trip"
}
echo "round trip: regedit exports before and after are the same"
