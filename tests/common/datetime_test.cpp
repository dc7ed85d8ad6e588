#include "common/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/errors.h"

namespace pw {
namespace {

TEST(CivilDays, KnownDayNumbers) {
    struct Case {
        CivilDate date;
        std::int64_t days;
    } cases[] = {
        {{1899, 12, 30}, 0},      {{1899, 12, 31}, 1},      {{1900, 1, 1}, 2},  // the NTP era
        {{1899, 12, 29}, -1},     {{1900, 3, 1}, 61},       {{2000, 1, 1}, 36526},
        {{2000, 2, 29}, 36585},   {{2026, 12, 8}, 46364},   {{1, 1, 1}, kMinDay},
        {{9999, 12, 31}, kMaxDay}, {{1752, 9, 14}, -53797},  // no Julian gap
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DaysFromCivil(c.date), c.days) << c.date.year << "-" << c.date.month << "-" << c.date.day;
        EXPECT_EQ(CivilFromDays(c.days), c.date) << c.days;
    }
}

TEST(CivilDays, EveryValidDayFollowsTheDayBefore) {
    // Walks the whole range once: each day number gives the next calendar
    // date of the one before, and converts back to itself.
    CivilDate prev = CivilFromDays(kMinDay);
    ASSERT_EQ(prev, (CivilDate{1, 1, 1}));
    for (std::int64_t n = kMinDay + 1; n <= kMaxDay; ++n) {
        const CivilDate d = CivilFromDays(n);
        CivilDate expected = prev;
        if (++expected.day > DaysInMonth(expected.year, expected.month)) {
            expected.day = 1;
            if (++expected.month > 12) {
                expected.month = 1;
                ++expected.year;
            }
        }
        ASSERT_EQ(d, expected) << n;
        ASSERT_EQ(DaysFromCivil(d), n);
        prev = d;
    }
    EXPECT_EQ(prev, (CivilDate{9999, 12, 31}));
}

TEST(CivilDays, OutsideTheRangeGiveTheZeroDate) {
    for (std::int64_t n : {kMinDay - 1, kMaxDay + 1, std::numeric_limits<std::int64_t>::min(),
                           std::numeric_limits<std::int64_t>::max()})
        EXPECT_EQ(CivilFromDays(n), (CivilDate{0, 0, 0})) << n;
}

TEST(Calendar, LeapYearsAndMonthLengths) {
    struct Case {
        int year;
        bool leap;
    } years[] = {{1, false}, {4, true}, {100, false}, {400, true}, {1600, true}, {1900, false},
                 {2000, true}, {2023, false}, {2024, true}, {2100, false}, {9996, true}};
    for (const auto& c : years) {
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
        EXPECT_EQ(DaysInMonth(c.year, 2), c.leap ? 29 : 28) << c.year;
    }
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(DaysInMonth(2025, m), lengths[m - 1]) << m;
    EXPECT_EQ(DaysInMonth(2025, 0), 0);
    EXPECT_EQ(DaysInMonth(2025, 13), 0);
}

TEST(Calendar, ValidDates) {
    struct Case {
        int y, m, d;
        bool valid;
    } cases[] = {
        {2024, 2, 29, true}, {2025, 2, 29, false}, {1900, 2, 29, false}, {2000, 2, 29, true},
        {2026, 4, 31, false}, {2026, 12, 31, true}, {2026, 13, 1, false}, {2026, 0, 1, false},
        {2026, 1, 0, false},  {2026, 1, 32, false}, {0, 1, 1, false},     {1, 1, 1, true},
        {9999, 12, 31, true}, {10000, 1, 1, false}, {-1, 1, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidDate(c.y, c.m, c.d), c.valid) << c.y << "-" << c.m << "-" << c.d;
        DateTime v = -123;
        EXPECT_EQ(TryEncodeDate(c.y, c.m, c.d, v), c.valid);
        if (!c.valid) {
            EXPECT_EQ(v, -123) << "left untouched";
        }
    }
}

TEST(Encode, InvalidArgumentsRaiseTheirErrors) {
    try {
        EncodeDate(2025, 2, 29);
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "Invalid argument to date encode");
    }
    for (auto [h, m, s, ms] : {std::array{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}}) {
        DateTime v = -5;
        EXPECT_FALSE(TryEncodeTime(h, m, s, ms, v));
        EXPECT_EQ(v, -5);
        try {
            EncodeTime(h, m, s, ms);
            FAIL();
        } catch (const ConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to time encode");
        }
    }
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
}

TEST(Decode, DateAndTimeOfValues) {
    struct Case {
        DateTime value;
        CivilDate date;
        CivilTime time;
    } cases[] = {
        {0, {1899, 12, 30}, {0, 0, 0, 0}},
        {0.5, {1899, 12, 30}, {12, 0, 0, 0}},
        {2.25, {1900, 1, 1}, {6, 0, 0, 0}},
        // Before the origin the time still counts forward from the day.
        {-0.75, {1899, 12, 29}, {6, 0, 0, 0}},
        {-1.5, {1899, 12, 28}, {12, 0, 0, 0}},
        {46364 + EncodeTime(14, 5, 9, 7), {2026, 12, 8}, {14, 5, 9, 7}},
        // Rounded to the millisecond, also across midnight.
        {46364 + (86400 - 0.0004) / 86400, {2026, 12, 9}, {0, 0, 0, 0}},
        {46364 + (86400 - 0.0006) / 86400, {2026, 12, 8}, {23, 59, 59, 999}},
        {46364 + 0.0004 / 86400, {2026, 12, 8}, {0, 0, 0, 0}},
        {double(kMinDay), {1, 1, 1}, {0, 0, 0, 0}},
        {kMaxDay + EncodeTime(23, 59, 59, 999), {9999, 12, 31}, {23, 59, 59, 999}},
    };
    for (const auto& c : cases) {
        CivilDate d;
        CivilTime t;
        DecodeDateTime(c.value, d, t);
        EXPECT_EQ(d, c.date) << c.value;
        EXPECT_EQ(t, c.time) << c.value;
        EXPECT_EQ(DecodeDate(c.value), c.date);
        EXPECT_EQ(DecodeTime(c.value), c.time);
        EXPECT_TRUE(IsValidDateTime(c.value));
        // The whole day and the time of day rebuild the value.
        EXPECT_NEAR(DateOf(c.value) + TimeOf(c.value), c.value, 0.0006 / 86400) << c.value;
        EXPECT_EQ(DateOf(c.value), double(DaysFromCivil(c.date)));
        EXPECT_GE(TimeOf(c.value), 0.0);
        EXPECT_LT(TimeOf(c.value), 1.0);
    }
}

