#include "sched/recurrence.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "config/values.h"

namespace pw::sched {

static_assert(kCycleUnitTexts[static_cast<std::size_t>(CycleUnit::Disabled)] == cfg::schedule::RepeatCycleUnit.def,
              "a record without a unit has no cycle");

namespace {

constexpr std::int64_t kMinYear = 1;
constexpr std::int64_t kMaxYear = 9999;

// Floor division, so that times before 1899 split into day and time the
// same way as later ones.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - FloorDiv(a, b) * b; }

std::int64_t DayNumber(DateTime date) { return DayOf(ToSeconds(date)); }
Seconds TimeSeconds(DateTime time) { return FloorMod(ToSeconds(time), kSecondsPerDay); }
int MinuteOfDay(DateTime time) { return static_cast<int>(TimeSeconds(time) / 60); }

bool InRange(std::int64_t year) { return year >= kMinYear && year <= kMaxYear; }

// Weekday of a day number, compared only by difference.
int WeekdayOf(std::int64_t day) { return static_cast<int>(FloorMod(day, 7)); }

std::optional<std::int64_t> Day(std::int64_t y, int m, int d) {
    if (!InRange(y) || !IsValidDate(static_cast<int>(y), m, d)) return std::nullopt;
    return DaysFromCivil({static_cast<int>(y), m, d});
}

AdvanceResult NoSuchDay() { return {Advance::NoSuchDay, {}}; }

int MinuteOfDayAt(Seconds moment) { return static_cast<int>(FloorMod(moment, kSecondsPerDay) / kSecondsPerMinute); }
Seconds CeilToMinute(Seconds s) { return FloorDiv(s + kSecondsPerMinute - 1, kSecondsPerMinute) * kSecondsPerMinute; }

// The minutes of every day at which the period test holds: first, first + P,
// ... up to 23:59, the same on each day of the window.
struct DailyMinutes {
    int first = 0;
    int period = 1;
    int perDay = 0;

    DailyMinutes(int startMinute, int p)
        : first(static_cast<int>(FloorMod(startMinute, p))), period(p), perDay((1439 - first) / p + 1) {}

