#!/bin/sh
# The setup program's and the uninstaller's pages, one screenshot each,
# put side by side into $PW_SCREENSHOT (default: setup-pages.png in the
# Windows build directory). Run by scripts/screenshot-setup.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
export WINEPREFIX="$E2E_WORK/prefix"
export WINEDLLOVERRIDES="winemenubuilder.exe="
out=${PW_SCREENSHOT:-$PW_BUILD_DIR/setup-pages.png}

windows_named() {  # caption: ids of the visible windows so captioned
    xdotool search --onlyvisible --name "^$1 *\$" 2>/dev/null || true
}
# Waits for a window captioned $1 that is not one of the ids in $2.
wait_new_window() {
    _i=0
    while :; do
        for _w in $(windows_named "$1"); do
            case " $2 " in *" $_w "*) ;; *) echo "$_w"; return 0 ;; esac
        done
        _i=$((_i + 1))
        if [ $_i -gt 600 ]; then
            for _w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
                echo "window $_w: $(xdotool getwindowname "$_w")" >&2
            done
            e2e_fail "no window \"$1\""
        fi
        sleep 0.1
    done
}
shot() {  # window file
    sleep 1.5
    xwd -id "$1" -display "$DISPLAY" | convert xwd:- "$E2E_WORK/$2.png" || e2e_fail "screenshot"
}
press() {  # window key
    xdotool key --window "$1" "$2" 2>/dev/null
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PW_BUILD_DIR/CMakeCache.txt")
"$E2E_RUN" "$PW_BUILD_DIR/plenwick-setup-$version.exe" >/dev/null 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
setup=$(wait_new_window "Plenwick Setup" "")
shot "$setup" 1-welcome
press "$setup" Return
shot "$setup" 2-options
press "$setup" Return
sleep 3
shot "$setup" 3-finish
# Leaves "Start Plenwick now" ticked: the program starts as a user's would.
press "$setup" Return
e2e_wait_clock

inst=$("$E2E_RUN" winepath -u "$("$E2E_RUN" cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Programs\\Plenwick" | tr -d '\r')
"$E2E_RUN" "${inst%/}/uninstall.exe" >/dev/null 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
uninst=$(wait_new_window "Plenwick Uninstall" "")
shot "$uninst" 4-uninstall
press "$uninst" Return
question=$(wait_new_window "Plenwick Uninstall" "$uninst")
shot "$question" 5-question

montage "$E2E_WORK"/[1-5]-*.png -tile 3x -geometry +6+6 -background '#6d6d6d' "$out" ||
    e2e_fail "montage"
echo "saved $out"
e2e_pass
