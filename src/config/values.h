#pragma once
// Every stored value of the program, declared once, with its kind and
// default. Readers and writers take the name and the default from here;
// no default is written anywhere else.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "common/text.h"
#include "common/version.h"

namespace pw::cfg {

// Keys below the current user's root.
inline constexpr std::string_view kMakerKey = "Software\\Corvane Software\\";
inline constexpr std::string_view kSettingsKey = Joined<kMakerKey, kAppTitle>;
inline constexpr std::string_view kSchedulesSubkey = "\\Schedules";
inline constexpr std::string_view kSchedulesKey = Joined<kSettingsKey, kSchedulesSubkey>;
// Reminders put off from the reminder window, one value each (sched/snooze.h).
inline constexpr std::string_view kSnoozedSubkey = "\\Snoozed";
inline constexpr std::string_view kSnoozedKey = Joined<kSettingsKey, kSnoozedSubkey>;
// Name of the start-with-Windows entry in the Run key (common/store_access.h).
inline constexpr std::string_view kRunEntry = kAppTitle;

// The key of one schedule record.
std::string ScheduleKey(std::string_view scheduleName);

// Kinds of values. Flags and integers are stored as 32-bit integers,
// everything else as text.
struct FlagValue {
    std::string_view name;
    bool def;
};
struct IntValue {
    std::string_view name;
    std::int32_t def;
    std::int32_t min;  // range offered by the settings dialog
    std::int32_t max;
};
// A colour number (see common/colour.h), stored as a 32-bit integer.
struct ColourValue {
    std::string_view name;
    std::uint32_t def;
};
struct TextValue {
    std::string_view name;
    std::string_view def;
};
// A text whose default is the program folder followed by a fixed text.
struct FolderValue {
    std::string_view name;
    std::string_view defSuffix;
};
// A date text; missing, it stands for today plus defDays at the moment of
// reading.
struct DateValue {
    std::string_view name;
    int defDays;
};
// A time text; missing, its default is the literal text def.
struct TimeValue {
    std::string_view name;
    std::string_view def;
};
// A date-time text; missing, its default is the literal text def ("0" is
// the date-time value 0, which stands for never).
struct DateTimeValue {
    std::string_view name;
    std::string_view def;
};

using AnyValue = std::variant<FlagValue, IntValue, ColourValue, TextValue, FolderValue, DateValue, TimeValue, DateTimeValue>;

// The default time server list: one public NTP server host name.
inline constexpr std::string_view kDefaultTimeServer = "pool.ntp.org";

// Global values, in the settings key, each declared once here: the
// constants below, the table kGlobalValues and the clock window's
// in-memory GlobalSettings (config/global_settings.h) are all made from
// this list. LIVE values have a field in GlobalSettings, loaded in this
// order at start-up; STORED values are read where they are used.
//   X(kind, name, default [, min, max])
#define PW_GLOBAL_VALUES(LIVE, STORED)                                \
    LIVE(FlagValue, ampmFormat, false)                                \
    LIVE(TextValue, ClockDateFormat, "default")                       \
    LIVE(FlagValue, SystemBeep, true)                                 \
    LIVE(FlagValue, GlobalSoundEnabled, false)                        \
    LIVE(TextValue, GlobalSoundName, "")                              \
    LIVE(IntValue, MsgDisplayTime, 50, 0, 9999)                       \
    LIVE(IntValue, ReminderFontSize, 19, 10, 25)                      \
    LIVE(ColourValue, ReminderBackground, 0xFF00000Fu)                \
    LIVE(ColourValue, ReminderTextColor, 0xFF0000u)                   \
    LIVE(TextValue, TimeServers, kDefaultTimeServer)                  \
    LIVE(FlagValue, AutoSynchTime, false)                             \
    LIVE(IntValue, AutoSynchInterval, 0, 0, 9999)                     \
    LIVE(DateTimeValue, LastSynchTime, "0")                           \
    LIVE(FlagValue, AutoTrimLog, false)                               \
    LIVE(FlagValue, AutoDelSched, false)                              \
    LIVE(IntValue, TrimLogDays, 30, 0, 9999)                          \
    LIVE(IntValue, DelSchedDays, 30, 0, 9999)                         \
    LIVE(FlagValue, LogLaunches, false)                               \
    LIVE(FlagValue, LogReminders, false)                              \
    LIVE(FlagValue, LogNetTime, false)                                \
    STORED(FlagValue, AlwaysOnTop, true)                              \
    STORED(FlagValue, StartMinimized, false)                          \
    STORED(FlagValue, LaunchAtWinStart, false)                        \
    LIVE(IntValue, MaxCorrection, 60, 0, 9999999)                     \
    STORED(FolderValue, BackupDir, "backup")                          \
    STORED(IntValue, LastSchedule, 0, 0, 0x7FFFFFFF)                  \
    STORED(IntValue, SnoozeMinutes, 10, 1, 1440)                      \
    STORED(IntValue, Top, 0, -0x7FFFFFFF - 1, 0x7FFFFFFF)             \
    STORED(IntValue, Left, 0, -0x7FFFFFFF - 1, 0x7FFFFFFF)                \
    STORED(TextValue, UpdateServer, "www.corvane.com")  /* host[:port] of the version list */

namespace global {
#define PW_DECLARE_VALUE(Kind, Name, ...) inline constexpr Kind Name{#Name, __VA_ARGS__};
PW_GLOBAL_VALUES(PW_DECLARE_VALUE, PW_DECLARE_VALUE)
#undef PW_DECLARE_VALUE
}  // namespace global

// Values of one schedule record, in its own key below the schedules key.
namespace schedule {
inline constexpr IntValue ScheduleType{"ScheduleType", 1, 0, 1};
inline constexpr TextValue Message{"Message", ""};
inline constexpr TextValue WorkingDir{"WorkingDir", ""};
inline constexpr TextValue WindowState{"WindowState", "normal"};
inline constexpr FlagValue ScheduleSound{"ScheduleSound", false};
inline constexpr TextValue SoundName{"SoundName", ""};
inline constexpr DateValue StartDate{"StartDate", 0};
inline constexpr TimeValue StartTime{"StartTime", "00:00:00"};
inline constexpr DateValue EndDate{"EndDate", 1};
inline constexpr TimeValue EndTime{"EndTime", "00:00:00"};
inline constexpr TimeValue RepeatPeriod{"RepeatPeriod", "01:00:00"};
inline constexpr IntValue RepeatCycleNumber{"RepeatCycleNumber", 0, 0, 99999999};
inline constexpr TextValue RepeatCycleUnit{"RepeatCycleUnit", "disabled"};
}  // namespace schedule

// ScheduleType values.
inline constexpr std::int32_t kTypeLaunch = 0;
inline constexpr std::int32_t kTypeReminder = 1;

// The window states, in the order the editor offers them.
inline constexpr std::array<std::string_view, 4> kWindowStates = {"normal", "minimized", "maximized", "hidden"};

// The whole tables, for code that goes over every value (tests, backup).
#define PW_LIST_VALUE(Kind, Name, ...) global::Name,
inline constexpr AnyValue kGlobalValues[] = {PW_GLOBAL_VALUES(PW_LIST_VALUE, PW_LIST_VALUE)};
#undef PW_LIST_VALUE

inline constexpr std::array<AnyValue, 13> kScheduleValues = {
    schedule::ScheduleType, schedule::Message, schedule::WorkingDir, schedule::WindowState, schedule::ScheduleSound,
    schedule::SoundName, schedule::StartDate, schedule::StartTime, schedule::EndDate, schedule::EndTime,
    schedule::RepeatPeriod, schedule::RepeatCycleNumber, schedule::RepeatCycleUnit,
};

std::string_view NameOf(const AnyValue& v);

}  // namespace pw::cfg
