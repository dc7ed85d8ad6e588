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

// A setting the user may choose: their choice where the control panel
// keeps it, else the locale's own. Windows answers GetLocaleInfo from the
// same place, but a system may keep each answer from its first call for
// the life of the process (Wine does), and then a change the user makes
// while the program runs would only show after a restart.
std::string Setting(LCTYPE type, const wchar_t* name) {
    wchar_t buf[128];
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\International", name, RRF_RT_REG_SZ, nullptr, buf, &size) ==
        ERROR_SUCCESS) {
        // size counts the bytes with the closing zero.
        const std::size_t chars = size / sizeof(wchar_t);
        return Narrow(std::wstring_view(buf, chars > 0 ? chars - 1 : 0));
    }
    return Info(type);
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
    w.shortDate = Setting(LOCALE_SSHORTDATE, L"sShortDate");
    w.longDate = Setting(LOCALE_SLONGDATE, L"sLongDate");
    w.longTime = Setting(LOCALE_STIMEFORMAT, L"sTimeFormat");
    w.shortTime = Setting(LOCALE_SSHORTTIME, L"sShortTime");
    w.dateSeparator = Setting(LOCALE_SDATE, L"sDate");
    w.timeSeparator = Setting(LOCALE_STIME, L"sTime");
    for (int i = 0; i < 7; ++i) {
        w.shortDayNames[i] = Info(LOCALE_SABBREVDAYNAME1 + i);
        w.longDayNames[i] = Info(LOCALE_SDAYNAME1 + i);
    }
    for (int i = 0; i < 12; ++i) {
        w.shortMonthNames[i] = Info(LOCALE_SABBREVMONTHNAME1 + i);
        w.longMonthNames[i] = Info(LOCALE_SMONTHNAME1 + i);
    }
    w.am = Setting(LOCALE_S1159, L"s1159");
    w.pm = Setting(LOCALE_S2359, L"s2359");
    w.twoDigitYearMax = TwoDigitYearMax();
    return w;
}

Locale ReadUserLocale() { return LocaleFromWindows(ReadUserLocaleInfo()); }

bool UserLocale::Reread() {
    Locale fresh = ReadUserLocale();
    if (fresh == current_) return false;
    current_ = std::move(fresh);
    return true;
}

}  // namespace pw::win
