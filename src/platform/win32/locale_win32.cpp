#include "platform/win32/locale_win32.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace pw::win {

namespace {

// Not in every SDK's headers; Windows 7 and later know it.
#ifndef LOCALE_SSHORTTIME
#define LOCALE_SSHORTTIME 0x00000079
#endif

std::string Info(LCTYPE type) {
    wchar_t buf[128];
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, static_cast<int>(std::size(buf)));
    // n counts the closing zero; 0 means the call failed.
    if (n <= 1) return {};
    return Narrow(std::wstring_view(buf, static_cast<std::size_t>(n - 1)));
}

int TwoDigitYearMax() {
    DWORD value = 0;
    if (!GetCalendarInfoW(LOCALE_USER_DEFAULT, CAL_GREGORIAN, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0,
                          &value))
        return 0;
    return static_cast<int>(value);
}

}  // namespace

WindowsLocaleInfo ReadUserLocaleInfo() {
    WindowsLocaleInfo w;
    w.shortDate = Info(LOCALE_SSHORTDATE);
    w.longDate = Info(LOCALE_SLONGDATE);
    w.longTime = Info(LOCALE_STIMEFORMAT);
    w.shortTime = Info(LOCALE_SSHORTTIME);
    w.dateSeparator = Info(LOCALE_SDATE);
    w.timeSeparator = Info(LOCALE_STIME);
    for (int i = 0; i < 7; ++i) {
        w.shortDayNames[i] = Info(LOCALE_SABBREVDAYNAME1 + i);
        w.longDayNames[i] = Info(LOCALE_SDAYNAME1 + i);
    }
    for (int i = 0; i < 12; ++i) {
        w.shortMonthNames[i] = Info(LOCALE_SABBREVMONTHNAME1 + i);
        w.longMonthNames[i] = Info(LOCALE_SMONTHNAME1 + i);
    }
    w.am = Info(LOCALE_S1159);
    w.pm = Info(LOCALE_S2359);
    w.twoDigitYearMax = TwoDigitYearMax();
    return w;
}

Locale ReadUserLocale() { return LocaleFromWindows(ReadUserLocaleInfo()); }

}  // namespace pw::win
