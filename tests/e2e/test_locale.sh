#!/bin/sh
# The user's locale as the program reads it under Wine. Wine takes the
# Windows user locale from the Unix locale of the process (LC_ALL, then
# LC_MESSAGES, then LANG), and only when glibc knows that locale; otherwise
# it falls back to en-US. So each run sets LANG alone and the locale must
# be installed (scripts/deps generates them).
set -eu
: "${PW_SOURCE_DIR:?}" "${PW_BUILD_DIR:?}"
exe="$PW_BUILD_DIR/pw_wintests.exe"
status=0
for pair in en-US:en_US de-DE:de_DE en-GB:en_GB ja-JP:ja_JP; do
    tag=${pair%%:*}
    lang=${pair#*:}
    if ! locale -a 2>/dev/null | grep -qix "$lang.utf-\{0,1\}8"; then
        echo "$lang.UTF-8 is not installed: run scripts/deps" >&2
        status=1
        continue
    fi
    echo "== LANG=$lang.UTF-8"
    if ! env -u LC_ALL -u LC_MESSAGES -u LC_CTYPE -u LC_TIME LANG="$lang.UTF-8" PW_EXPECT_LOCALE="$tag" \
        "$PW_SOURCE_DIR/scripts/wine-run" "$exe" --gtest_filter='UserLocale*'; then
        status=1
    fi
done
exit $status
