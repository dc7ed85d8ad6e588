#pragma once
// The event log's two commands, as the windows call them: "Trim now" on the
// Housekeeping page and "Log file" in the clock window's menu.

#include "common/services.h"
#include "config/global_settings.h"
#include "log/log.h"

namespace pw::app {

inline constexpr const char* kTrimFailedNotice = "The log file could not be trimmed.";

// Trims with the current TrimLogDays, then beeps and says "Log file
// trimmed.", whether or not anything went and also without a log file;
// only a trim that failed (the log locked, say) says so instead.
void butTrimLogClick(log::EventLog& log, const cfg::GlobalSettings& settings, Sound& sound, MessageBoxes& boxes);

// Opens the log in its viewer; without a log file, beeps and says "Log file
// not found". A viewer that fails to start is not reported.
void mnuLogFileClick(log::EventLog& log, Shell& shell, Sound& sound, MessageBoxes& boxes);

}  // namespace pw::app
