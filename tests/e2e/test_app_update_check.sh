#!/bin/sh
# "Check for updates" on the About page as a person uses it, with the
# mouse of the virtual display, against a real web server (lighttpd) on
# 127.0.0.1 that lists a newer version of the program:
#   Yes to the question, the newer version is named, No: no browser
#   starts, and the list the check downloaded ("temp.txt") is gone;
#   No to the question: the server hears nothing;
#   Yes and Yes: the what's-new page of the configured server opens (which
#   shows that a browser started before would have been seen);
#   Yes, and the program ends (a WM_CLOSE to the clock window, as a setup
#   that replaces the program sends) while the newer version is named:
#   nobody answered, so no browser starts.
# The browser is a stand-in on the program's PATH, where Wine's browser
# launcher looks first, that writes down each address it is given; the
# server writes down each request. With PW_SCREENSHOT set, the box naming
# the newer version is saved there as PNG.
set -eu
E2E_SCRIPT=$0
. "$(dirname "$0")/lib.sh"
e2e_begin "$@"
lighttpd=$(command -v lighttpd || command -v /usr/sbin/lighttpd) || e2e_fail "lighttpd is not installed (scripts/deps)"

ASK="Check for latest version?"
NEWER="New Version Found"
# The buttons of a Yes/No box and its text.
IDYES=6
IDNO=7
BOX_TEXT=65535

# $2 is what the test failed at when no box captioned $1 comes.
wait_box() {
    e2e_driver wait '#32770' "$1" 30000 >/dev/null || e2e_fail "$2; the server heard: $(requests | tr '\n' ';')"
    # Shown on the virtual display a moment after Windows calls it visible.
    sleep 0.3
}

check_for_updates() {
    e2e_click IDC_BUT_CHECKFORUPDATE
    wait_box "$ASK" "no question after a click on Check for updates"
}

# The box captioned $1 says exactly $2 (its lines without CR).
box_says() {
    _said=$(e2e_driver text "$1" $BOX_TEXT) || e2e_fail "no text in the box \"$1\""
    [ "$_said" = "$2" ] || e2e_fail "the box \"$1\" says \"$_said\", not \"$2\""
}

box_gone() {
    _i=0
    while e2e_driver wait '#32770' "$1" 0 >/dev/null; do
        _i=$((_i + 1))
        [ $_i -le 100 ] || e2e_fail "the box \"$1\" did not close"
        sleep 0.1
    done
}

# The requests the server has had, one a line: "request line|Host".
requests() {
    awk -F 'rqst: ' 'NF > 1 {
        if ($2 ~ /^[A-Z]+ /) { if (r != "") print r; r = $2 }
        else if (tolower($2) ~ /^host: /) r = r "|" substr($2, 7)
    }
    END { if (r != "") print r }' "$E2E_WORK/http/error.log" 2>/dev/null || true
}

requests_become() {
    _i=0
    while [ "$(requests)" != "$1" ]; do
        _i=$((_i + 1))
        [ $_i -le 100 ] || e2e_fail "$2; the server heard: $(requests | tr '\n' ';')"
        sleep 0.1
    done
}

browser_calls() {
    cat "$E2E_WORK/browser.txt" 2>/dev/null || true
}

# --- The server, on a free port of 127.0.0.1, listing a newer version.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PW_BUILD_DIR/CMakeCache.txt")
patch=$(echo "$version" | cut -d. -f3)
newer="$(echo "$version" | cut -d. -f1-2).$((patch + 1))"
mkdir -p "$E2E_WORK/http/www"
printf 'other 99.0\r\nplenwick %s\r\n' "$newer" >"$E2E_WORK/http/www/upgrades.txt"
export PW_HTTP_ROOT="$E2E_WORK/http"
tries=0
while :; do
    PW_HTTP_PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    export PW_HTTP_PORT
    "$lighttpd" -D -f "$PW_SOURCE_DIR/tests/e2e/update_server.conf" >"$E2E_WORK/http/lighttpd.out" 2>&1 &
    server=$!
    E2E_SERVERS="$E2E_SERVERS $server"
    # A bare connection, which the server does not write down as a request.
    i=0
    until python3 -c "import socket; socket.create_connection(('127.0.0.1', $PW_HTTP_PORT), 1)" 2>/dev/null; do
        i=$((i + 1))
        kill -0 "$server" 2>/dev/null && [ $i -le 100 ] || break
        sleep 0.1
    done
    kill -0 "$server" 2>/dev/null && break
    # Another program took the port in between.
    tries=$((tries + 1))
    [ $tries -lt 5 ] || e2e_fail "lighttpd did not start: $(cat "$E2E_WORK/http/lighttpd.out" "$E2E_WORK/http/error.log" 2>/dev/null)"
