#include "platform/posix/system_clock.h"

#include <time.h>

namespace pw::posix {

namespace {

// 1 January 1970 as a date-time value.
constexpr DateTime kUnixEpoch = 25569.0;

struct Sample {
    long long utcMs;
    long gmtOffsetSeconds;
};

Sample Read() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    // To the nearest millisecond: readings taken to measure an interval
    // then err both ways instead of always early.
    return Sample{static_cast<long long>(ts.tv_sec) * 1000 + (ts.tv_nsec + 500000) / 1000000, local.tm_gmtoff};
}

DateTime FromMs(long long ms) { return static_cast<double>(ms) / 86400000.0 + kUnixEpoch; }

}  // namespace

DateTime SystemClock::Now() { return LocalAndUtc().local; }

DateTime SystemClock::UtcNow() { return FromMs(Read().utcMs); }

Clock::Reading SystemClock::LocalAndUtc() {
    const Sample r = Read();
    return {FromMs(r.utcMs + static_cast<long long>(r.gmtOffsetSeconds) * 1000), FromMs(r.utcMs)};
}

ClockSet SystemClock::SetUtc(DateTime) { return ClockSet::NoRight; }

int SystemClock::ZoneBiasMinutes() { return static_cast<int>(-Read().gmtOffsetSeconds / 60); }

}  // namespace pw::posix