TEST(Decode, ValuesOutsideTheRangeAreNotValid) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, kMinDay - 0.001, double(kMaxDay + 1), kMaxDay + (86400 - 0.0004) / 86400,
                     1e300, -1e300}) {
        EXPECT_FALSE(IsValidDateTime(v)) << v;
        EXPECT_EQ(DecodeDate(v), (CivilDate{0, 0, 0})) << v;
        EXPECT_EQ(DecodeTime(v), CivilTime{}) << v;
        EXPECT_EQ(DayOfWeek(v), 0) << v;
    }
    EXPECT_EQ(TimeOf(nan), 0);
    EXPECT_TRUE(std::isnan(DateOf(nan)));
    EXPECT_EQ(DateOf(1e300), 1e300);
    EXPECT_EQ(TimeOf(-1e7 - 0.25), 0.75);
}

TEST(DayOfWeek, KnownWeekdays) {
    struct Case {
        CivilDate date;
        int dow;
    } cases[] = {
        {{1899, 12, 30}, 7}, {{1899, 12, 29}, 6}, {{1900, 1, 1}, 2}, {{2000, 1, 1}, 7}, {{2026, 12, 6}, 1},
        {{2026, 12, 8}, 3},  {{2024, 2, 29}, 5},  {{1, 1, 1}, 2},    {{9999, 12, 31}, 6},
    };
    for (const auto& c : cases) {
        const double day = double(DaysFromCivil(c.date));
        EXPECT_EQ(DayOfWeek(day), c.dow) << c.date.year;
        EXPECT_EQ(DayOfWeek(day + 0.999), c.dow) << c.date.year;
    }
    EXPECT_EQ(DayOfWeek(-0.75), 6);  // Friday 29 December 1899, 06:00
}

TEST(Seconds, MinutesOfADayCompareExactlyHoweverTheValueWasComputed) {
    // The same moment reached by different double arithmetic must be the
    // same second: the tick moment against a start date plus start time.
    const double date = double(DaysFromCivil({2026, 12, 8}));
    const Seconds dateSeconds = DaysFromCivil({2026, 12, 8}) * kSecondsPerDay;
    for (int minute = 0; minute < 1440; ++minute) {
        const Seconds expected = dateSeconds + minute * kSecondsPerMinute;
        const DateTime a = date + EncodeTime(minute / 60, minute % 60, 0, 0);
        const DateTime b = date + minute / 1440.0;
        const DateTime c = date + (minute * 60.0) / 86400.0 + 1e-12;
        EXPECT_EQ(ToSeconds(a), expected);
        EXPECT_EQ(ToSeconds(b), expected);
        EXPECT_EQ(ToSeconds(c), expected);
        EXPECT_EQ(TruncateToMinute(ToSeconds(a + 59.4 / 86400)), expected);
    }
}

TEST(Seconds, RoundTripThroughDateTimeValues) {
    for (Seconds s : {Seconds{0}, Seconds{1}, Seconds{-1}, Seconds{86399}, Seconds{-86401},
                      kMinDay * kSecondsPerDay, kMaxDay * kSecondsPerDay + 86399, Seconds{4005837909}}) {
        const DateTime v = FromSeconds(s);
        EXPECT_EQ(ToSeconds(v), s) << s;
        const CivilTime t = DecodeTime(v);
        const Seconds ofDay = s - (s >= 0 ? s / 86400 : (s - 86399) / 86400) * 86400;
        EXPECT_EQ(t.hour * 3600 + t.minute * 60 + t.second, ofDay) << s;
        EXPECT_EQ(t.millisecond, 0) << s;
    }
    // Every second of one day, also below the origin.
    for (Seconds s = -86400 * 2; s < 86400 * 2; s += 7) ASSERT_EQ(ToSeconds(FromSeconds(s)), s);
    EXPECT_EQ(FromSeconds(-64800), -0.75);
}

TEST(Seconds, ValuesWithoutAMomentStayDefined) {
    EXPECT_EQ(ToSeconds(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_GT(ToSeconds(std::numeric_limits<double>::infinity()), kMaxDay * kSecondsPerDay);
    EXPECT_LT(ToSeconds(-1e300), kMinDay * kSecondsPerDay);
    EXPECT_EQ(ToSeconds(0.4999 / 86400), 0);
    EXPECT_EQ(ToSeconds(0.5001 / 86400), 1);
}

TEST(Seconds, TruncateToMinuteGoesTowardsThePast) {
    struct Case {
        Seconds in, out;
    } cases[] = {{0, 0}, {59, 0}, {60, 60}, {119, 60}, {-1, -60}, {-60, -60}, {-61, -120}};
    for (const auto& c : cases) EXPECT_EQ(TruncateToMinute(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace pw
