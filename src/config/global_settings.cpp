#include "config/global_settings.h"

#include "config/date_values.h"
#include "config/value_access.h"

namespace pw::cfg {

void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& s) {
    const auto key = kSettingsKey;
    s.ampmFormat = Read(store, key, global::ampmFormat);
    s.ClockDateFormat = Read(store, key, global::ClockDateFormat);
    s.SystemBeep = Read(store, key, global::SystemBeep);
    s.GlobalSoundEnabled = Read(store, key, global::GlobalSoundEnabled);
    s.GlobalSoundName = Read(store, key, global::GlobalSoundName);
    s.MsgDisplayTime = Read(store, key, global::MsgDisplayTime);
    s.ReminderFontSize = Read(store, key, global::ReminderFontSize);
    s.ReminderBackground = Read(store, key, global::ReminderBackground);
    s.ReminderTextColor = Read(store, key, global::ReminderTextColor);
    s.TimeServers = Read(store, key, global::TimeServers);
    s.AutoSynchTime = Read(store, key, global::AutoSynchTime);
    s.AutoSynchInterval = Read(store, key, global::AutoSynchInterval);
    s.LastSynchTime = ReadDateTime(store, key, global::LastSynchTime, loc);
    s.AutoTrimLog = Read(store, key, global::AutoTrimLog);
    s.AutoDelSched = Read(store, key, global::AutoDelSched);
    s.TrimLogDays = Read(store, key, global::TrimLogDays);
    s.DelSchedDays = Read(store, key, global::DelSchedDays);
    s.LogLaunches = Read(store, key, global::LogLaunches);
    s.LogReminders = Read(store, key, global::LogReminders);
    s.LogNetTime = Read(store, key, global::LogNetTime);
}

}  // namespace pw::cfg
