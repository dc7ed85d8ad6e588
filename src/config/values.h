#pragma once
// Every stored value of the program, declared once, with its kind and
// default. Readers and writers take the name and the default from here;
// no default is written anywhere else.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace pw::cfg {

// Keys below the current user's root.
inline constexpr std::string_view kSettingsKey = "Software\\Corvane Software\\Plenwick";
inline constexpr std::string_view kSchedulesKey = "Software\\Corvane Software\\Plenwick\\Schedules";
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Name of the start-with-Windows entry in the Run key.
inline constexpr std::string_view kRunEntry = "Plenwick";

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

// Global values, in the settings key.
namespace global {
inline constexpr FlagValue AlwaysOnTop{"AlwaysOnTop", true};
inline constexpr FlagValue StartMinimized{"StartMinimized", false};
inline constexpr FlagValue LaunchAtWinStart{"LaunchAtWinStart", false};
inline constexpr FlagValue LogReminders{"LogReminders", false};
inline constexpr FlagValue LogLaunches{"LogLaunches", false};
inline constexpr FlagValue LogNetTime{"LogNetTime", false};
inline constexpr FlagValue SystemBeep{"SystemBeep", true};
inline constexpr FlagValue GlobalSoundEnabled{"GlobalSoundEnabled", false};
inline constexpr TextValue GlobalSoundName{"GlobalSoundName", ""};
inline constexpr IntValue MsgDisplayTime{"MsgDisplayTime", 50, 0, 9999};
inline constexpr IntValue ReminderFontSize{"ReminderFontSize", 19, 10, 25};
inline constexpr ColourValue ReminderBackground{"ReminderBackground", 0xFF00000Fu};
inline constexpr ColourValue ReminderTextColor{"ReminderTextColor", 0xFF0000u};
inline constexpr TextValue ClockDateFormat{"ClockDateFormat", "default"};
inline constexpr FlagValue ampmFormat{"ampmFormat", false};
inline constexpr TextValue TimeServers{"TimeServers", kDefaultTimeServer};
inline constexpr TextValue UpdateServer{"UpdateServer", "www.corvane.com"};  // host[:port] of the version list
inline constexpr FlagValue AutoSynchTime{"AutoSynchTime", false};
inline constexpr IntValue AutoSynchInterval{"AutoSynchInterval", 0, 0, 9999};
inline constexpr IntValue MaxCorrection{"MaxCorrection", 60, 0, 9999999};
inline constexpr DateTimeValue LastSynchTime{"LastSynchTime", "0"};
inline constexpr FlagValue AutoTrimLog{"AutoTrimLog", false};
inline constexpr IntValue TrimLogDays{"TrimLogDays", 30, 0, 9999};
inline constexpr FlagValue AutoDelSched{"AutoDelSched", false};
inline constexpr IntValue DelSchedDays{"DelSchedDays", 30, 0, 9999};
inline constexpr FolderValue BackupDir{"BackupDir", "backup"};
inline constexpr IntValue LastSchedule{"LastSchedule", 0, 0, 0x7FFFFFFF};
inline constexpr IntValue Top{"Top", 0, -0x7FFFFFFF - 1, 0x7FFFFFFF};
inline constexpr IntValue Left{"Left", 0, -0x7FFFFFFF - 1, 0x7FFFFFFF};
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

// The cycle units, in the order the editor offers them.
inline constexpr std::array<std::string_view, 6> kCycleUnits = {"days", "mths date", "mths dow+", "mths dow-", "years", "disabled"};
// The window states, in the order the editor offers them.
inline constexpr std::array<std::string_view, 4> kWindowStates = {"normal", "minimized", "maximized", "hidden"};

// The whole tables, for code that goes over every value (tests, backup).
inline constexpr std::array<AnyValue, 28> kGlobalValues = {
    global::AlwaysOnTop, global::StartMinimized, global::LaunchAtWinStart, global::LogReminders,
    global::LogLaunches, global::LogNetTime, global::SystemBeep, global::GlobalSoundEnabled,
    global::GlobalSoundName, global::MsgDisplayTime, global::ReminderFontSize, global::ReminderBackground,
    global::ReminderTextColor, global::ClockDateFormat, global::ampmFormat, global::TimeServers,
    global::AutoSynchTime, global::AutoSynchInterval, global::MaxCorrection, global::LastSynchTime,
    global::AutoTrimLog, global::TrimLogDays, global::AutoDelSched, global::DelSchedDays,
    global::BackupDir, global::LastSchedule, global::Top, global::Left,
};

inline constexpr std::array<AnyValue, 13> kScheduleValues = {
    schedule::ScheduleType, schedule::Message, schedule::WorkingDir, schedule::WindowState, schedule::ScheduleSound,
    schedule::SoundName, schedule::StartDate, schedule::StartTime, schedule::EndDate, schedule::EndTime,
    schedule::RepeatPeriod, schedule::RepeatCycleNumber, schedule::RepeatCycleUnit,
};

std::string_view NameOf(const AnyValue& v);

}  // namespace pw::cfg
