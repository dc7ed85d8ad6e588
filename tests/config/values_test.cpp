#include "config/values.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/store_access.h"
#include "config/global_settings.h"
#include "config/value_access.h"
#include "support/fake_store.h"

namespace pw::cfg {
namespace {

// Reads any value of the table as text, the way the program would see it.
std::string ReadAny(Store& s, std::string_view key, const AnyValue& v) {
    return std::visit(
        [&](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, FlagValue>) return Read(s, key, x) ? "true" : "false";
            else if constexpr (std::is_same_v<T, IntValue>) return std::to_string(Read(s, key, x));
            else if constexpr (std::is_same_v<T, ColourValue>) return std::to_string(Read(s, key, x));
            else if constexpr (std::is_same_v<T, FolderValue>) return Read(s, key, x, "C:\\Prog\\");
            else if constexpr (std::is_same_v<T, DateValue>) return ReadRegString(s, key, x.name, "(today+" + std::to_string(x.defDays) + ")");
            else return Read(s, key, x);
        },
        v);
}

TEST(Values, NamesAreUniqueWithinEachTable) {
    for (const auto* table : {&kGlobalValues}) {
        std::set<std::string, std::less<>> seen;
        for (auto& v : *table) EXPECT_TRUE(seen.insert(std::string(NameOf(v))).second) << NameOf(v);
    }
    std::set<std::string, std::less<>> seen;
    for (auto& v : kScheduleValues) EXPECT_TRUE(seen.insert(std::string(NameOf(v))).second) << NameOf(v);
}

TEST(Values, AnEmptyStoreReadsEveryDefaultAndCreatesNothing) {
    test::TestStore s;
    const std::pair<std::string_view, std::string_view> expected[] = {
        {"AlwaysOnTop", "true"}, {"StartMinimized", "false"}, {"LaunchAtWinStart", "false"},
        {"LogReminders", "false"}, {"LogLaunches", "false"}, {"LogNetTime", "false"},
        {"SystemBeep", "true"}, {"GlobalSoundEnabled", "false"}, {"GlobalSoundName", ""},
        {"MsgDisplayTime", "50"}, {"ReminderFontSize", "19"}, {"ReminderBackground", "4278190095"},
        {"ReminderTextColor", "16711680"}, {"ClockDateFormat", "default"}, {"ampmFormat", "false"},
        {"TimeServers", kDefaultTimeServer}, {"AutoSynchTime", "false"}, {"AutoSynchInterval", "0"},
        {"MaxCorrection", "60"}, {"LastSynchTime", "0"}, {"AutoTrimLog", "false"}, {"TrimLogDays", "30"},
        {"AutoDelSched", "false"}, {"DelSchedDays", "30"}, {"BackupDir", "C:\\Prog\\backup"},
        {"LastSchedule", "0"}, {"SnoozeMinutes", "10"}, {"Top", "0"}, {"Left", "0"},
        {"UpdateServer", "www.corvane.com"},
        {"ScheduleType", "1"}, {"Message", ""}, {"WorkingDir", ""}, {"WindowState", "normal"},
        {"ScheduleSound", "false"}, {"SoundName", ""}, {"StartDate", "(today+0)"}, {"StartTime", "00:00:00"},
        {"EndDate", "(today+1)"}, {"EndTime", "00:00:00"}, {"RepeatPeriod", "01:00:00"},
        {"RepeatCycleNumber", "0"}, {"RepeatCycleUnit", "disabled"},
    };
    std::size_t checked = 0;
    auto check = [&](const AnyValue& v, std::string_view key) {
        for (auto& [name, want] : expected)
            if (name == NameOf(v)) {
                EXPECT_EQ(ReadAny(s, key, v), want) << name;
                ++checked;
                return;
            }
        ADD_FAILURE() << "no expectation for " << NameOf(v);
    };
    for (auto& v : kGlobalValues) check(v, kSettingsKey);
    for (auto& v : kScheduleValues) check(v, ScheduleKey("Schedule 1"));
    EXPECT_EQ(checked, std::size(expected));
    EXPECT_EQ(s.counts.writes, 0);
    EXPECT_FALSE(KeyExists(s, kSettingsKey));
}

TEST(Values, GlobalSettingsStartAtTheDefaultsAndLoadStoredValues) {
    test::TestStore s;
    GlobalSettings g;
    LoadGlobalSettings(s, Locale::EnUS(), g);
    EXPECT_EQ(g.MsgDisplayTime, 50);
    EXPECT_EQ(g.ReminderBackground, 0xFF00000Fu);
    EXPECT_FALSE(g.AnyLogSwitch());
    Write(s, kSettingsKey, global::MsgDisplayTime, 0);
    Write(s, kSettingsKey, global::ReminderTextColor, 255u);
    Write(s, kSettingsKey, global::LogNetTime, true);
    LoadGlobalSettings(s, Locale::EnUS(), g);
    EXPECT_EQ(g.MsgDisplayTime, 0);
    EXPECT_EQ(g.ReminderTextColor, 255u);
    EXPECT_TRUE(g.AnyLogSwitch());
}

TEST(Values, LoadingStopsAtAWrongTypeAndKeepsWhatWasRead) {
    test::TestStore s;
    Write(s, kSettingsKey, global::ampmFormat, true);
    WriteRegString(s, kSettingsKey, global::MsgDisplayTime.name, "fifty");
    Write(s, kSettingsKey, global::ReminderFontSize, 12);
    GlobalSettings g;
    EXPECT_THROW(LoadGlobalSettings(s, Locale::EnUS(), g), StoreError);
    EXPECT_TRUE(g.ampmFormat);              // read before the bad value
    EXPECT_EQ(g.ReminderFontSize, 19);      // after it: still the default
}

TEST(Values, TolerantLoadingReportsEachBadValueAndReadsTheRest) {
    test::TestStore s;
    Write(s, kSettingsKey, global::ampmFormat, true);
    WriteRegString(s, kSettingsKey, global::MsgDisplayTime.name, "fifty");
    Write(s, kSettingsKey, global::ReminderFontSize, 12);
    WriteRegString(s, kSettingsKey, global::LastSynchTime.name, "not a date");
    Write(s, kSettingsKey, global::LogReminders, true);
    GlobalSettings g;
    g.MsgDisplayTime = 7;  // a bad value leaves the field as it was
    std::vector<std::string> errors;
    LoadGlobalSettings(s, Locale::EnUS(), g, [&](const AppError& e) { errors.push_back(e.what()); });
    EXPECT_EQ(errors, (std::vector<std::string>{"Failed to get data for 'MsgDisplayTime'",
                                                "'not a date' is not a valid date and time"}));
    EXPECT_TRUE(g.ampmFormat);
    EXPECT_EQ(g.MsgDisplayTime, 7);
    EXPECT_EQ(g.ReminderFontSize, 12);
    EXPECT_EQ(g.LastSynchTime, 0.0);
    EXPECT_TRUE(g.LogReminders);
}

TEST(Values, ClampBringsIntegersIntoTheirRange) {
    EXPECT_EQ(Clamp(global::ReminderFontSize, 40), 25);
    EXPECT_EQ(Clamp(global::ReminderFontSize, 3), 10);
    EXPECT_EQ(Clamp(schedule::RepeatCycleNumber, 123456789012LL), 99999999);
    EXPECT_EQ(Clamp(global::MaxCorrection, -5), 0);
}

}  // namespace
}  // namespace pw::cfg
