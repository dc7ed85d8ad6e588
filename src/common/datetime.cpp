#include "common/datetime.h"

#include <chrono>
#include <cmath>

#include "common/errors.h"

namespace pw {

namespace {

using namespace std::chrono;

constexpr sys_days kOrigin{year{1899} / December / 30};
constexpr std::int64_t kMsPerDay = kSecondsPerDay * 1000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Milliseconds since the origin, rounded to the nearest. Only called for
// values inside the guard band, where the product stays far from the
// limits of both the double and the integer.
std::int64_t RoundedMs(DateTime value) { return std::llround(value * double(kMsPerDay)); }

// A value can be decoded when, rounded to the millisecond, it falls on a
// day from 1 January 1 to 31 December 9999.
bool InGuardBand(DateTime value) {
    return std::isfinite(value) && value > double(kMinDay) - 2 && value < double(kMaxDay) + 2;
}

}  // namespace

bool IsLeapYear(int y) { return year{y}.is_leap(); }

int DaysInMonth(int y, int m) {
    if (m < 1 || m > 12) return 0;
    return static_cast<int>(unsigned(year_month_day_last{year{y} / month{unsigned(m)} / last}.day()));
}

bool IsValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

std::int64_t DaysFromCivil(const CivilDate& d) {
    const sys_days day{year{d.year} / month{unsigned(d.month)} / std::chrono::day{unsigned(d.day)}};
    return (day - kOrigin).count();
}

CivilDate CivilFromDays(std::int64_t days) {
    // Outside the valid range the calendar types would wrap their year;
    // the zero date tells the caller instead.
    if (days < kMinDay || days > kMaxDay) return CivilDate{0, 0, 0};
    const year_month_day ymd{kOrigin + std::chrono::days{days}};
    return CivilDate{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

bool TryEncodeDate(int y, int m, int d, DateTime& out) {
    if (!IsValidDate(y, m, d)) return false;
    out = double(DaysFromCivil(CivilDate{y, m, d}));
    return true;
}

bool TryEncodeTime(int h, int n, int s, int ms, DateTime& out) {
    if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999) return false;
    out = double(((h * 60 + n) * 60 + s) * 1000 + ms) / double(kMsPerDay);
    return true;
}

DateTime EncodeDate(int y, int m, int d) {
    DateTime v;
    if (!TryEncodeDate(y, m, d, v)) throw ConvertError("Invalid argument to date encode");
    return v;
}

DateTime EncodeTime(int h, int n, int s, int ms) {
    DateTime v;
    if (!TryEncodeTime(h, n, s, ms, v)) throw ConvertError("Invalid argument to time encode");
    return v;
}

bool IsValidDateTime(DateTime value) {
    if (!InGuardBand(value)) return false;
    const std::int64_t day = FloorDiv(RoundedMs(value), kMsPerDay);
    return day >= kMinDay && day <= kMaxDay;
}

void DecodeDateTime(DateTime value, CivilDate& date, CivilTime& time) {
    if (!IsValidDateTime(value)) {
        date = CivilDate{0, 0, 0};
        time = CivilTime{};
        return;
    }
    const std::int64_t ms = RoundedMs(value);
    const std::int64_t day = FloorDiv(ms, kMsPerDay);
    const auto ofDay = static_cast<int>(ms - day * kMsPerDay);
    date = CivilFromDays(day);
    time = CivilTime{ofDay / 3600000, ofDay / 60000 % 60, ofDay / 1000 % 60, ofDay % 1000};
}

CivilDate DecodeDate(DateTime value) {
    CivilDate d;
    CivilTime t;
    DecodeDateTime(value, d, t);
    return d;
}

CivilTime DecodeTime(DateTime value) {
    CivilDate d;
    CivilTime t;
    DecodeDateTime(value, d, t);
    return t;
}

int DayOfWeek(DateTime value) {
    if (!IsValidDateTime(value)) return 0;
    const std::int64_t day = FloorDiv(RoundedMs(value), kMsPerDay);
    return int(weekday{kOrigin + std::chrono::days{day}}.c_encoding()) + 1;
}

DateTime DateOf(DateTime value) {
    if (!std::isfinite(value)) return value;
    if (!InGuardBand(value)) return std::floor(value);
    // Rounded like DecodeDateTime, so that a value a hair before midnight
    // belongs to the day its text shows.
    return double(FloorDiv(RoundedMs(value), kMsPerDay));
}

DateTime TimeOf(DateTime value) {
    if (!std::isfinite(value)) return 0;
    if (!InGuardBand(value)) return value - std::floor(value);
    const std::int64_t ms = RoundedMs(value);
    return double(ms - FloorDiv(ms, kMsPerDay) * kMsPerDay) / double(kMsPerDay);
}

Seconds ToSeconds(DateTime value) {
    if (std::isnan(value)) return 0;
    // Far beyond any valid date; keeps the conversion defined.
    constexpr double kLimit = 1e12;
    if (value > kLimit) value = kLimit;
    if (value < -kLimit) value = -kLimit;
    return std::llround(value * double(kSecondsPerDay));
}

DateTime FromSeconds(Seconds s) {
    // Whole days and the second of the day apart: the day count is exact
    // and the fraction is the nearest double to the second of the day.
    const std::int64_t day = FloorDiv(s, kSecondsPerDay);
    return double(day) + double(s - day * kSecondsPerDay) / double(kSecondsPerDay);
}

Seconds TruncateToMinute(Seconds s) { return FloorDiv(s, kSecondsPerMinute) * kSecondsPerMinute; }

}  // namespace pw
