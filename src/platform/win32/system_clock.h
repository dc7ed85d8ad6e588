#pragma once
// The Windows system clock and the connection state the net time
// synchronization asks about.

#include "common/clock.h"

struct _SYSTEMTIME;

namespace pw::win {

class SystemClock : public Clock {
public:
    DateTime Now() override;
    DateTime UtcNow() override;
    Reading LocalAndUtc() override;
    // Enables the right to change the system time when the process may,
    // then sets the clock. False when Windows refuses.
    ClockSet SetUtc(DateTime utc) override;
    int ZoneBiasMinutes() override;
};

// Calendar conversions to the millisecond. ToSystemTime is false for a
// value outside 1601..9999.
DateTime FromSystemTime(const _SYSTEMTIME& st);
bool ToSystemTime(DateTime value, _SYSTEMTIME& out);

// Whether Windows reports a working Internet connection of any kind.
bool IsInternetConnected();

}  // namespace pw::win
