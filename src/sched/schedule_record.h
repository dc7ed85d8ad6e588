#pragma once
// One schedule record as the engine reads it: the timing values first (all
// a pass needs for most schedules), the action values only for a schedule
// that falls due. Both come through one open key per schedule.

#include <cstdint>
#include <string>

#include "common/datetime.h"
#include "common/locale.h"
#include "common/store_access.h"
#include "sched/recurrence.h"

namespace pw::sched {

struct ScheduleAction {
    std::int32_t type = 1;  // 1 shows a reminder; any other value launches Message
    std::string message;
    std::string workingDir;
    std::string windowState;
    bool scheduleSound = false;
    std::string soundName;
};

// Only the start date: a schedule that has not started needs nothing else,
// and most schedules wait for a later day.
DateTime ReadStartDate(KeyReader& key, const Locale& loc, std::int64_t today);
// The other timing values, given the start date already read.
ScheduleTiming ReadTimingAfterStart(KeyReader& key, const Locale& loc, std::int64_t today, DateTime startDate);
ScheduleAction ReadAction(KeyReader& key);

}  // namespace pw::sched