    // How many lie at or before a minute, counted from the origin's day.
    std::int64_t UpTo(Seconds m) const {
        const int y = MinuteOfDayAt(m);
        return DayOf(m) * perDay + (y < first ? 0 : (y - first) / period + 1);
    }
    Seconds LastAtOrBefore(Seconds m) const {
        std::int64_t day = DayOf(m);
        int y = MinuteOfDayAt(m);
        if (y < first) {
            --day;
            y = 1439;
        }
        return day * kSecondsPerDay + static_cast<Seconds>(first + (y - first) / period * period) * kSecondsPerMinute;
    }
};

// Cycles a span may move a window by before it is left where it got to: a
// week's span moves a daily window seven times, and only a window that was
// already far behind needs more (the passes after move it on one a minute).
constexpr int kMaxAdvancesInSpan = 1000;

AdvanceResult Moved(std::int64_t startDay, Seconds startTime, std::int64_t endDay, Seconds endTime) {
    return {Advance::Moved, {startDay * kSecondsPerDay + startTime, endDay * kSecondsPerDay + endTime}};
}

// The same weekday in the q-th seven-day block of the target month,
// counted from its first day (F = 7q + 1) or back from its last
// (F = L - 7q - 6). The window keeps its length.
AdvanceResult ByWeekday(const ScheduleTiming& t, bool fromEnd) {
    const std::int64_t startDay = DayNumber(t.startDate);
    const CivilDate s = CivilFromDays(startDay);
    const int w = WeekdayOf(startDay);
    auto [y2, m2] = ShiftMonths(s.year, s.month, t.cycleNumber);
    if (!InRange(y2)) return NoSuchDay();
    const int last = LastDayOfMonth(static_cast<int>(y2), m2);
    std::int64_t first;
    if (fromEnd) {
        const int q = (LastDayOfMonth(s.year, s.month) - s.day) / 7;
        first = last - 7 * q - 6;
    } else {
        const int q = (s.day - 1) / 7;
        first = 7 * q + 1;
    }
    // A block that starts outside the target month has no such weekday.
    if (first < 1 || first > last) return NoSuchDay();
    auto firstDay = Day(y2, m2, static_cast<int>(first));
    if (!firstDay) return NoSuchDay();
    int d = w - WeekdayOf(*firstDay);
    if (d < 0) d += 7;
    const std::int64_t newDay = first + d;
    if (newDay < 1 || newDay > last) return NoSuchDay();
    const Seconds newStart = (*firstDay + d) * kSecondsPerDay + TimeSeconds(t.startTime);
    const Seconds newEnd = newStart + (t.End() - t.Start());
    if (!InRange(CivilFromDays(DayOf(newEnd)).year)) return NoSuchDay();
    return {Advance::Moved, {newStart, newEnd}};
}

}  // namespace

Seconds ScheduleTiming::Start() const { return DayNumber(startDate) * kSecondsPerDay + TimeSeconds(startTime); }
Seconds ScheduleTiming::End() const { return DayNumber(endDate) * kSecondsPerDay + TimeSeconds(endTime); }
int ScheduleTiming::PeriodMinutes() const { return MinuteOfDay(repeatPeriod); }
int ScheduleTiming::StartMinuteOfDay() const { return MinuteOfDay(startTime); }

Seconds TickMoment(DateTime now) {
    // Whole milliseconds first (the clock's resolution), then down to the
    // minute: 10:00:59.999 is still minute 10:00.
    const std::int64_t ms = std::llround(now * 86400000.0);
    return FloorDiv(ms, 60000) * kSecondsPerMinute;
}
std::int64_t DayOf(Seconds moment) { return FloorDiv(moment, kSecondsPerDay); }

int LastDayOfMonth(int year, int month) {
    if (month == 12) return 31;
    return DaysInMonth(year, month);
}

std::pair<std::int64_t, int> ShiftMonths(std::int64_t year, int month, std::int64_t n) {
    const std::int64_t k = month + n - 1;
    return {year + FloorDiv(k, 12), static_cast<int>(FloorMod(k, 12)) + 1};
}

CycleUnit ParseCycleUnit(std::string_view text) {
    for (std::size_t i = 0; i < kCycleUnitTexts.size(); ++i)
        if (kCycleUnitTexts[i] == text) return static_cast<CycleUnit>(i);
    return CycleUnit::Unknown;
}

std::string_view CycleUnitText(CycleUnit unit) {
    const auto i = static_cast<std::size_t>(unit);
    return i < kCycleUnitTexts.size() ? kCycleUnitTexts[i] : std::string_view();
}

bool IsNotStarted(const ScheduleTiming& t, std::int64_t today) { return today < DayNumber(t.startDate); }

bool CycleHasEnded(const ScheduleTiming& t, Seconds tick) {
    return t.cycleUnit != CycleUnit::Disabled && t.cycleNumber > 0 && t.End() + kSecondsPerMinute < tick;
}

AdvanceResult AdvanceCycle(const ScheduleTiming& t) {
    const std::int64_t n = t.cycleNumber;
    const std::int64_t startDay = DayNumber(t.startDate);
    const std::int64_t endDay = DayNumber(t.endDate);
    const Seconds startTime = TimeSeconds(t.startTime);
    const Seconds endTime = TimeSeconds(t.endTime);
    const CivilDate s = CivilFromDays(startDay);
    const CivilDate e = CivilFromDays(endDay);

    // Both "years" and "mths date" keep the day of the month, cut to the
    // target month's length (29 February in a common year becomes 28).
    auto byDate = [&](bool years) -> AdvanceResult {
        auto move = [&](const CivilDate& d) -> std::optional<std::int64_t> {
            std::int64_t y = d.year;
            int m = d.month;
            if (years) {
                y += n;
            } else {
                std::tie(y, m) = ShiftMonths(d.year, d.month, n);
            }
            if (!InRange(y)) return std::nullopt;
            const int day = std::min(d.day, LastDayOfMonth(static_cast<int>(y), m));
            return Day(y, m, day);
        };
        auto ns = move(s), ne = move(e);
        if (!ns || !ne) return NoSuchDay();
        return Moved(*ns, startTime, *ne, endTime);
    };
    switch (t.cycleUnit) {
    case CycleUnit::Days: {
        const std::int64_t ns = startDay + n, ne = endDay + n;
        if (!InRange(CivilFromDays(std::max(ns, ne)).year) || !InRange(CivilFromDays(std::min(ns, ne)).year))
            return NoSuchDay();
        return Moved(ns, startTime, ne, endTime);
    }
    case CycleUnit::MonthsByDate: return byDate(false);
    case CycleUnit::Years: return byDate(true);
    case CycleUnit::MonthsByWeekday: return ByWeekday(t, false);
    case CycleUnit::MonthsByWeekdayEnd: return ByWeekday(t, true);
    case CycleUnit::Disabled:
    case CycleUnit::Unknown: break;
    }
    return {Advance::Unchanged, {t.Start(), t.End()}};
}

bool IsExpired(const ScheduleTiming& t, Seconds tick, std::int64_t delSchedDays) {
    return t.cycleNumber == 0 && t.cycleUnit == CycleUnit::Disabled && t.End() + delSchedDays * kSecondsPerDay < tick;
}

bool IsDue(const ScheduleTiming& t, Seconds tick) {
    const Seconds s = t.Start(), e = t.End();
    if (DayOf(tick) < DayOf(s)) return false;
    if (tick == s || tick == e) return true;
    const int p = t.PeriodMinutes();
    if (p < 1 || s > tick || tick > e) return false;
    const int diff = static_cast<int>(FloorMod(tick, kSecondsPerDay) / 60) - t.StartMinuteOfDay();
    return diff % p == 0;
}

void DueMoments::Add(const DueMoments& later) {
    if (later.count == 0) return;
    count += later.count;
    last = later.last;
}

DueMoments DueBetween(const ScheduleTiming& t, Seconds from, Seconds to) {
    DueMoments d;
    const Seconds s = t.Start(), e = t.End();
    const int p = t.PeriodMinutes();
    const bool periodic = p >= 1 && s <= e;
    const auto byPeriod = [&](Seconds m) {
        return periodic && s <= m && m <= e && (MinuteOfDayAt(m) - t.StartMinuteOfDay()) % p == 0;
    };
    if (periodic) {
        const DailyMinutes daily(t.StartMinuteOfDay(), p);
        const Seconds lo = std::max(from, CeilToMinute(s));
        const Seconds hi = std::min(to - kSecondsPerMinute, TruncateToMinute(e));
        if (lo <= hi) {
            d.count = daily.UpTo(hi) - daily.UpTo(lo - kSecondsPerMinute);
            if (d.count > 0) d.last = daily.LastAtOrBefore(hi);
        }
    }
    // The start and end moments are due whatever the period; count each one
    // the period test has not counted already.
    const auto single = [&](Seconds m) {
        if (FloorMod(m, kSecondsPerMinute) != 0 || m < from || m >= to || DayOf(m) < DayOf(s) || byPeriod(m)) return;
        if (d.count == 0 || m > d.last) d.last = m;
        ++d.count;
    };
    single(s);
    if (e != s) single(e);
    return d;
}

MissedSpan WalkMissedSpan(const ScheduleTiming& t, Seconds from, Seconds tick) {
    MissedSpan w;
    w.window = t;
    int advances = 0;
    bool frozen = false;  // a unit that moves nothing: the window stays put
    // Moves the window on while its cycle has ended at `at`, as passes in
    // the minutes up to `at` would have. False when it cannot go on.
    const auto catchUp = [&](Seconds at) {
        while (!frozen && !IsNotStarted(w.window, DayOf(at)) && CycleHasEnded(w.window, at)) {
            if (advances++ == kMaxAdvancesInSpan) return false;
            const AdvanceResult r = AdvanceCycle(w.window);
            if (r.status == Advance::NoSuchDay) {
                w.noSuchDay = true;
                return false;
            }
            if (r.status == Advance::Unchanged) {
                frozen = true;
                break;
            }
            w.window = WithWindow(w.window, r.window);
            w.moved = true;
        }
        return true;
    };
    for (Seconds m = from; m < tick;) {
        if (!catchUp(m)) return w;
        // The window holds until the first minute after its end plus one
        // minute (and not before its start date, which a pass waits for).
        Seconds next = tick;
        if (!frozen && w.window.cycleUnit != CycleUnit::Disabled && w.window.cycleNumber > 0) {
            const Seconds ends = TruncateToMinute(w.window.End() + kSecondsPerMinute) + kSecondsPerMinute;
            const Seconds starts = DayNumber(w.window.startDate) * kSecondsPerDay;
            next = std::min(tick, std::max({ends, starts, m + kSecondsPerMinute}));
        }
        w.due.Add(DueBetween(w.window, m, next));
        m = next;
    }
    catchUp(tick);
    return w;
}

ScheduleTiming WithWindow(ScheduleTiming t, const AdvancedWindow& w) {
    t.startDate = static_cast<DateTime>(DayOf(w.start));
    t.startTime = static_cast<DateTime>(FloorMod(w.start, kSecondsPerDay)) / kSecondsPerDay;
    t.endDate = static_cast<DateTime>(DayOf(w.end));
    t.endTime = static_cast<DateTime>(FloorMod(w.end, kSecondsPerDay)) / kSecondsPerDay;
    return t;
}

}  // namespace pw::sched
