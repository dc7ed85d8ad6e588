#include "sched/recurrence.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace pw::sched {

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

bool IsNotStarted(const ScheduleTiming& t, std::int64_t today) { return today < DayNumber(t.startDate); }

bool CycleHasEnded(const ScheduleTiming& t, Seconds tick) {
    return t.cycleUnit != "disabled" && t.cycleNumber > 0 && t.End() + kSecondsPerMinute < tick;
}

AdvanceResult AdvanceCycle(const ScheduleTiming& t) {
    const std::int64_t n = t.cycleNumber;
    const std::int64_t startDay = DayNumber(t.startDate);
    const std::int64_t endDay = DayNumber(t.endDate);
    const Seconds startTime = TimeSeconds(t.startTime);
    const Seconds endTime = TimeSeconds(t.endTime);
    const CivilDate s = CivilFromDays(startDay);
    const CivilDate e = CivilFromDays(endDay);

    if (t.cycleUnit == "days") {
        const std::int64_t ns = startDay + n, ne = endDay + n;
        if (!InRange(CivilFromDays(std::max(ns, ne)).year) || !InRange(CivilFromDays(std::min(ns, ne)).year))
            return NoSuchDay();
        return Moved(ns, startTime, ne, endTime);
    }
    if (t.cycleUnit == "years" || t.cycleUnit == "mths date") {
        // "years" keeps month and day; 29 February in a common year becomes
        // 28 February, as "mths date" cuts a day to its month's length.
        const bool years = t.cycleUnit == "years";
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
    }
    if (t.cycleUnit == "mths dow+") return ByWeekday(t, false);
    if (t.cycleUnit == "mths dow-") return ByWeekday(t, true);
    return {Advance::Unchanged, {t.Start(), t.End()}};
}

bool IsExpired(const ScheduleTiming& t, Seconds tick, std::int64_t delSchedDays) {
    return t.cycleNumber == 0 && t.cycleUnit == "disabled" && t.End() + delSchedDays * kSecondsPerDay < tick;
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

ScheduleTiming WithWindow(ScheduleTiming t, const AdvancedWindow& w) {
    t.startDate = static_cast<DateTime>(DayOf(w.start));
    t.startTime = static_cast<DateTime>(FloorMod(w.start, kSecondsPerDay)) / kSecondsPerDay;
    t.endDate = static_cast<DateTime>(DayOf(w.end));
    t.endTime = static_cast<DateTime>(FloorMod(w.end, kSecondsPerDay)) / kSecondsPerDay;
    return t;
}

}  // namespace pw::sched
