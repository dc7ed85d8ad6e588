// The Windows clock: conversions to the millisecond and readings that
// agree with each other. Nothing here sets the clock.
#include "platform/win32/system_clock.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>

namespace pw::win {
namespace {

SYSTEMTIME St(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms) {
    SYSTEMTIME st{};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wSecond = s;
    st.wMilliseconds = ms;
    return st;
}

TEST(WinSystemTime, ConvertsBothWaysToTheMillisecond) {
    struct Case {
        SYSTEMTIME st;
        DateTime value;
    };
    const Case cases[] = {
        {St(1899, 12, 30, 0, 0, 0, 0), 0.0},
        {St(1900, 1, 1, 0, 0, 0, 0), 2.0},
        {St(1970, 1, 1, 0, 0, 0, 0), 25569.0},
        {St(2000, 2, 29, 12, 0, 0, 0), 36585.5},
        {St(2036, 2, 7, 6, 28, 15, 0), 49712.26961805556},
        {St(2025, 12, 6, 23, 59, 59, 999), 45997.0 + 86399.999 / 86400},
        {St(1601, 1, 1, 0, 0, 0, 0), -109205.0},
        {St(9999, 12, 31, 23, 59, 59, 999), 2958465.0 + 86399.999 / 86400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_NEAR(FromSystemTime(c.st), c.value, 1e-9);
        SYSTEMTIME back{};
        ASSERT_TRUE(ToSystemTime(c.value, back));
        EXPECT_EQ(back.wYear, c.st.wYear);
        EXPECT_EQ(back.wMonth, c.st.wMonth);
        EXPECT_EQ(back.wDay, c.st.wDay);
        EXPECT_EQ(back.wHour, c.st.wHour);
        EXPECT_EQ(back.wMinute, c.st.wMinute);
        EXPECT_EQ(back.wSecond, c.st.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
    }
    SYSTEMTIME st{};
    EXPECT_FALSE(ToSystemTime(-109205.5, st));
    EXPECT_FALSE(ToSystemTime(2958466.0, st));
    EXPECT_FALSE(ToSystemTime(0.0 / 0.0, st));
    // A value a hair below a millisecond boundary goes to the nearest one.
    ASSERT_TRUE(ToSystemTime(25569.0 + 0.0019999 / 86400, st));
    EXPECT_EQ(st.wMilliseconds, 2);
}

TEST(WinSystemClock, ReadingsAgreeWithEachOtherAndTheZone) {
    SystemClock clock;
    double before = static_cast<double>(std::time(nullptr));
    DateTime utc = clock.UtcNow();
    double unixSeconds = (utc - 25569.0) * 86400.0;
    EXPECT_GE(unixSeconds, before - 0.001);
    EXPECT_LE(unixSeconds, before + 2);
    // UTC = local time + bias, whether the zone has daylight saving or not.
    double gapMinutes = (clock.UtcNow() - clock.Now()) * 1440;
    EXPECT_NEAR(gapMinutes, clock.ZoneBiasMinutes(), 0.1) << "TZ=" << (getenv("TZ") ? getenv("TZ") : "");
}

}  // namespace
}  // namespace pw::win
