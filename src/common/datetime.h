#pragma once
// Date-time values: a count of days since 30 December 1899 00:00, the
// fraction being the time of day (0.5 = noon). Dates, times of day and
// periods (a time of day read as a duration) all use it. The calendar is
// the proleptic Gregorian one; valid dates run from 1 January 1 to
// 31 December 9999.
//
// Values before the origin count backwards like any other number: the
// date is the whole day at or below the value and the time of day is what
// lies above it, so -0.75 is 29 December 1899 06:00 and date + time always
// gives the moment back.
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
// The day numbers of 1 January 1 and 31 December 9999.
inline constexpr std::int64_t kMinDay = -693593;
inline constexpr std::int64_t kMaxDay = 2958465;

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
// The date of a day number; the zero date {0, 0, 0} for a day outside
// kMinDay..kMaxDay.
CivilDate CivilFromDays(std::int64_t days);

// False (and out untouched) for an invalid date or time.
bool TryEncodeDate(int year, int month, int day, DateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, DateTime& out);
// Raise ConvertError "Invalid argument to date encode" / "... time encode".
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second, int millisecond);

// True for a finite value that, rounded to the millisecond, lies from
// 1 January 1 00:00 to 31 December 9999 23:59:59.999.
bool IsValidDateTime(DateTime value);

// The calendar date and the time of day of a value, the time rounded to
// the nearest millisecond (23:59:59.9996 becomes the next day 00:00:00.000).
// A value that is not valid decodes as the zero date and 00:00:00.000.
void DecodeDateTime(DateTime value, CivilDate& date, CivilTime& time);
CivilDate DecodeDate(DateTime value);
CivilTime DecodeTime(DateTime value);

// Day of the week: 1 = Sunday ... 7 = Saturday; 0 for a value that is not
// valid.
int DayOfWeek(DateTime value);

// The whole-day part and the time-of-day part, rounded to the millisecond
// as DecodeDateTime rounds, so DateOf(v) + TimeOf(v) is v to within half a
// millisecond and TimeOf is always below 1. TimeOf of NaN or an infinity
// is 0.
DateTime DateOf(DateTime value);
DateTime TimeOf(DateTime value);

// Moments as whole seconds. ToSeconds rounds to the nearest second and
// gives 0 for NaN (values beyond any date saturate far outside the valid
// range); FromSeconds(ToSeconds(v)) decodes to the same second.
Seconds ToSeconds(DateTime value);
DateTime FromSeconds(Seconds s);
// Cuts a moment down to its whole minute (towards the past, also before
// the origin).
Seconds TruncateToMinute(Seconds s);

}  // namespace pw
