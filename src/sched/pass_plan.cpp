#include "sched/pass_plan.h"

#include <algorithm>

namespace pw::sched {

PassPlan PassMemory::Plan(Seconds wall, Seconds utc) {
    PassPlan plan{wall, true};
    // Real time (UTC) that went back by more than the look-back means the
    // clock had run far ahead and was corrected: the minutes handled up
    // there were never lived, and keeping them would silence every schedule
    // until the clock got back to them. Daylight saving time and a change
    // of time zone move only the wall time and keep their protection.
    const bool afresh = !last_ || utc < last_->utc - kMissedLookBack;
    if (afresh) {
        handled_ = wall;
    } else if (wall <= handled_) {
        plan.fireDue = false;
    } else {
        plan.missedFrom = std::max(handled_ + kSecondsPerMinute, wall - kMissedLookBack);
        handled_ = wall;
    }
    last_ = Minute{wall, utc};
    return plan;
}

}  // namespace pw::sched
