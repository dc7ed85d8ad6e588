#!/bin/sh
# The setup program as a user runs it, silently, in a fresh Wine prefix:
# it installs into the user's programs folder with a Start menu shortcut
# and an Uninstall entry; the installed program starts and logs beside
# itself; a newer setup over it ends the running program through its own
# Exit, keeps the log and the schedules and starts it again; the
# uninstaller removes what was installed and keeps the settings. None of
# it writes to the machine's registry or outside the user's profile.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"

# A prefix of its own, so the first install is a first one.
e2e_setup_prefix
wineserver_of_run=${PW_WINESERVER:-wineserver}
run() { "$E2E_RUN" "$@" 2>/dev/null | tr -d '\r'; }

setup=$(e2e_setup_file)
version=${setup##*-}
version=${version%.exe}
[ -f "$setup" ] || e2e_fail "$setup is not built"
# The same script for the next version, as a release would make it.
newer="$(( ${version%%.*} + 1 )).${version#*.}"
makensis -V1 -DBUILD_NSH="$PW_BUILD_DIR/generated/setup.nsh" -DVERSION="$newer" \
    -DOUTFILE="$E2E_WORK/plenwick-setup-$newer.exe" "$PW_SOURCE_DIR/installer/plenwick.nsi" ||
    e2e_fail "makensis of the newer setup"

uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plenwick'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
reg_has_key() { "$E2E_RUN" reg query "$1" >/dev/null 2>&1; }

# What lies outside the user's profile and the user's registry.
profile_rel="users/$(run cmd /c echo %USERNAME%)"
machine_state() {  # file
    run regedit /E "$(e2e_winpath "$E2E_WORK/hklm.reg")" HKEY_LOCAL_MACHINE
    # Wine rewrites its display and monitor devices whenever a desktop
    # starts; nothing of a setup's goes there.
    iconv -f UTF-16 -t UTF-8 "$E2E_WORK/hklm.reg" |
        awk '/^\[/ { skip = index($0, "\\Control\\Class\\{4D36E968-") || index($0, "\\Control\\Class\\{4D36E96E-") }
             !skip' > "$1"
    find "$WINEPREFIX/drive_c" -path "$WINEPREFIX/drive_c/$profile_rel" -prune -o -printf '%P %s %T@\n' |
        sort >> "$1"
}
machine_unchanged() {  # snapshot, who would have changed it
    machine_state "$E2E_WORK/machine.$1"
    if ! diff "$E2E_WORK/machine.before" "$E2E_WORK/machine.$1" > "$E2E_WORK/machine.diff"; then
        head -n 40 "$E2E_WORK/machine.diff" >&2
        e2e_fail "$2 changed the machine outside the user's profile"
    fi
}
"$wineserver_of_run" -w
machine_state "$E2E_WORK/machine.before"

# --- first install -----------------------------------------------------
t0=$(date +%s.%N)
"$E2E_RUN" "$setup" /S >/dev/null 2>&1 || e2e_fail "the setup failed"
t1=$(date +%s.%N)
echo "setup: $(stat -c %s "$setup") bytes, silent first install took $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }') s"

local_appdata=$(run cmd /c echo %LOCALAPPDATA%)
appdata=$(run cmd /c echo %APPDATA%)
inst_win="$local_appdata\\Programs\\Plenwick"
inst=$(run winepath -u "$inst_win")
inst=${inst%/}
shortcut=$(run winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Plenwick.lnk")

for f in plenwick.exe plenwk.htm uninstall.exe; do
    [ -f "$inst/$f" ] || e2e_fail "$f is not installed in $inst"
done
cmp -s "$inst/plenwick.exe" "$PW_BUILD_DIR/plenwick.exe" || e2e_fail "the installed plenwick.exe is not the built one"
[ -f "$shortcut" ] || e2e_fail "no Start menu shortcut"

check_value() {  # key name expected
    _got=$(e2e_reg_value "$1" "$2")
    [ "$_got" = "$3" ] || e2e_fail "$1 $2 is \"$_got\", expected \"$3\""
}
check_value "$uninst_key" DisplayName Plenwick
check_value "$uninst_key" DisplayVersion "$version"
check_value "$uninst_key" Publisher "Corvane Software"
check_value "$uninst_key" DisplayIcon "$inst_win\\plenwick.exe,0"
check_value "$uninst_key" InstallLocation "$inst_win"
check_value "$uninst_key" UninstallString "\"$inst_win\\uninstall.exe\""
check_value "$uninst_key" QuietUninstallString "\"$inst_win\\uninstall.exe\" /S"
size_kb=$(( $(e2e_reg_value "$uninst_key" EstimatedSize) ))
exe_kb=$(( $(stat -c %s "$inst/plenwick.exe") / 1024 ))
if [ "$size_kb" -lt "$exe_kb" ] || [ "$size_kb" -gt $((exe_kb * 2)) ]; then
    e2e_fail "EstimatedSize $size_kb KB for a program of $exe_kb KB"
fi
[ -z "$(e2e_reg_value "$run_key" Plenwick)" ] || e2e_fail "a silent install wrote the start-with-Windows entry"

# --- the installed program runs and logs beside itself -------------------
tomorrow=$(date -d tomorrow +%d/%m/%Y)
e2e_reg_dword LogNetTime 1
e2e_reg_schedule Kept ScheduleType=dword:1 "Message=Still here" "StartDate=$tomorrow" StartTime=12:00
e2e_reg_apply
E2E_LOG="$inst/plenwk.log"
start_installed() {
    "$E2E_RUN" "$inst/plenwick.exe" >/dev/null 2>&1 &
    E2E_PIDS="$E2E_PIDS $!"
}
start_installed
e2e_wait_clock
e2e_wait_log " Started Plenwick -------------------------"
first_line=$(e2e_log_lines | head -n 1)
[ -z "$(e2e_reg_get Left)" ] || e2e_fail "the position is stored before any Exit"
if [ "$E2E_SLOW" -gt 1 ]; then
    # Through the emulator every setup and start takes minutes: the
    # 32-bit setup has installed the 32-bit program and it runs; the
    # upgrade and the uninstaller run in the 64-bit build's run.
    e2e_exit
    e2e_pass
    exit 0
fi

# --- a newer setup over the running program -------------------------------
mkdir -p "$inst/backup"
echo "kept" > "$inst/backup/registry.cfg"
"$E2E_RUN" "$E2E_WORK/plenwick-setup-$newer.exe" /S /AUTOSTART >/dev/null 2>&1 ||
    e2e_fail "the newer setup failed"
[ -n "$(e2e_reg_get Left)" ] || e2e_fail "the running program did not end through its Exit"
check_value "$uninst_key" DisplayVersion "$newer"
e2e_wait_clock
i=0
while [ "$(e2e_log_lines | grep -c ' Started Plenwick ')" -lt 2 ]; do
    i=$((i + 1))
    [ $i -le $((300 * E2E_SLOW)) ] || e2e_fail "the setup did not start the program again"
    sleep 0.1
done
[ "$(e2e_log_lines | head -n 1)" = "$first_line" ] || e2e_fail "the log was not kept"
[ "$(cat "$inst/backup/registry.cfg")" = kept ] || e2e_fail "the backup folder was not kept"
check_value 'HKCU\Software\Corvane Software\Plenwick\Schedules\Kept' Message "Still here"
check_value "$run_key" Plenwick "\"$inst_win\\plenwick.exe\""
[ "$(e2e_reg_get LaunchAtWinStart)" = 0x1 ] || e2e_fail "the settings do not show the start-with-Windows entry"

# What the uninstaller removes again must not have been written either.
# Wine keeps its display devices in the machine's registry while a
# program runs, so the look is taken with none running, as before.
"$wineserver_of_run" -k
"$wineserver_of_run" -w
machine_unchanged installed "the setup"
start_installed
e2e_wait_clock

# --- the uninstaller, while the program runs -------------------------------
"$E2E_RUN" "$inst/uninstall.exe" /S >/dev/null 2>&1 || e2e_fail "the uninstaller failed"
# It goes on from a copy of itself; every program of the prefix ends.
timeout $((120 * E2E_SLOW)) "$wineserver_of_run" -w || e2e_fail "the uninstaller or the program did not end"
E2E_PIDS=""
for f in plenwick.exe plenwk.htm uninstall.exe; do
    [ ! -e "$inst/$f" ] || e2e_fail "the uninstaller left $f"
done
[ -f "$inst/plenwk.log" ] || e2e_fail "a silent uninstall removed the log"
[ -f "$inst/backup/registry.cfg" ] || e2e_fail "the uninstaller removed the backup folder"
[ ! -e "$shortcut" ] || e2e_fail "the uninstaller left the shortcut"
! reg_has_key "$uninst_key" || e2e_fail "the uninstaller left the Uninstall entry"
[ -z "$(e2e_reg_value "$run_key" Plenwick)" ] || e2e_fail "the uninstaller left the start-with-Windows entry"
check_value 'HKCU\Software\Corvane Software\Plenwick\Schedules\Kept' Message "Still here"
[ "$(e2e_reg_get LaunchAtWinStart)" = 0x0 ] || e2e_fail "the kept settings still claim the start-with-Windows entry"

# --- the uninstaller as a user answers "Yes" to removing the settings -------
"$E2E_RUN" "$setup" /S >/dev/null 2>&1 || e2e_fail "the setup failed again"
e2e_uninstall_yes "$inst/uninstall.exe" "Plenwick Uninstall"
[ ! -e "$inst/plenwk.log" ] || e2e_fail "the uninstaller kept the log it was told to remove"
[ -f "$inst/backup/registry.cfg" ] || e2e_fail "the uninstaller removed the backup folder"
! reg_has_key 'HKCU\Software\Corvane Software' || e2e_fail "the uninstaller kept the settings it was told to remove"
reg_has_key 'HKCU\Software\Microsoft\Windows\CurrentVersion' || e2e_fail "the uninstaller removed more than its keys"

# --- nothing outside the profile and the user's registry -------------------
machine_unchanged after "the uninstaller"
e2e_pass
