# Sourced by every script that runs something able to set the system time
# (Wine and the programs under it, chronyd): `without_clock_right "$0" "$@"`
# runs the script again with CAP_SYS_TIME (bit 25) dropped from its
# bounding set, which every process it starts inherits, and stops when the
# right is still there after that.
has_clock_right() {
    _pw_bnd=$(awk '/^CapBnd:/ {print $2}' /proc/self/status)
    [ $(( 0x$_pw_bnd >> 25 & 1 )) -eq 1 ]
}

without_clock_right() {  # script [arguments...]
    has_clock_right || return 0
    if [ -n "${PW_CLOCK_RIGHT_DROPPED:-}" ]; then
        echo "$1: the right to set the clock could not be dropped" >&2
        exit 1
    fi
    export PW_CLOCK_RIGHT_DROPPED=1
    exec capsh --drop=cap_sys_time -- -c 'exec sh "$0" "$@"' "$@"
}
