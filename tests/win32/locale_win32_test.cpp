// The user's locale read from Windows: the program's own formatting with
// the translated patterns must write what the system writes with its
// pictures, and under a known locale (tests/e2e/test_locale.sh sets LANG
// and PW_EXPECT_LOCALE) the patterns and names are those of that locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/datefmt.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/text.h"

namespace pw {
namespace {

SYSTEMTIME SystemTimeOf(DateTime v) {
    CivilDate d;
    CivilTime t;
    DecodeDateTime(v, d, t);
    SYSTEMTIME st{};
    st.wYear = WORD(d.year);
    st.wMonth = WORD(d.month);
    st.wDay = WORD(d.day);
    st.wDayOfWeek = WORD(DayOfWeek(v) - 1);
    st.wHour = WORD(t.hour);
    st.wMinute = WORD(t.minute);
    st.wSecond = WORD(t.second);
    return st;
}

std::string SystemDate(DateTime v, DWORD flags) {
    const SYSTEMTIME st = SystemTimeOf(v);
    wchar_t buf[256];
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &st, nullptr, buf, 256);
    return n > 0 ? win::Narrow(std::wstring_view(buf, n - 1)) : "(failed)";
}

std::string SystemTime(DateTime v, const std::string& picture) {
    const SYSTEMTIME st = SystemTimeOf(v);
    wchar_t buf[256];
    const std::wstring wide = win::Widen(picture);
    const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, picture.empty() ? nullptr : wide.c_str(), buf, 256);
    return n > 0 ? win::Narrow(std::wstring_view(buf, n - 1)) : "(failed)";
}

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

TEST(UserLocale, WritesWhatTheSystemWrites) {
    const Locale loc = win::ReadUserLocale();
    const WindowsLocaleInfo info = win::ReadUserLocaleInfo();
    for (DateTime day : {At(2026, 12, 8), At(2026, 3, 1), At(2000, 1, 1), At(1999, 10, 31), At(2024, 2, 29),
                         At(1900, 7, 4), At(2099, 12, 31)}) {
        EXPECT_EQ(DateToText(day, loc), SystemDate(day, DATE_SHORTDATE)) << info.shortDate;
        EXPECT_EQ(FormatDateTime("dddddd", day, loc), SystemDate(day, DATE_LONGDATE)) << info.longDate;
        EXPECT_EQ(TextToDate(DateToText(day, loc), loc), day);
    }
    for (DateTime time : {At(1899, 12, 30), At(1899, 12, 30, 9, 5, 3), At(1899, 12, 30, 12, 0, 0),
                          At(1899, 12, 30, 13, 30, 59), At(1899, 12, 30, 23, 59, 59)}) {
        EXPECT_EQ(TimeToText(time, loc), SystemTime(time, "")) << info.longTime;
        EXPECT_EQ(FormatDateTime("t", time, loc), SystemTime(time, info.shortTime)) << info.shortTime;
        // What the system writes, the program reads.
        EXPECT_EQ(TextToTime(SystemTime(time, ""), loc), time) << SystemTime(time, "");
    }
    EXPECT_EQ(TextToTime("00:00:00", loc), 0.0);
    EXPECT_EQ(TextToTime("01:00:00", loc), EncodeTime(1, 0, 0, 0));
    EXPECT_GE(loc.twoDigitYearMax, 99);
}

std::string SystemPicture(DateTime v, const wchar_t* picture) {
    const SYSTEMTIME st = SystemTimeOf(v);
    wchar_t buf[128];
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, buf, 128);
    return n > 0 ? win::Narrow(std::wstring_view(buf, n - 1)) : "(failed)";
}

TEST(UserLocale, NamesAreTheSystemsStartingOnSunday) {
    const Locale loc = win::ReadUserLocale();
    for (int i = 0; i < 7; ++i) {
        const DateTime day = At(2026, 12, 6 + i);  // 6 December 2026 is a Sunday
        EXPECT_EQ(loc.longDayNames[i], SystemPicture(day, L"dddd")) << i;
        EXPECT_EQ(loc.shortDayNames[i], SystemPicture(day, L"ddd")) << i;
    }
    for (int m = 1; m <= 12; ++m) {
        const DateTime day = At(2026, m, 15);
        // A picture with the day beside the month may take the month's
        // genitive form; the month alone is its plain name.
        EXPECT_EQ(loc.longMonthNames[m - 1], SystemPicture(day, L"MMMM")) << m;
        EXPECT_EQ(loc.shortMonthNames[m - 1], SystemPicture(day, L"MMM")) << m;
    }
}

