#pragma once
// When a schedule is due, when its cycle has ended and where its window
// moves next, and when a schedule without a cycle has expired. Pure date
// arithmetic over a schedule's timing values: nothing here reads the store
// or shows anything.
//
// Moments are compared as whole seconds (the tick moment T always lies on
// a minute), so that no rounding of the date-time double can decide a
// strict or non-strict comparison.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/datetime.h"

namespace pw::sched {

// How a schedule's window moves after it has ended (RepeatCycleUnit).
// The order is the editor's order of the units.
enum class CycleUnit {
    Days,               // N days on
    MonthsByDate,       // N months on, the same day of the month
    MonthsByWeekday,    // N months on, the same weekday counted from the start
    MonthsByWeekdayEnd, // N months on, the same weekday counted from the end
    Years,              // N years on, the same date
    Disabled,           // no cycle: the schedule expires instead
    Unknown,            // a text the program never writes: ends but moves nothing
};
// The stored texts of the units, by CycleUnit; they are what the registry
// and the backup file hold and what the editor's list shows.
inline constexpr std::array<std::string_view, 6> kCycleUnitTexts = {"days",      "mths date", "mths dow+",
                                                                    "mths dow-", "years",     "disabled"};
CycleUnit ParseCycleUnit(std::string_view text);
// The stored text of a unit; empty for Unknown.
std::string_view CycleUnitText(CycleUnit unit);

// The timing values of one schedule record, as date-time values.
struct ScheduleTiming {
    DateTime startDate = 0;  // whole days
    DateTime startTime = 0;  // time of day
    DateTime endDate = 0;
    DateTime endTime = 0;
    DateTime repeatPeriod = 0;  // a time of day read as a duration
    std::int64_t cycleNumber = 0;
    CycleUnit cycleUnit = CycleUnit::Disabled;

    Seconds Start() const;  // start moment S
    Seconds End() const;    // end moment E
    // Repeat period P in whole minutes (hours and minutes only).
    int PeriodMinutes() const;
    // Minute of the day of the start time (hours and minutes only).
    int StartMinuteOfDay() const;
};

// The tick moment T: a date plus the time of day cut to the whole minute.
Seconds TickMoment(DateTime now);
// Today's date (whole days) of a moment.
std::int64_t DayOf(Seconds moment);

int LastDayOfMonth(int year, int month);
// Month arithmetic: (year, month) moved by n months.
std::pair<std::int64_t, int> ShiftMonths(std::int64_t year, int month, std::int64_t n);

bool IsNotStarted(const ScheduleTiming& t, std::int64_t today);
bool CycleHasEnded(const ScheduleTiming& t, Seconds tick);

// The window after one cycle, as start and end moments.
struct AdvancedWindow {
    Seconds start = 0;
    Seconds end = 0;
};
// What an advance found.
enum class Advance {
    Moved,      // the window moved; see the new moments
    Unchanged,  // a unit that moves nothing (not one of the five units)
    NoSuchDay,  // the target day does not exist: leave the schedule alone
};
struct AdvanceResult {
    Advance status = Advance::Unchanged;
    AdvancedWindow window;
};
// Moves the window by one cycle. A target outside the years 1 to 9999 is
// reported as NoSuchDay, like a weekday the target month lacks.
AdvanceResult AdvanceCycle(const ScheduleTiming& t);

// The expiry test of automatic deletion (the caller checks that automatic
// deletion is switched on).
bool IsExpired(const ScheduleTiming& t, Seconds tick, std::int64_t delSchedDays);
bool IsDue(const ScheduleTiming& t, Seconds tick);

// A timing whose dates and times are those of an advanced window.
ScheduleTiming WithWindow(ScheduleTiming t, const AdvancedWindow& w);

// The minutes of a span at which IsDue holds for one window: how many, and
// the last of them. Worked out from the rules, not by trying each minute.
struct DueMoments {
    std::int64_t count = 0;
    Seconds last = 0;
    void Add(const DueMoments& later);
};
// The due minutes from `from` up to, not including, `to` (both on minutes).
DueMoments DueBetween(const ScheduleTiming& t, Seconds from, Seconds to);

// What a schedule would have done had a pass run in every minute from
// `from` up to the tick moment: its due minutes, with the window moving on
// by as many cycles as the span held, and the window in force at the tick
// (its cycle advanced there too, as a pass advances it).
struct MissedSpan {
    DueMoments due;
    ScheduleTiming window;
    bool moved = false;
    bool noSuchDay = false;  // an advance found no such day: leave it alone
};
MissedSpan WalkMissedSpan(const ScheduleTiming& t, Seconds from, Seconds tick);

}  // namespace pw::sched
