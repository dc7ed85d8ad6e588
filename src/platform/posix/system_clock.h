#pragma once
// The machine's clock for native tools and tests: it reads the real time
// but never sets it.

#include "common/clock.h"

namespace pw::posix {

class SystemClock : public Clock {
public:
    DateTime Now() override;
    DateTime UtcNow() override;
    Reading LocalAndUtc() override;
    // Always refused, as to a user without the right: nothing native may
    // change this machine's clock.
    ClockSet SetUtc(DateTime utc) override;
    int ZoneBiasMinutes() override;
};

}  // namespace pw::posix
