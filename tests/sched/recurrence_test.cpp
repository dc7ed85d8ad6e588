#include "sched/recurrence.h"

#include <gtest/gtest.h>

#include <string>

#include "common/datetime.h"
#include "config/values.h"

namespace pw::sched {
namespace {

// "2026-02-10" and "09:30" (or "09:30:15") as date-time values.
DateTime D(const std::string& ymd) {
    return EncodeDate(std::stoi(ymd.substr(0, 4)), std::stoi(ymd.substr(5, 2)), std::stoi(ymd.substr(8, 2)));
}
DateTime Tm(const std::string& hm) {
    int s = hm.size() > 5 ? std::stoi(hm.substr(6, 2)) : 0;
    return EncodeTime(std::stoi(hm.substr(0, 2)), std::stoi(hm.substr(3, 2)), s, 0);
}
Seconds At(const std::string& ymd, const std::string& hm) { return ToSeconds(D(ymd) + Tm(hm)); }
std::int64_t Day(const std::string& ymd) { return DayOf(At(ymd, "00:00")); }

ScheduleTiming Timing(const std::string& sd, const std::string& st, const std::string& ed, const std::string& et,
                      const std::string& period = "01:00", std::int64_t n = 0, const std::string& unit = "disabled") {
    ScheduleTiming t;
    t.startDate = D(sd);
    t.startTime = Tm(st);
    t.endDate = D(ed);
    t.endTime = Tm(et);
    t.repeatPeriod = Tm(period);
    t.cycleNumber = n;
    t.cycleUnit = ParseCycleUnit(unit);
    return t;
}

TEST(Calendar, LastDayOfMonthAndShiftMonths) {
    EXPECT_EQ(LastDayOfMonth(2026, 2), 28);
    EXPECT_EQ(LastDayOfMonth(2028, 2), 29);
    EXPECT_EQ(LastDayOfMonth(1900, 2), 28);
    EXPECT_EQ(LastDayOfMonth(2000, 2), 29);
    EXPECT_EQ(LastDayOfMonth(2026, 12), 31);
    EXPECT_EQ(LastDayOfMonth(2026, 4), 30);
    EXPECT_EQ(ShiftMonths(2026, 12, 13), (std::pair<std::int64_t, int>{2028, 1}));
    EXPECT_EQ(ShiftMonths(2026, 1, 11), (std::pair<std::int64_t, int>{2026, 12}));
    EXPECT_EQ(ShiftMonths(2026, 12, 1), (std::pair<std::int64_t, int>{2027, 1}));
    EXPECT_EQ(ShiftMonths(2026, 5, 24), (std::pair<std::int64_t, int>{2028, 5}));
}

struct AdvanceCase {
    const char* what;
    std::string unit;
    std::int64_t n;
    std::string start, end;        // dates before
    std::string newStart, newEnd;  // dates after; empty = no such day
};

void PrintTo(const AdvanceCase& c, std::ostream* os) { *os << c.what; }

class AdvanceTest : public ::testing::TestWithParam<AdvanceCase> {};

TEST_P(AdvanceTest, MovesTheWindowByOneCycle) {
    const auto& c = GetParam();
    auto t = Timing(c.start, "09:00", c.end, "17:00", "01:00", c.n, c.unit);
    auto r = AdvanceCycle(t);
    if (c.newStart.empty()) {
        EXPECT_EQ(r.status, Advance::NoSuchDay);
        return;
    }
    ASSERT_EQ(r.status, Advance::Moved);
    EXPECT_EQ(r.window.start, At(c.newStart, "09:00"));
    EXPECT_EQ(r.window.end, At(c.newEnd, "17:00"));
}

INSTANTIATE_TEST_SUITE_P(
    Units, AdvanceTest,
    ::testing::Values(
        // The worked examples.
        AdvanceCase{"second Tuesday", "mths dow+", 1, "2026-02-10", "2026-02-10", "2026-03-10", "2026-03-10"},
        AdvanceCase{"third-last Tuesday", "mths dow-", 1, "2026-02-10", "2026-02-10", "2026-03-17", "2026-03-17"},
        AdvanceCase{"fourth Tuesday", "mths dow+", 1, "2026-03-24", "2026-03-24", "2026-04-28", "2026-04-28"},
        AdvanceCase{"second-last Tuesday", "mths dow-", 1, "2026-03-24", "2026-03-24", "2026-04-21", "2026-04-21"},
        AdvanceCase{"last Friday", "mths dow-", 1, "2026-12-25", "2026-12-25", "2027-01-29", "2027-01-29"},
        AdvanceCase{"fifth Friday, June has none", "mths dow+", 1, "2026-05-29", "2026-05-29", "", ""},
        // Weekday units keep the window's length.
        AdvanceCase{"three-day window", "mths dow+", 1, "2026-02-10", "2026-02-12", "2026-03-10", "2026-03-12"},
        AdvanceCase{"across a year", "mths dow+", 2, "2026-11-03", "2026-11-03", "2027-01-05", "2027-01-05"},
        // A block that begins outside the target month.
        AdvanceCase{"30 January, fifth block, into February", "mths dow+", 1, "2026-01-30", "2026-01-30", "", ""},
        AdvanceCase{"1 January counted from the end", "mths dow-", 1, "2026-01-01", "2026-01-01", "", ""},
        // Months by date: the day is cut to the month's length and forgotten.
        AdvanceCase{"31 January", "mths date", 1, "2026-01-31", "2026-01-31", "2026-02-28", "2026-02-28"},
        AdvanceCase{"28 February onwards", "mths date", 1, "2026-02-28", "2026-02-28", "2026-03-28", "2026-03-28"},
        AdvanceCase{"31 January, leap year", "mths date", 1, "2028-01-31", "2028-01-31", "2028-02-29", "2028-02-29"},
        AdvanceCase{"thirteen months", "mths date", 13, "2026-12-15", "2026-12-15", "2028-01-15", "2028-01-15"},
        AdvanceCase{"end date moves on its own", "mths date", 1, "2026-01-30", "2026-01-31", "2026-02-28", "2026-02-28"},
        // Days and years.
        AdvanceCase{"three days", "days", 3, "2026-12-30", "2026-12-31", "2027-01-02", "2027-01-03"},
        AdvanceCase{"one year", "years", 1, "2026-12-08", "2026-12-09", "2027-12-08", "2027-12-09"},
        AdvanceCase{"29 February into a common year", "years", 1, "2028-02-29", "2028-02-29", "2029-02-28", "2029-02-28"},
        AdvanceCase{"29 February four years on", "years", 4, "2028-02-29", "2028-02-29", "2032-02-29", "2032-02-29"},
        // Beyond the year 9999 there is no valid date.
        AdvanceCase{"days past 9999", "days", 99999999, "2026-12-08", "2026-12-08", "", ""},
        AdvanceCase{"months past 9999", "mths date", 99999999, "2026-12-08", "2026-12-08", "", ""},
        AdvanceCase{"weekday months past 9999", "mths dow-", 99999999, "2026-12-08", "2026-12-08", "", ""},
        AdvanceCase{"years past 9999", "years", 8000, "2026-12-08", "2026-12-08", "", ""},
        AdvanceCase{"last year that fits", "years", 7973, "2026-12-08", "2026-12-08", "9999-12-08", "9999-12-08"}),
    [](const auto& info) {
        std::string n;
        for (char ch : std::string(info.param.what)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return n;
    });

TEST(Advance, UnknownUnitsMoveNothing) {
    auto t = Timing("2026-12-01", "09:00", "2026-12-01", "17:00", "01:00", 1, "weeks");
    auto r = AdvanceCycle(t);
    EXPECT_EQ(r.status, Advance::Unchanged);
    EXPECT_EQ(r.window.start, t.Start());
}

TEST(CycleUnitText, StoredTextsReadBackExactlyAndNothingElseIsAUnit) {
    for (std::string_view text : kCycleUnitTexts) EXPECT_EQ(CycleUnitText(ParseCycleUnit(text)), text);
    // Stored texts compare to the letter, as the records always held them.
    for (std::string_view text : {"", "Days", "days ", "weeks", "mths dow"})
        EXPECT_EQ(ParseCycleUnit(text), CycleUnit::Unknown) << text;
    EXPECT_EQ(ParseCycleUnit(cfg::schedule::RepeatCycleUnit.def), CycleUnit::Disabled);
}

TEST(CycleEnd, HasAOneMinuteMarginAndNeedsAUnitAndANumber) {
    auto t = Timing("2026-12-08", "09:00", "2026-12-08", "17:00", "01:00", 1, "days");
    EXPECT_FALSE(CycleHasEnded(t, At("2026-12-08", "17:00")));
    EXPECT_FALSE(CycleHasEnded(t, At("2026-12-08", "17:01")));
    EXPECT_TRUE(CycleHasEnded(t, At("2026-12-08", "17:02")));
    t.cycleNumber = 0;
    EXPECT_FALSE(CycleHasEnded(t, At("2026-12-09", "17:02")));
    t.cycleNumber = 1;
    t.cycleUnit = ParseCycleUnit("disabled");
    EXPECT_FALSE(CycleHasEnded(t, At("2026-12-09", "17:02")));
    t.cycleUnit = ParseCycleUnit("nonsense");  // ended, though the advance then moves nothing
    EXPECT_TRUE(CycleHasEnded(t, At("2026-12-09", "17:02")));
}

TEST(Expiry, StrictlyAfterTheDaysAndOnlyWithoutACycle) {
    auto t = Timing("2026-11-01", "09:00", "2026-11-08", "09:00");
    EXPECT_FALSE(IsExpired(t, At("2026-12-08", "09:00"), 30));  // exactly 30 days
    EXPECT_TRUE(IsExpired(t, At("2026-12-08", "09:01"), 30));
    EXPECT_TRUE(IsExpired(t, At("2026-11-08", "09:01"), 0));
    t.cycleUnit = ParseCycleUnit("days");  // "days" with N = 0 neither advances nor expires
    EXPECT_FALSE(IsExpired(t, At("2027-12-08", "09:00"), 30));
    EXPECT_FALSE(CycleHasEnded(t, At("2027-12-08", "09:00")));
    t.cycleUnit = ParseCycleUnit("disabled");
    t.cycleNumber = 2;
    EXPECT_FALSE(IsExpired(t, At("2027-12-08", "09:00"), 30));
}

TEST(NotStarted, ComparesWholeDays) {
    auto t = Timing("2026-12-09", "09:00", "2026-12-01", "09:00", "01:00", 1, "days");
    EXPECT_TRUE(IsNotStarted(t, Day("2026-12-08")));
    EXPECT_FALSE(IsNotStarted(t, Day("2026-12-09")));
    EXPECT_FALSE(IsNotStarted(t, Day("2026-12-10")));
}

struct DueCase {
    const char* what;
    ScheduleTiming timing;
    std::vector<std::string> due;  // "yyyy-mm-dd hh:mm" of every due minute in [from, to]
    std::string from, to;
};

// Every minute between from and to, the ones IsDue accepts.
std::vector<std::string> DueMinutes(const ScheduleTiming& t, const std::string& from, const std::string& to) {
    std::vector<std::string> out;
    for (Seconds s = At(from.substr(0, 10), from.substr(11)); s <= At(to.substr(0, 10), to.substr(11)); s += 60) {
        if (!IsDue(t, s)) continue;
        CivilDate d;
        CivilTime tm;
        DecodeDateTime(FromSeconds(s), d, tm);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", d.year, d.month, d.day, tm.hour, tm.minute);
        out.emplace_back(buf);
    }
    return out;
}

void PrintTo(const DueCase& c, std::ostream* os) { *os << c.what; }

class DueTest : public ::testing::TestWithParam<DueCase> {};

TEST_P(DueTest, FallsDueAtTheExpectedMinutes) {
    const auto& c = GetParam();
    EXPECT_EQ(DueMinutes(c.timing, c.from, c.to), c.due);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, DueTest,
    ::testing::Values(
        DueCase{"hourly with end at half past",
                Timing("2026-12-08", "09:00", "2026-12-08", "17:30", "01:00"),
                {"2026-12-08 09:00", "2026-12-08 10:00", "2026-12-08 11:00", "2026-12-08 12:00", "2026-12-08 13:00",
                 "2026-12-08 14:00", "2026-12-08 15:00", "2026-12-08 16:00", "2026-12-08 17:00", "2026-12-08 17:30"},
                "2026-12-08 08:00", "2026-12-08 18:30"},
        DueCase{"start with seconds is never hit exactly",
                Timing("2026-12-08", "08:30:15", "2026-12-08", "10:30", "01:00"),
                {"2026-12-08 09:30", "2026-12-08 10:30"}, "2026-12-08 08:00", "2026-12-08 11:00"},
        DueCase{"no period: start and end only", Timing("2026-12-08", "09:00", "2026-12-08", "11:00", "00:00"),
                {"2026-12-08 09:00", "2026-12-08 11:00"}, "2026-12-08 08:00", "2026-12-08 12:00"},
        DueCase{"a period of seconds counts as none",
                Timing("2026-12-08", "09:00", "2026-12-08", "09:05", "00:00:45"),
                {"2026-12-08 09:00", "2026-12-08 09:05"}, "2026-12-08 08:55", "2026-12-08 09:10"},
        DueCase{"start equals end", Timing("2026-12-08", "08:00", "2026-12-08", "08:00", "01:00"),
                {"2026-12-08 08:00"}, "2026-12-08 07:00", "2026-12-08 10:00"},
        DueCase{"anchored to the start time of day on every day",
                Timing("2026-12-08", "22:00", "2026-12-10", "23:59", "07:00"),
                {"2026-12-08 22:00", "2026-12-09 01:00", "2026-12-09 08:00", "2026-12-09 15:00", "2026-12-09 22:00",
                 "2026-12-10 01:00", "2026-12-10 08:00", "2026-12-10 15:00", "2026-12-10 22:00", "2026-12-10 23:59"},
                "2026-12-08 00:00", "2026-12-11 00:00"},
        DueCase{"end before start: only the start, and the end on or after the start date",
                Timing("2026-12-08", "12:00", "2026-12-08", "10:00", "01:00"),
                {"2026-12-08 10:00", "2026-12-08 12:00"}, "2026-12-08 08:00", "2026-12-08 14:00"},
        DueCase{"end on an earlier day than the start",
                Timing("2026-12-08", "12:00", "2026-12-07", "10:00", "01:00"),
                {"2026-12-08 12:00"}, "2026-12-07 08:00", "2026-12-08 14:00"}),
    [](const auto& info) {
        std::string n;
        for (char ch : std::string(info.param.what)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return n;
    });

TEST(Due, RoundingOfTheDoubleDoesNotMoveABoundary) {
    // 17:30 as a double is not exact; compared as seconds it still equals
    // the tick moment 17:30.
    ScheduleTiming t = Timing("2026-12-08", "09:00", "2026-12-08", "17:30", "00:00");
    t.endTime = 17.5 / 24.0;
    EXPECT_TRUE(IsDue(t, TickMoment(D("2026-12-08") + 17.5 / 24.0)));
    EXPECT_EQ(TickMoment(D("2026-12-08") + (17 * 3600 + 29 * 60 + 59.9994) / 86400.0), At("2026-12-08", "17:29"));
}

}  // namespace
}  // namespace pw::sched
