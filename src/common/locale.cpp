#include "common/locale.h"

#include "common/datefmt.h"

namespace pw {

namespace {

// Built in place, not from arrays at namespace scope: a locale may be made
// while other files' statics are being set up.
Locale English() {
    Locale l;
    l.dateSeparator = "/";
    l.timeSeparator = ":";
    l.shortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    l.longDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    l.shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    l.longMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    l.amDesignator = "AM";
    l.pmDesignator = "PM";
    return l;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters the program's pattern language reads as something other than
// themselves.
bool IsSpecial(char c) { return IsAsciiLetter(c) || c == '"' || c == '\'' || c == '/' || c == ':'; }

// Appends literal text so that the program's formatter writes it as it is:
// plain where that is safe, quoted where a letter, quote or separator
// would be read as an element.
void AppendLiteral(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsSpecial(text[i])) {
            out += text[i++];
            continue;
        }
        // A double quote can only stand inside single quotes, and the other
        // way round.
        const char quote = text[i] == '"' ? '\'' : '"';
        out += quote;
        while (i < text.size() && IsSpecial(text[i]) && text[i] != quote) out += text[i++];
        out += quote;
    }
}

std::size_t RunLength(std::string_view s, std::size_t at) {
    std::size_t n = 1;
    while (at + n < s.size() && s[at + n] == s[at]) ++n;
    return n;
}

// True when the picture has c outside its quoted text.
bool HasUnquoted(std::string_view picture, char c) {
    bool quoted = false;
    for (char x : picture) {
        if (x == '\'') quoted = !quoted;
        else if (!quoted && x == c) return true;
    }
    return false;
}

bool StartsWith(std::string_view s, char c) { return !s.empty() && s.front() == c; }

}  // namespace

Locale Locale::EnUS() {
    Locale l = English();
    l.shortDatePattern = "m/d/yyyy";
    l.longDatePattern = "dddd, mmmm d, yyyy";
    l.shortTimePattern = "h:nn AMPM";
    l.longTimePattern = "h:nn:ss AMPM";
    l.twelveHour = true;
    return l;
}

Locale Locale::EnGB() {
    Locale l = English();
    l.shortDatePattern = "dd/mm/yyyy";
    l.longDatePattern = "dd mmmm yyyy";
    l.shortTimePattern = "hh:nn";
    l.longTimePattern = "hh:nn:ss";
    return l;
}

Locale Locale::DeDE() {
    Locale l;
    l.shortDatePattern = "dd.mm.yyyy";
    l.longDatePattern = "dddd, d. mmmm yyyy";
    l.shortTimePattern = "hh:nn";
    l.longTimePattern = "hh:nn:ss";
    l.dateSeparator = ".";
    l.timeSeparator = ":";
    l.shortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    l.longDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    l.shortMonthNames = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    l.longMonthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                        "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    l.amDesignator = "AM";
    l.pmDesignator = "PM";
    return l;
}

Locale Locale::JaJP() {
    Locale l;
    l.shortDatePattern = "yyyy/mm/dd";
    l.longDatePattern = "yyyy年m月d日";
    l.shortTimePattern = "h:nn";
    l.longTimePattern = "h:nn:ss";
    l.dateSeparator = "/";
    l.timeSeparator = ":";
    l.shortDayNames = {"日", "月", "火", "水", "木", "金", "土"};
    l.longDayNames = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    for (int i = 0; i < 12; ++i) {
        l.shortMonthNames[i] = std::to_string(i + 1) + "月";
        l.longMonthNames[i] = l.shortMonthNames[i];
    }
    l.amDesignator = "午前";
    l.pmDesignator = "午後";
    return l;
}