done
server_address="127.0.0.1:$PW_HTTP_PORT"
one_request="GET /upgrades.txt HTTP/1.0|$server_address"

# --- The browser stand-in.
mkdir -p "$E2E_WORK/bin"
cat >"$E2E_WORK/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$E2E_WORK/browser.txt"
EOF
chmod +x "$E2E_WORK/bin/xdg-open"
export PATH="$E2E_WORK/bin:$PATH"

# A list left behind by a check that was cut short, naming an older
# version: the check must neither read it nor leave it.
printf 'plenwick 0.1\r\n' >"$E2E_WORK/temp.txt"

e2e_reg_string UpdateServer "$server_address"
e2e_reg_apply
e2e_start
e2e_wait_clock
e2e_driver command settings
e2e_driver wait '#32770' "$E2E_DIALOG" 30000 >/dev/null || e2e_fail "the settings dialog did not open"
e2e_page 4

# --- Yes, then No to reading about the newer version.
check_for_updates
box_says "$ASK" "$(printf 'You are about to check for the latest version.\n You must be connected to the internet for this.\n\nDo you wish to continue?')"
e2e_click $IDYES "" "$ASK"
wait_box "$NEWER" "no box \"$NEWER\" after Yes"
box_says "$NEWER" "$(printf 'A newer version has been found (v%s)\n\nWould you like to read about it?' "$newer")"
if [ -n "${PW_SCREENSHOT:-}" ]; then
    # Wine's boxes are drawn into their own X window, which a capture of
    # the whole screen shows black.
    sleep 1
    xwd -display "$DISPLAY" -id "$(xdotool search --onlyvisible --name "^$NEWER\$" | head -1)" |
        convert xwd:- "$PW_SCREENSHOT" || e2e_fail "screenshot"
fi
e2e_click $IDNO "" "$NEWER"
box_gone "$NEWER"
requests_become "$one_request" "the check did not ask for the version list once"
[ ! -e "$E2E_WORK/temp.txt" ] || e2e_fail "temp.txt is left in the program's folder: $(cat "$E2E_WORK/temp.txt")"
temp=$("$E2E_RUN" winepath -u "$("$E2E_RUN" cmd /c echo %TEMP% | tr -d '\r')" | tr -d '\r')
[ ! -e "${temp%/}/temp.txt" ] || e2e_fail "temp.txt is left in the temporary folder"

# --- No to the question: nothing reaches the server.
check_for_updates
e2e_click $IDNO "" "$ASK"
box_gone "$ASK"
sleep 2
[ "$(requests)" = "$one_request" ] || e2e_fail "No to the question did not keep the check from the server: $(requests | tr '\n' ';')"

# --- Yes and Yes. A browser started after the first No would have called
# before this one.
before=$(browser_calls | wc -l)
check_for_updates
e2e_click $IDYES "" "$ASK"
wait_box "$NEWER" "no box \"$NEWER\" at the third check"
e2e_click $IDYES "" "$NEWER"
box_gone "$NEWER"
i=0
while [ "$(browser_calls | wc -l)" -le "$before" ]; do
    i=$((i + 1))
    [ $i -le 300 ] || e2e_fail "no browser started after Yes to reading about the newer version"
    sleep 0.1
done
whatsnew="http://$server_address/plenwk/whatsnew.shtml"
[ "$(browser_calls)" = "$whatsnew" ] || e2e_fail "the browser was started with: $(browser_calls | tr '\n' ';'), not once with $whatsnew"
requests_become "$(printf '%s\n%s' "$one_request" "$one_request")" "the third check did not ask for the version list once"

# --- The program ends under the box naming the newer version.
before=$(browser_calls | wc -l)
check_for_updates
e2e_click $IDYES "" "$ASK"
wait_box "$NEWER" "no box \"$NEWER\" at the fourth check"
e2e_driver close PlenwickClock >/dev/null || e2e_fail "no clock window to close"
e2e_wait_end "a WM_CLOSE to the clock window under \"$NEWER\""
sleep 3
[ "$(browser_calls | wc -l)" -eq "$before" ] ||
    e2e_fail "the program ending under \"$NEWER\" started the browser: $(browser_calls | tr '\n' ';')"
e2e_pass
