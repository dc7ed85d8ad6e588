#include "config/global_settings.h"

#include "config/date_values.h"
#include "config/value_access.h"

namespace pw::cfg {

namespace {

// Runs one read; an error goes to the handler and leaves the field alone.
template <class Read>
void Guarded(const LoadErrorHandler& onError, Read&& read) {
    try {
        read();
    } catch (const AppError& e) {
        onError(e);
    }
}

}  // namespace

void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& s) {
    LoadGlobalSettings(store, loc, s, [](const AppError&) { throw; });
}

void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& s, const LoadErrorHandler& onError) {
    const auto key = kSettingsKey;
    Guarded(onError, [&] { s.ampmFormat = Read(store, key, global::ampmFormat); });
    Guarded(onError, [&] { s.ClockDateFormat = Read(store, key, global::ClockDateFormat); });
    Guarded(onError, [&] { s.SystemBeep = Read(store, key, global::SystemBeep); });
    Guarded(onError, [&] { s.GlobalSoundEnabled = Read(store, key, global::GlobalSoundEnabled); });
    Guarded(onError, [&] { s.GlobalSoundName = Read(store, key, global::GlobalSoundName); });
    Guarded(onError, [&] { s.MsgDisplayTime = Read(store, key, global::MsgDisplayTime); });
    Guarded(onError, [&] { s.ReminderFontSize = Read(store, key, global::ReminderFontSize); });
    Guarded(onError, [&] { s.ReminderBackground = Read(store, key, global::ReminderBackground); });
    Guarded(onError, [&] { s.ReminderTextColor = Read(store, key, global::ReminderTextColor); });
    Guarded(onError, [&] { s.TimeServers = Read(store, key, global::TimeServers); });
    Guarded(onError, [&] { s.AutoSynchTime = Read(store, key, global::AutoSynchTime); });
    Guarded(onError, [&] { s.AutoSynchInterval = Read(store, key, global::AutoSynchInterval); });
    Guarded(onError, [&] { s.LastSynchTime = ReadDateTime(store, key, global::LastSynchTime, loc); });
    Guarded(onError, [&] { s.AutoTrimLog = Read(store, key, global::AutoTrimLog); });
    Guarded(onError, [&] { s.AutoDelSched = Read(store, key, global::AutoDelSched); });
    Guarded(onError, [&] { s.TrimLogDays = Read(store, key, global::TrimLogDays); });
    // A day count below 0 would delete schedules before they end.
    Guarded(onError, [&] { s.DelSchedDays = Clamp(global::DelSchedDays, Read(store, key, global::DelSchedDays)); });
    Guarded(onError, [&] { s.LogLaunches = Read(store, key, global::LogLaunches); });
    Guarded(onError, [&] { s.LogReminders = Read(store, key, global::LogReminders); });
    Guarded(onError, [&] { s.LogNetTime = Read(store, key, global::LogNetTime); });
}

}  // namespace pw::cfg
