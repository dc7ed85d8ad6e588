# Sourced by the benchmarks that run plenwick.exe and the floor clock
# under Wine on a virtual display of their own: copies both and the test
# driver into $work, starts the display and a prefix with the program's
# key removed, and ends all of it when the benchmark exits. PW_DPI sets the
# display's scaling as LogPixels (96 = 100 %, the default; 144 = 150 %).
# Needs $root; gives $build, $run, $work, $slow, $gone_ms, win (a Linux
# path as Wine's) and driver.
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
build=$PW_WIN_BUILD
[ -f "$build/plenwick.exe" ] && [ -f "$build/floor_clock_gui.exe" ] && [ -f "$PW_WIN_TOOLS/pwdriver.exe" ] ||
    "$root/scripts/build" windows >/dev/null
# PW_BENCH_PREFIX: a prefix of its own, for two runs side by side.
export WINEPREFIX="${PW_BENCH_PREFIX:-$PW_PREFIXES/wineprefix-bench}" WINEDEBUG=-all
unset LC_ALL
export LANG=en_GB.UTF-8
run="$root/scripts/wine-run"
work=$(mktemp -d /tmp/pw-bench.XXXXXX)
# The driver may be of the other build (through the emulator, PW_WIN_TOOLS).
cp "$build/plenwick.exe" "$build/floor_clock_gui.exe" "$PW_WIN_TOOLS/pwdriver.exe" "$work/"

. "$root/scripts/xvfb-lib.sh"
unset DISPLAY
cleanup() {
    "$PW_WINESERVER" -k >/dev/null 2>&1 || true
    xvfb_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
xvfb_start
"$PW_WINESERVER" -k >/dev/null 2>&1 || true
"$run" reg delete 'HKCU\Software\Corvane Software\Plenwick' /f >/dev/null 2>&1 || true
"$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${PW_DPI:-96}" /f >/dev/null 2>&1
# The first start of a prefix pays for its services; start them first.
"$run" cmd /c ver >/dev/null 2>&1 || true

win() { printf 'Z:%s' "$1" | tr '/' '\\'; }
# Through a file, not a pipe: a program the driver starts keeps the
# driver's output open, and a pipe would wait for that program to end.
driver() {
    "$run" "$work/pwdriver.exe" "$@" >"$work/driver.out"
    tr -d '\r' < "$work/driver.out"
}
# Through the emulator a program takes seconds to end where it takes a
# blink natively.
slow=1
[ "$PW_FLAVOUR/$PW_I386_ROUTE" != win32/emulated ] || slow=10
gone_ms=$((20000 * slow))
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
