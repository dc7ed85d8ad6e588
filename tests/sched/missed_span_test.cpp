// The due minutes of a span are worked out, not tried minute by minute.
// Here they are tried minute by minute, as passes in every minute would
// have found them, and the two must agree for every kind of window.
#include <gtest/gtest.h>

#include <random>

#include "common/datetime.h"
#include "sched/recurrence.h"

namespace pw::sched {
namespace {

// A pass in every minute from `from` to `tick`; in the tick's own minute
// only the window moves.
MissedSpan MinuteByMinute(ScheduleTiming t, Seconds from, Seconds tick) {
    MissedSpan w;
    for (Seconds m = from; m <= tick; m += kSecondsPerMinute) {
        // One pass advances one cycle; a window still behind moves on in
        // the same minute here, as a week of passes would have moved it.
        while (!IsNotStarted(t, DayOf(m)) && CycleHasEnded(t, m)) {
            const AdvanceResult r = AdvanceCycle(t);
            if (r.status == Advance::NoSuchDay) {
                w.noSuchDay = true;
                w.window = t;
                return w;
            }
            if (r.status == Advance::Unchanged) break;
            t = WithWindow(t, r.window);
            w.moved = true;
        }
        if (m < tick && DayOf(m) >= DayOf(t.Start()) && IsDue(t, m)) {
            ++w.due.count;
            w.due.last = m;
        }
    }
    w.window = t;
    return w;
}

Seconds Minute(std::int64_t day, int minuteOfDay) { return day * kSecondsPerDay + minuteOfDay * kSecondsPerMinute; }

TEST(MissedSpan, WorkedOutAgreesWithEveryMinuteTried) {
    std::mt19937 rng(20261208);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char* units[] = {"disabled", "days", "mths date", "mths dow+", "mths dow-", "years", "weeks"};
    const int periods[] = {0, 1, 7, 45, 60, 90, 420, 1439};
    const std::int64_t base = DaysFromCivil({2026, 12, 8});
    for (int i = 0; i < 400; ++i) {
        ScheduleTiming t;
        const std::int64_t startDay = base + pick(-40, 3);
        t.startDate = static_cast<DateTime>(startDay);
        // Now and then a time with seconds, which no minute ever equals.
        const int startSeconds = pick(0, 4) == 0 ? pick(1, 59) : 0;
        t.startTime = (pick(0, 1439) * 60 + startSeconds) / 86400.0;
        t.endDate = static_cast<DateTime>(startDay + pick(-1, 4));
        t.endTime = pick(0, 1439) / 1440.0;
        t.repeatPeriod = (pick(0, 2) == 0 ? pick(0, 1439) : periods[pick(0, 7)]) / 1440.0;
        t.cycleUnit = ParseCycleUnit(units[pick(0, 6)]);
        t.cycleNumber = pick(0, 3);
        const Seconds from = Minute(base + pick(-12, 0), pick(0, 1439));
        const Seconds tick = from + pick(1, 3 * 1440) * kSecondsPerMinute;

        SCOPED_TRACE(testing::Message() << "case " << i << ": unit " << CycleUnitText(t.cycleUnit) << " n " << t.cycleNumber
                                        << " period " << t.PeriodMinutes());
        const MissedSpan want = MinuteByMinute(t, from, tick);
        const MissedSpan got = WalkMissedSpan(t, from, tick);
        ASSERT_EQ(got.due.count, want.due.count);
        if (want.due.count > 0) {
            ASSERT_EQ(got.due.last, want.due.last);
        }
        ASSERT_EQ(got.noSuchDay, want.noSuchDay);
        if (!want.noSuchDay) {
            ASSERT_EQ(got.moved, want.moved);
            ASSERT_EQ(got.window.Start(), want.window.Start());
            ASSERT_EQ(got.window.End(), want.window.End());
        }
    }
}

TEST(MissedSpan, DueMomentsOfOneWindow) {
    const std::int64_t day = DaysFromCivil({2026, 12, 8});
    ScheduleTiming t;
    t.startDate = t.endDate = static_cast<DateTime>(day);
    t.startTime = 9 / 24.0;
    t.endTime = 17.5 / 24.0;
    t.repeatPeriod = 1 / 24.0;
    struct Case {
        int fromMinute, toMinute;
        std::int64_t count;
        int lastMinute;
    } cases[] = {
        {0, 1440, 10, 17 * 60 + 30},       // 09:00 ... 17:00 and the end moment 17:30
        {9 * 60, 9 * 60 + 1, 1, 9 * 60},   // the start minute alone
        {9 * 60 + 1, 10 * 60, 0, 0},       // between two
        {10 * 60, 17 * 60 + 30, 8, 17 * 60},  // up to, not including, the end moment
        {17 * 60 + 31, 1440, 0, 0},        // after the window
    };
    for (const auto& c : cases) {
        const DueMoments d = DueBetween(t, Minute(day, c.fromMinute), Minute(day, c.toMinute));
        EXPECT_EQ(d.count, c.count) << c.fromMinute;
        if (c.count > 0) {
            EXPECT_EQ(d.last, Minute(day, c.lastMinute)) << c.fromMinute;
        }
    }
}

}  // namespace
}  // namespace pw::sched
