#!/bin/sh
# The setup program's size and its time to install, silently, under Wine
# in a prefix of its own, against a floor measured in the same run: Wine
# starting and ending a program that does nothing (cmd /c exit), which
# every run of the setup pays as well. Prints the medians of N runs of
#   - the floor;
#   - a silent install over nothing (each run after an uninstall);
#   - a silent install over an installed copy (the upgrade path, no
#     program running);
#   - a silent uninstall (until every program of the prefix has ended);
# with their ratios to the floor, and the sizes of the setup and of
# plenwick.exe. Where only the 64-bit Wine runs, the setup is the 64-bit
# one of build/win64 (scripts/wine-flavour.sh); the size of the product's
# 32-bit setup is printed too when it is built.
#   bench/setup_time.sh [runs]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=${1:-5}

. "$root/scripts/clock-right.sh"
without_clock_right "$0" "$@"
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
build=$PW_WIN_BUILD
[ -f "$build/CMakeCache.txt" ] || "$root/scripts/build" windows >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup="$build/plenwick-setup-$version.exe"
[ -f "$setup" ] || "$root/scripts/build" windows >/dev/null

work=$(mktemp -d /tmp/pw-bench.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe="
trap '"$PW_WINESERVER" -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
run="$root/scripts/wine-run"
"$run" cmd /c exit >/dev/null 2>&1
"$PW_WINESERVER" -w
inst=$("$run" winepath -u "$("$run" cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Programs\\Plenwick" | tr -d '\r')
inst=${inst%/}

now() { date +%s%N; }
# Milliseconds one command takes, the prefix's programs all ended after it.
timed() {
    _t0=$(now)
    "$@" >/dev/null 2>&1
    "$PW_WINESERVER" -w
    echo $(( ($(now) - _t0) / 1000000 ))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: > "$work/floor"; : > "$work/fresh"; : > "$work/over"; : > "$work/uninst"
i=0
while [ $i -lt "$runs" ]; do
    timed "$run" cmd /c exit >> "$work/floor"
    timed "$run" "$setup" /S >> "$work/fresh"
    timed "$run" "$setup" /S >> "$work/over"
    timed "$run" "$inst/uninstall.exe" /S >> "$work/uninst"
    i=$((i + 1))
done

floor=$(median < "$work/floor")
report() {  # label file
    _ms=$(median < "$2")
    printf '%-34s %6d ms   %5.2f x floor\n' "$1" "$_ms" "$(awk -v a="$_ms" -v b="$floor" 'BEGIN { print a / b }')"
}
echo "median of $runs runs, $PW_FLAVOUR Wine"
printf '%-34s %6d ms\n' "floor (wine cmd /c exit)" "$floor"
report "silent install, first" "$work/fresh"
report "silent install over an installed" "$work/over"
report "silent uninstall" "$work/uninst"
echo "setup $(basename "$setup"): $(stat -c %s "$setup") bytes, holding plenwick.exe of $(stat -c %s "$build/plenwick.exe") bytes"
product="$root/build/win32/plenwick-setup-$version.exe"
if [ "$product" != "$setup" ] && [ -f "$product" ]; then
    echo "product setup (32-bit): $(stat -c %s "$product") bytes, holding plenwick.exe of $(stat -c %s "$root/build/win32/plenwick.exe") bytes"
fi