std::string TranslateWindowsPattern(std::string_view picture, const Locale& loc) {
    // The program makes hours 12-hour by the designator alone; a picture
    // with only H hours must not get one.
    const bool twentyFourHour = HasUnquoted(picture, 'H') && !HasUnquoted(picture, 'h');
    std::string out;
    std::string literal;
    bool afterElement = false;
    auto element = [&](std::string_view e) {
        if (!literal.empty()) {
            AppendLiteral(out, literal);
            literal.clear();
        } else if (afterElement && (out.back() | 0x20) == (e.front() | 0x20)) {
            // "hH" must stay two hours, not become one two-digit hour.
            out += "\"\"";
        }
        out += e;
        afterElement = true;
    };
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            // Quoted text runs to the next quote; two quotes stand for one.
            ++i;
            if (i < picture.size() && picture[i] == '\'') {
                literal += '\'';
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        literal += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += picture[i++];
            }
            continue;
        }
        if (c == '/' || c == ':') {
            const std::string& sep = c == '/' ? loc.dateSeparator : loc.timeSeparator;
            if (sep.size() == 1 && sep[0] == c) element(std::string_view(&c, 1));
            else literal += c;
            ++i;
            continue;
        }
        const std::size_t n = RunLength(picture, i);
        switch (c) {
        case 'd': element(n == 1 ? "d" : n == 2 ? "dd" : n == 3 ? "ddd" : "dddd"); break;
        case 'M': element(n == 1 ? "m" : n == 2 ? "mm" : n == 3 ? "mmm" : "mmmm"); break;
        case 'y': element(n <= 2 ? "yy" : "yyyy"); break;
        case 'g': break;
        case 'h':
        case 'H': element(n == 1 ? "h" : "hh"); break;
        case 'm': element(n == 1 ? "n" : "nn"); break;
        case 's': element(n == 1 ? "s" : "ss"); break;
        case 't':
            if (twentyFourHour) break;
            if (n == 1 && StartsWith(loc.amDesignator, 'A') && StartsWith(loc.pmDesignator, 'P')) element("A/P");
            else if (n == 1 && StartsWith(loc.amDesignator, 'a') && StartsWith(loc.pmDesignator, 'p')) element("a/p");
            else element("AMPM");
            break;
        default: literal.append(n, c); break;
        }
        i += n;
    }
    AppendLiteral(out, literal);
    return out;
}

Locale LocaleFromWindows(const WindowsLocaleInfo& info) {
    const Locale us = Locale::EnUS();
    auto pick = [](const std::string& s, const std::string& fallback) { return s.empty() ? fallback : s; };
    Locale l;
    l.dateSeparator = pick(info.dateSeparator, us.dateSeparator);
    l.timeSeparator = pick(info.timeSeparator, us.timeSeparator);
    l.amDesignator = info.am;
    l.pmDesignator = info.pm;
    for (int i = 0; i < 7; ++i) {
        // Windows counts from Monday, the program from Sunday.
        const int w = (i + 6) % 7;
        l.shortDayNames[i] = pick(info.shortDayNames[w], us.shortDayNames[i]);
        l.longDayNames[i] = pick(info.longDayNames[w], us.longDayNames[i]);
    }
    for (int i = 0; i < 12; ++i) {
        l.shortMonthNames[i] = pick(info.shortMonthNames[i], us.shortMonthNames[i]);
        l.longMonthNames[i] = pick(info.longMonthNames[i], us.longMonthNames[i]);
    }
    const std::string longTime = pick(info.longTime, "h:mm:ss tt");
    l.shortDatePattern = info.shortDate.empty() ? us.shortDatePattern : TranslateWindowsPattern(info.shortDate, l);
    l.longDatePattern = info.longDate.empty() ? us.longDatePattern : TranslateWindowsPattern(info.longDate, l);
    l.longTimePattern = TranslateWindowsPattern(longTime, l);
    l.shortTimePattern = TranslateWindowsPattern(pick(info.shortTime, longTime), l);
    l.twelveHour = PatternIsTwelveHour(l.longTimePattern);
    if (info.twoDigitYearMax >= 99 && info.twoDigitYearMax <= 9999) l.twoDigitYearMax = info.twoDigitYearMax;
    return l;
}

}  // namespace pw