// One value of the user's regional settings, put back as it was at the end.
class InternationalValue {
public:
    explicit InternationalValue(const wchar_t* name) : name_(name) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\International", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        wchar_t buf[128];
        DWORD size = sizeof buf;
        if (key_ && RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, buf, &size) == ERROR_SUCCESS) {
            kept_.assign(buf, size / sizeof(wchar_t) - 1);
            had_ = true;
        }
    }
    ~InternationalValue() {
        if (had_)
            Set(kept_);
        else if (key_)
            RegDeleteValueW(key_, name_);
        if (key_) RegCloseKey(key_);
    }
    bool Set(const std::wstring& value) {
        return key_ && RegSetValueExW(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    const wchar_t* name_;
    HKEY key_ = nullptr;
    std::wstring kept_;
    bool had_ = false;
};

TEST(UserLocale, AChangeTheUserMakesWhileTheProgramRunsIsReadAgainInPlace) {
    win::UserLocale user;
    const Locale& held = user.Current();
    const Locale before = held;
    // The program has asked the system already, as it has by then.
    ASSERT_EQ(DateToText(At(2026, 12, 8), held), SystemDate(At(2026, 12, 8), DATE_SHORTDATE));
    EXPECT_FALSE(user.Reread());
    {
        InternationalValue shortDate(L"sShortDate");
        ASSERT_TRUE(shortDate.Set(L"yyyy-MM-dd"));
        EXPECT_TRUE(user.Reread());
        EXPECT_EQ(&user.Current(), &held);
        EXPECT_EQ(DateToText(At(2026, 12, 8), held), "2026-12-08");
        EXPECT_FALSE(user.Reread());
    }
    EXPECT_TRUE(user.Reread());
    EXPECT_TRUE(held == before);
}

// Runs only where the test script chose the locale.// Runs only where the test script chose the locale.
class UserLocaleUnderLang : public ::testing::Test {
protected:
    void SetUp() override {
        const char* e = std::getenv("PW_EXPECT_LOCALE");
        if (!e) GTEST_SKIP() << "PW_EXPECT_LOCALE not set";
        expected = e;
        loc = win::ReadUserLocale();
    }
    std::string expected;
    Locale loc;
};

TEST_F(UserLocaleUnderLang, IsTheLocaleOfLang) {
    const DateTime afternoon = At(2026, 12, 8, 14, 5, 9);
    if (expected == "en-US") {
        EXPECT_EQ(loc.shortDatePattern, "m/d/yyyy");
        EXPECT_EQ(loc.longDatePattern, "dddd, mmmm d, yyyy");
        EXPECT_EQ(loc.longTimePattern, "h:nn:ss AMPM");
        EXPECT_EQ(loc.shortTimePattern, "h:nn AMPM");
        EXPECT_TRUE(loc.twelveHour);
        EXPECT_EQ(loc.amDesignator, "AM");
        EXPECT_EQ(loc.pmDesignator, "PM");
        EXPECT_EQ(loc.longDayNames[0], "Sunday");
        EXPECT_EQ(loc.longMonthNames[0], "January");
        EXPECT_EQ(DateTimeToText(afternoon, loc), "12/8/2026 2:05:09 PM");
        EXPECT_EQ(LogTimeStamp(afternoon, loc), "12/8/2026 14:05:09");
    } else if (expected == "de-DE") {
        // Windows writes dd.MM.yyyy, Wine d.M.yyyy: both are German.
        EXPECT_TRUE(loc.shortDatePattern == "dd.mm.yyyy" || loc.shortDatePattern == "d.m.yyyy") << loc.shortDatePattern;
        EXPECT_EQ(loc.longDatePattern, "dddd, d. mmmm yyyy");
        EXPECT_EQ(loc.longTimePattern, "hh:nn:ss");
        EXPECT_FALSE(loc.twelveHour);
        EXPECT_EQ(loc.dateSeparator, ".");
        EXPECT_EQ(loc.longDayNames[0], "Sonntag");
        EXPECT_EQ(loc.longMonthNames[2], "März");
        EXPECT_EQ(FormatDateTime("dddddd", afternoon, loc), "Dienstag, 8. Dezember 2026");
        EXPECT_EQ(TimeToText(afternoon, loc), "14:05:09");
        EXPECT_EQ(TextToDate("25.12.2026", loc), EncodeDate(2026, 12, 25));
        EXPECT_EQ(TextToDateTime("25.12.2026 09:30:00", loc), At(2026, 12, 25, 9, 30));
    } else if (expected == "en-GB") {
        EXPECT_EQ(loc.shortDatePattern, "dd/mm/yyyy");
        EXPECT_EQ(loc.longTimePattern, "hh:nn:ss");
        EXPECT_EQ(DateTimeToText(afternoon, loc), "08/12/2026 14:05:09");
        EXPECT_EQ(TextToDate("25/12/2026", loc), EncodeDate(2026, 12, 25));
    } else if (expected == "ja-JP") {
        EXPECT_TRUE(loc.shortDatePattern == "yyyy/mm/dd" || loc.shortDatePattern == "yyyy/m/d") << loc.shortDatePattern;
        EXPECT_EQ(loc.longTimePattern, "h:nn:ss");
        EXPECT_EQ(loc.amDesignator, "午前");
        EXPECT_EQ(loc.longDayNames[0], "日曜日");
        EXPECT_EQ(TextToDate("2026/12/25", loc), EncodeDate(2026, 12, 25));
    } else {
        FAIL() << "no expectations for " << expected;
    }
}

}  // namespace
}  // namespace pw
