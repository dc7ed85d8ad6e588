# Sourced by every script that builds, runs or tests the Windows programs
# under Wine: decides which build of them runs on this machine, and with
# which Wine.
#
# plenwick.exe is a 32-bit program, and the 32-bit Wine runs it as it is.
# But the 32-bit Wine is itself a 32-bit Linux program, and some kernels
# run none (IA-32 emulation switched off). Such a kernel still runs them
# through an emulator (qemu-i386) that the binfmt_misc entry of
# pw_i386_emulation_on hands every 32-bit program to: slow, so there only
# a chosen set of end-to-end runs use it, and the same sources are built
# a second time for x86-64, whose tests run under the 64-bit Wine.
# Whether 32-bit Linux programs run is found out by starting one, a
# 96-byte program that only exits with status 42.
#
#   pw_i386_route
# prints how 32-bit Linux programs run here: native, emulated (through
# this project's binfmt entry, registered now or forced by
# PW_EMULATE_I386=1) or none.
#
#   pw_flavour SOURCE_DIR
# sets and exports:
#   PW_FLAVOUR      win32 or win64 (a value set beforehand is kept, to try
#                   the 64-bit build where both would run)
#   PW_WIN_BUILD    the build directory of that flavour
#   PW_PREFIXES     where the Wine prefixes of that flavour's runs live
#   PW_WINE         the Wine program loader for it
#   PW_WINESERVER   and its server (also as WINESERVER, which the loader
#                   starts)
#   PW_WIN_TOOLS    the build whose test tools (the driver, the launch
#                   probe) the end-to-end runs use
#   WINEARCH        win64 for the 64-bit Wine, so new prefixes are
#                   64-bit, and WINELOADER
# On the emulated route the 32-bit programs run in a 64-bit prefix: the
# 64-bit Wine and its server run natively, and only the 32-bit programs
# themselves, plenwick.exe and its setup, go through the emulator; the
# tools that drive them are those of build/win64.

PW_BINFMT_ENTRY=/proc/sys/fs/binfmt_misc/plenwick-i386

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

pw_i386_route() {
    if [ "${PW_EMULATE_I386:-0}" = 1 ] || [ -e "$PW_BINFMT_ENTRY" ]; then
        echo emulated
    elif pw_runs_32bit; then
        echo native
    elif [ -x /usr/bin/qemu-i386 ] && [ "$(id -u)" = 0 ]; then
        echo emulated
    else
        echo none
    fi
}

# Hands every 32-bit Linux program to qemu-i386 from now on, even where
# the kernel could run it: the kernel asks binfmt_misc before its own
# loader. Needs root; pw_i386_emulation_off takes the entry away again.
pw_i386_emulation_on() {
    [ -e "$PW_BINFMT_ENTRY" ] && return 0
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
    fi
    # ELF, 32-bit, little-endian, an executable or a shared object
    # (ld.so), for the i386; F opens the emulator now, so it is found in
    # every mount namespace.
    printf '%s' ':plenwick-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
        > /proc/sys/fs/binfmt_misc/register
}

pw_i386_emulation_off() {
    [ ! -e "$PW_BINFMT_ENTRY" ] || echo -1 > "$PW_BINFMT_ENTRY"
}

pw_flavour() {  # source directory
    _pw_route=$(pw_i386_route)
    if [ -z "${PW_FLAVOUR:-}" ]; then
        if [ "$_pw_route" = native ]; then PW_FLAVOUR=win32; else PW_FLAVOUR=win64; fi
    fi
    PW_WIN_BUILD=$1/build/$PW_FLAVOUR
    PW_PREFIXES=$PW_WIN_BUILD
    PW_WIN_TOOLS=$PW_WIN_BUILD
    case "$PW_FLAVOUR" in
        win32)
            if [ "$_pw_route" = native ]; then
                PW_WINE=/usr/lib/wine/wine
                PW_WINESERVER=/usr/lib/wine/wineserver32
            else
                PW_PREFIXES=$PW_WIN_BUILD/emulated
                PW_WIN_TOOLS=$1/build/win64
                PW_WINE=/usr/lib/wine/wine64
                PW_WINESERVER=/usr/lib/wine/wineserver64
                WINEARCH=win64 WINELOADER=$PW_WINE
                export WINEARCH WINELOADER
            fi
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
    PW_I386_ROUTE=$_pw_route
    WINESERVER=$PW_WINESERVER
    export PW_FLAVOUR PW_WIN_BUILD PW_PREFIXES PW_WIN_TOOLS PW_WINE PW_WINESERVER WINESERVER PW_I386_ROUTE
}
