#pragma once
// What the program needs of the user's regional settings. Patterns are in
// the program's own pattern language (see common/datefmt.h), not in the
// system's: the Windows reader translates the system's patterns.

#include <array>
#include <string>

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

    // Locales built in code, for tests and as fall-backs.
    static Locale EnUS();
    static Locale EnGB();
    static Locale DeDE();
    static Locale JaJP();
};

}  // namespace pw
