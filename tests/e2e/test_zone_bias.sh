#!/bin/sh
# The Windows clock's zone bias under Wine in zones with and without
# daylight saving time: UTC must always equal local time plus the bias.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-flavour.sh"
pw_flavour "$root"
: "${PW_BUILD_DIR:=$PW_WIN_BUILD}"

status=0
for zone in UTC Asia/Tokyo Asia/Kolkata Europe/Berlin America/New_York Australia/Adelaide; do
    out=$(TZ=$zone "$root/scripts/wine-run" "$PW_BUILD_DIR/pw_wintests.exe" \
        --gtest_filter='WinSystemClock.ReadingsAgreeWithEachOtherAndTheZone' 2>&1) || true
    if printf '%s\n' "$out" | grep -q 'PASSED.*1 test'; then
        echo "$zone: ok"
    else
        echo "$zone: FAILED"
        printf '%s\n' "$out"
        status=1
    fi
done
exit $status
