#!/bin/sh
# The setup program's and the uninstaller's pages, one screenshot each,
# put side by side into $PW_SCREENSHOT (default: setup-pages.png in the
# Windows build directory). Run by scripts/screenshot-setup.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_setup_prefix
out=${PW_SCREENSHOT:-$PW_BUILD_DIR/setup-pages.png}

shot() {  # window file
    sleep 1.5
    xwd -id "$1" -display "$DISPLAY" | convert xwd:- "$E2E_WORK/$2.png" || e2e_fail "screenshot"
}
"$E2E_RUN" "$(e2e_setup_file)" >/dev/null 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
setup=$(e2e_x_window "Plenwick Setup")
shot "$setup" 1-welcome
e2e_key "$setup" Return
shot "$setup" 2-options
e2e_key "$setup" Return
# The Uninstall entry's size is the install's last step.
i=0
until "$E2E_RUN" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plenwick' /v EstimatedSize >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le 60 ] || e2e_fail "the setup did not install"
    sleep 0.5
done
shot "$setup" 3-finish
# Leaves "Start Plenwick now" ticked: the program starts as a user's would.
e2e_key "$setup" Return
e2e_wait_clock

inst=$("$E2E_RUN" winepath -u "$("$E2E_RUN" cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Programs\\Plenwick" | tr -d '\r')
"$E2E_RUN" "${inst%/}/uninstall.exe" >/dev/null 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
uninst=$(e2e_x_window "Plenwick Uninstall")
shot "$uninst" 4-uninstall
e2e_key "$uninst" Return
question=$(e2e_x_window "Plenwick Uninstall" "$uninst")
shot "$question" 5-question

montage "$E2E_WORK"/[1-5]-*.png -tile 3x -geometry +6+6 -background '#6d6d6d' "$out" ||
    e2e_fail "montage"
echo "saved $out"
e2e_pass
