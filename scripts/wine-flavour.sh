# Sourced by every script that builds, runs or tests the Windows programs
# under Wine: decides which build of them runs on this machine, and with
# which Wine.
#
# plenwick.exe is a 32-bit program, and the 32-bit Wine runs it as it is.
# But the 32-bit Wine is itself a 32-bit Linux program, and some kernels
# run none (IA-32 emulation switched off). There the same sources are
# built a second time for x86-64 and the Windows tests and end-to-end
# runs use that build under the 64-bit Wine. Whether 32-bit Linux
# programs run is found out by starting one, a 96-byte program that only
# exits with status 42.
#
#   pw_flavour SOURCE_DIR
# sets and exports:
#   PW_FLAVOUR      win32 or win64 (a value set beforehand is kept, to try
#                   the 64-bit build where both would run)
#   PW_WIN_BUILD    the build directory of that flavour
#   PW_WINE         the Wine program loader for it
#   PW_WINESERVER   and its server (also as WINESERVER, which the loader
#                   starts)
#   WINEARCH        win64 for the 64-bit flavour, so new prefixes are
#                   64-bit, and WINELOADER

pw_runs_32bit() {
    _pw_probe=$(mktemp "${TMPDIR:-/tmp}/pw-elf32.XXXXXX") || return 1
    printf '\177\105\114\106\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\273\52\0\0\0\315\200' > "$_pw_probe"
    chmod +x "$_pw_probe"
    # A kernel that refuses the format makes the shell try the file as a
    # script; only the program itself ends with 42.
    _pw_rc=0
    "$_pw_probe" >/dev/null 2>&1 || _pw_rc=$?
    rm -f "$_pw_probe"
    [ "$_pw_rc" -eq 42 ]
}

pw_flavour() {  # source directory
    if [ -z "${PW_FLAVOUR:-}" ]; then
        if pw_runs_32bit; then PW_FLAVOUR=win32; else PW_FLAVOUR=win64; fi
    fi
    case "$PW_FLAVOUR" in
        win32)
            PW_WINE=/usr/lib/wine/wine
            PW_WINESERVER=/usr/lib/wine/wineserver32
            ;;
        win64)
            PW_WINE=/usr/lib/wine/wine64
            PW_WINESERVER=/usr/lib/wine/wineserver64
            # What Debian's wine wrapper does when only wine64 is there:
            # programs started from Wine find their loader by it.
            WINEARCH=win64 WINELOADER=$PW_WINE
            export WINEARCH WINELOADER
            ;;
        *)
            echo "PW_FLAVOUR must be win32 or win64, not $PW_FLAVOUR" >&2
            return 1
            ;;
    esac
    PW_WIN_BUILD=$1/build/$PW_FLAVOUR
    WINESERVER=$PW_WINESERVER
    export PW_FLAVOUR PW_WIN_BUILD PW_WINE PW_WINESERVER WINESERVER
}
