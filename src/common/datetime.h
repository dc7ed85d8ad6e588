#pragma once
// Date-time values: a count of days since 30 December 1899 00:00, the
// fraction being the time of day (0.5 = noon). Dates, times of day and
// periods (a time of day read as a duration) all use it. The calendar is
// the proleptic Gregorian one; valid dates run from 1 January 1 to
// 31 December 9999.
//
// Scheduling compares moments to the second, so moments are also held as
// whole seconds since the same origin (Seconds); conversions from a
// date-time value round to the nearest second, which removes the rounding
// error of the double.

#include <cstdint>

namespace pw {

using DateTime = double;
using Seconds = std::int64_t;

inline constexpr Seconds kSecondsPerDay = 86400;
inline constexpr Seconds kSecondsPerMinute = 60;

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    bool operator==(const CivilDate&) const = default;
};

struct CivilTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool operator==(const CivilTime&) const = default;
};

bool IsLeapYear(int year);
// 28 to 31; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Whole days from 30 December 1899 to the date. The date must be valid.
std::int64_t DaysFromCivil(const CivilDate& d);
CivilDate CivilFromDays(std::int64_t days);

// False (and out untouched) for an invalid date or time.
bool TryEncodeDate(int year, int month, int day, DateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, DateTime& out);
// Raise ConvertError "Invalid argument to date encode" / "... time encode".
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second, int millisecond);

// The calendar date and the time of day of a value, the time rounded to
// the nearest millisecond (23:59:59.9996 becomes the next day 00:00:00.000).
void DecodeDateTime(DateTime value, CivilDate& date, CivilTime& time);
CivilDate DecodeDate(DateTime value);
CivilTime DecodeTime(DateTime value);

// Day of the week: 1 = Sunday ... 7 = Saturday.
int DayOfWeek(DateTime value);

// The whole-day part and the time-of-day part.
DateTime DateOf(DateTime value);
DateTime TimeOf(DateTime value);

// Moments as whole seconds.
Seconds ToSeconds(DateTime value);
DateTime FromSeconds(Seconds s);
// Cuts a moment down to its whole minute.
Seconds TruncateToMinute(Seconds s);

}  // namespace pw
