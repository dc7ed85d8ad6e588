#pragma once
// What the tick remembers between passes, so that a reminder's minute is
// neither lost nor fired twice when the clock does not simply move on by a
// minute: the computer slept, the thread was blocked, the clock was put
// forward or back, daylight saving time began or ended. Minutes count on
// local wall time, as schedules do: the hour that spring skips is a gap,
// the hour that autumn repeats has been handled already.

#include <optional>

#include "common/datetime.h"

namespace pw::sched {

// How far back a pass looks for minutes that passed without one.
inline constexpr Seconds kMissedLookBack = 7 * kSecondsPerDay;

// The pass of one minute, besides that minute itself.
struct PassPlan {
    // The minutes from here up to the pass's own passed without a pass;
    // equal to the pass's minute when none did.
    Seconds missedFrom = 0;
    // False when the clock went back to a minute already handled: what is
    // due in it has fired once in this run.
    bool fireDue = true;
};

class PassMemory {
public:
    // Whether a pass has run in this run of the program, and its minute.
    bool HasRun() const { return last_.has_value(); }
    Seconds LastWall() const { return last_ ? last_->wall : 0; }

    // Plans the pass of the minute `wall` (local time), read together with
    // `utc`, and remembers it. The first pass of a run has no gap before it.
    PassPlan Plan(Seconds wall, Seconds utc);

private:
    struct Minute {
        Seconds wall;
        Seconds utc;
    };
    std::optional<Minute> last_;
    // The latest wall minute whose due moments have been handled; after the
    // clock is set back it stays ahead of the last pass.
    Seconds handled_ = 0;
};

}  // namespace pw::sched
