#pragma once
// The sound that comes with a due reminder: the schedule's own wave file,
// else the global one, else the system beep, else silence.

#include <string_view>

#include "common/services.h"
#include "config/global_settings.h"

namespace pw::sched {

void SoundReminderAlert(Sound& sound, const cfg::GlobalSettings& g, bool scheduleSound, std::string_view soundName);

}  // namespace pw::sched
