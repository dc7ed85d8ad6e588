#pragma once
// The system clock. The program reads local time for scheduling and the
// log, UTC for network time, and may set the clock from UTC. Tests inject
// their own clock, so nothing under test can change the machine's time.

#include "common/datetime.h"

namespace pw {

// What became of an attempt to set the clock.
enum class ClockSet {
    Done,
    // The program lacks the right to change the system time: on Windows a
    // standard user, and an administrator whose program is not elevated.
    NoRight,
    // Refused for any other reason (a time the system cannot hold).
    Failed,
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time, to the millisecond.
    virtual DateTime Now() = 0;
    // UTC, to the millisecond.
    virtual DateTime UtcNow() = 0;
    // Both from one reading, so that a minute boundary cannot fall between
    // them.
    struct Reading {
        DateTime local = 0;
        DateTime utc = 0;
    };
    virtual Reading LocalAndUtc() { return {Now(), UtcNow()}; }
    // Sets the system clock (UTC) to the millisecond.
    virtual ClockSet SetUtc(DateTime utc) = 0;
    // Minutes to add to local time to get UTC for the period in force.
    virtual int ZoneBiasMinutes() = 0;
};

}  // namespace pw
