#pragma once
// The clock window's in-memory copy of the global values that take effect
// at once when the settings dialog changes them. Fields start at the
// table's defaults.

#include <cstdint>
#include <string>

#include "common/datetime.h"
#include "common/locale.h"
#include "common/store.h"
#include "config/values.h"

namespace pw::cfg {

struct GlobalSettings {
    bool ampmFormat = global::ampmFormat.def;
    std::string ClockDateFormat{global::ClockDateFormat.def};
    bool SystemBeep = global::SystemBeep.def;
    bool GlobalSoundEnabled = global::GlobalSoundEnabled.def;
    std::string GlobalSoundName{global::GlobalSoundName.def};
    std::int32_t MsgDisplayTime = global::MsgDisplayTime.def;
    std::int32_t ReminderFontSize = global::ReminderFontSize.def;
    std::uint32_t ReminderBackground = global::ReminderBackground.def;
    std::uint32_t ReminderTextColor = global::ReminderTextColor.def;
    std::string TimeServers{global::TimeServers.def};
    bool AutoSynchTime = global::AutoSynchTime.def;
    std::int32_t AutoSynchInterval = global::AutoSynchInterval.def;
    // Date-time value of the last correction; 0 stands for never.
    DateTime LastSynchTime = 0;
    bool AutoTrimLog = global::AutoTrimLog.def;
    bool AutoDelSched = global::AutoDelSched.def;
    std::int32_t TrimLogDays = global::TrimLogDays.def;
    std::int32_t DelSchedDays = global::DelSchedDays.def;
    bool LogLaunches = global::LogLaunches.def;
    bool LogReminders = global::LogReminders.def;
    bool LogNetTime = global::LogNetTime.def;

    bool AnyLogSwitch() const { return LogLaunches || LogReminders || LogNetTime; }
};

// Loads every field from the settings key, in the order the clock window
// reads them; LastSynchTime's text is read in the locale. A value of the
// wrong type raises StoreError and a LastSynchTime text that does not
// parse ConvertError; the fields read before it keep their new contents.
void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& settings);

}  // namespace pw::cfg
