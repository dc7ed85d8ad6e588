#pragma once
// What the program needs of the user's regional settings. Patterns are in
// the program's own pattern language (see common/datefmt.h), not in the
// system's: the Windows reader translates the system's patterns.

#include <array>
#include <string>
#include <string_view>

namespace pw {

struct Locale {
    std::string shortDatePattern;  // e.g. "m/d/yyyy"
    std::string longDatePattern;   // e.g. "dddd, mmmm d, yyyy"
    std::string shortTimePattern;  // e.g. "h:nn AMPM"
    std::string longTimePattern;   // e.g. "h:nn:ss AMPM"
    std::string dateSeparator;     // e.g. "/"
    std::string timeSeparator;     // e.g. ":"
    std::array<std::string, 7> shortDayNames;  // [0] = Sunday
    std::array<std::string, 7> longDayNames;
    std::array<std::string, 12> shortMonthNames;  // [0] = January
    std::array<std::string, 12> longMonthNames;
    std::string amDesignator;  // e.g. "AM"
    std::string pmDesignator;
    bool twelveHour = false;  // the long time pattern uses a 12-hour clock
    // A year read with one or two digits is the year with those last digits
    // in the hundred years that end here (2049: "49" is 2049, "50" 1950).
    // Windows keeps the same setting per user.
    int twoDigitYearMax = 2049;

    bool operator==(const Locale&) const = default;

    // Locales built in code, for tests and as fall-backs.
    static Locale EnUS();
    static Locale EnGB();
    static Locale DeDE();
    static Locale JaJP();
};

// Translates a Windows date or time format picture (as GetLocaleInfo
// returns it: d M y g for dates, h H m s t for times, 'quoted' text) into
// the program's pattern language. The locale gives the separators and the
// AM/PM designators the result is written with: a "/" or ":" of the
// picture becomes the separator element when it is the locale's separator
// and stays a plain character otherwise.
//
// What the program's language cannot say exactly: an era (g) is left out;
// a one-digit year (y) becomes two digits; t (the designator's first
// letter) becomes a/p when the designators begin with those letters and
// the whole designator otherwise; a designator in a 24-hour picture is
// left out, since in the program any am/pm element makes the hours 12-hour;
// and for the same reason a 12-hour picture without a designator writes
// 24-hour hours.
std::string TranslateWindowsPattern(std::string_view picture, const Locale& loc);

// The user's regional settings as Windows gives them (UTF-8), before
// translation. Day names start with Monday, as Windows numbers them.
struct WindowsLocaleInfo {
    std::string shortDate;  // LOCALE_SSHORTDATE
    std::string longDate;   // LOCALE_SLONGDATE
    std::string longTime;   // LOCALE_STIMEFORMAT
    std::string shortTime;  // LOCALE_SSHORTTIME; empty where the system lacks it
    std::string dateSeparator;
    std::string timeSeparator;
    std::array<std::string, 7> shortDayNames;  // [0] = Monday
    std::array<std::string, 7> longDayNames;
    std::array<std::string, 12> shortMonthNames;
    std::array<std::string, 12> longMonthNames;
    std::string am;
    std::string pm;
    int twoDigitYearMax = 0;  // 0 where the system did not say
};

// The locale of those settings. A setting Windows left empty (a call that
// failed) takes the en-US value, except the designators, which a 24-hour
// locale may leave empty; a missing short time is the long time.
Locale LocaleFromWindows(const WindowsLocaleInfo& info);

}  // namespace pw
