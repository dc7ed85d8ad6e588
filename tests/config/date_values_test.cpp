#include "config/date_values.h"

#include <gtest/gtest.h>

#include "common/datefmt.h"
#include "common/errors.h"
#include "common/store_access.h"
#include "config/global_settings.h"
#include "config/value_access.h"
#include "support/fake_store.h"

namespace pw::cfg {
namespace {

const std::string kKey = ScheduleKey("Backup");
// Tuesday 8 December 2026, 14:05 (a "now" with a time of day).
const DateTime kNow = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 0, 0);

TEST(DateValues, MissingDatesAreTodayAndTomorrowWithoutTheTime) {
    test::TestStore s;
    const Locale l = Locale::EnUS();
    EXPECT_EQ(ReadDate(s, kKey, schedule::StartDate, l, kNow), EncodeDate(2026, 12, 8));
    EXPECT_EQ(ReadDate(s, kKey, schedule::EndDate, l, kNow), EncodeDate(2026, 12, 9));
    // Computed at the moment of reading: the next day gives the next date.
    EXPECT_EQ(ReadDate(s, kKey, schedule::EndDate, l, kNow + 1), EncodeDate(2026, 12, 10));
    EXPECT_EQ(s.counts.writes, 0);
    EXPECT_FALSE(KeyExists(s, kKey));
}

TEST(DateValues, MissingTimesAreTheirDefaultTextsInEveryLocale) {
    for (const Locale& l : {Locale::EnUS(), Locale::EnGB(), Locale::DeDE(), Locale::JaJP()}) {
        test::TestStore s;
        EXPECT_EQ(ReadTime(s, kKey, schedule::StartTime, l), 0.0);
        EXPECT_EQ(ReadTime(s, kKey, schedule::EndTime, l), 0.0);
        EXPECT_EQ(ReadTime(s, kKey, schedule::RepeatPeriod, l), EncodeTime(1, 0, 0, 0));
        EXPECT_EQ(ReadDateTime(s, kSettingsKey, global::LastSynchTime, l), 0.0);
        EXPECT_EQ(s.counts.writes, 0);
    }
}

TEST(DateValues, StoredTextsAreReadInTheLocale) {
    test::TestStore s;
    const Locale de = Locale::DeDE();
    WriteRegString(s, kKey, "StartDate", "25.12.2026");
    WriteRegString(s, kKey, "StartTime", "09:30:00");
    WriteRegString(s, kKey, "RepeatPeriod", "01:30:00");
    WriteRegString(s, kSettingsKey, "LastSynchTime", "08.12.2026 14:05:09");
    EXPECT_EQ(ReadDate(s, kKey, schedule::StartDate, de, kNow), EncodeDate(2026, 12, 25));
    EXPECT_EQ(ReadTime(s, kKey, schedule::StartTime, de), EncodeTime(9, 30, 0, 0));
    EXPECT_EQ(ReadTime(s, kKey, schedule::RepeatPeriod, de), 1.5 / 24);
    EXPECT_EQ(ReadDateTime(s, kSettingsKey, global::LastSynchTime, de), kNow + EncodeTime(0, 0, 9, 0));
    WriteRegString(s, kSettingsKey, "LastSynchTime", "0");
    EXPECT_EQ(ReadDateTime(s, kSettingsKey, global::LastSynchTime, de), 0.0);
}

TEST(DateValues, TextsThatDoNotParseRaiseTheirErrors) {
    struct Case {
        const char* name;
        const char* text;
        const char* error;
    } cases[] = {
        {"StartDate", "12/25/2026", "'12/25/2026' is not a valid date"},
        {"EndDate", "", "'' is not a valid date"},  // empty is stored, not missing
        {"StartTime", "25:00", "'25:00' is not a valid time"},
        {"RepeatPeriod", "", "'' is not a valid time"},
    };
    for (const auto& c : cases) {
        test::TestStore s;
        WriteRegString(s, kKey, c.name, c.text);
        try {
            const std::string_view name = c.name;
            if (name == "StartDate") ReadDate(s, kKey, schedule::StartDate, Locale::DeDE(), kNow);
            else if (name == "EndDate") ReadDate(s, kKey, schedule::EndDate, Locale::DeDE(), kNow);
            else if (name == "StartTime") ReadTime(s, kKey, schedule::StartTime, Locale::DeDE());
            else ReadTime(s, kKey, schedule::RepeatPeriod, Locale::DeDE());
            ADD_FAILURE() << c.name;
        } catch (const ConvertError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
    test::TestStore s;
    WriteRegString(s, kSettingsKey, "LastSynchTime", "never");
    try {
        ReadDateTime(s, kSettingsKey, global::LastSynchTime, Locale::EnUS());
        ADD_FAILURE();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'never' is not a valid date and time");
    }
}

TEST(DateValues, AWrongRegistryTypeIsAStoreError) {
    test::TestStore s;
    WriteRegInteger(s, kKey, "StartDate", 46364);
    WriteRegInteger(s, kKey, "StartTime", 0);
    EXPECT_THROW(ReadDate(s, kKey, schedule::StartDate, Locale::EnUS(), kNow), StoreError);
    EXPECT_THROW(ReadTime(s, kKey, schedule::StartTime, Locale::EnUS()), StoreError);
    KeyReader r(s, kKey);
    EXPECT_THROW(ReadDate(r, schedule::StartDate, Locale::EnUS(), kNow), StoreError);
}

TEST(DateValues, WritersStoreTheTextForms) {
    test::TestStore s;
    const Locale us = Locale::EnUS();
    WriteDate(s, kKey, schedule::StartDate, kNow, us);
    WriteTime(s, kKey, schedule::StartTime, EncodeTime(9, 30, 0, 0), us);
    WriteTime(s, kKey, schedule::RepeatPeriod, EncodeTime(1, 0, 0, 0), us);
    WriteDateTime(s, kSettingsKey, global::LastSynchTime, kNow, us);
    EXPECT_EQ(ReadRegString(s, kKey, "StartDate", ""), "12/8/2026");
    EXPECT_EQ(ReadRegString(s, kKey, "StartTime", ""), "9:30:00 AM");
    EXPECT_EQ(ReadRegString(s, kKey, "RepeatPeriod", ""), "1:00:00 AM");
    EXPECT_EQ(ReadRegString(s, kSettingsKey, "LastSynchTime", ""), "12/8/2026 2:05:00 PM");
    WriteDateTime(s, kSettingsKey, global::LastSynchTime, EncodeDate(2026, 12, 8), us);
    EXPECT_EQ(ReadRegString(s, kSettingsKey, "LastSynchTime", ""), "12/8/2026");
    // And read back as written.
    EXPECT_EQ(ReadDate(s, kKey, schedule::StartDate, us, 0), EncodeDate(2026, 12, 8));
    EXPECT_EQ(ReadTime(s, kKey, schedule::RepeatPeriod, us), EncodeTime(1, 0, 0, 0));
    EXPECT_EQ(ReadDateTime(s, kSettingsKey, global::LastSynchTime, us), EncodeDate(2026, 12, 8));
}

TEST(DateValues, ThroughOneOpenKeyTheSameAsValueByValue) {
    test::TestStore s;
    const Locale gb = Locale::EnGB();
    WriteRegString(s, kKey, "StartDate", "01/03/2026");
    WriteRegString(s, kKey, "EndTime", "17:45:00");
    const int opensBefore = s.counts.opens;
    {
        KeyReader r(s, kKey);
        EXPECT_EQ(ReadDate(r, schedule::StartDate, gb, kNow), EncodeDate(2026, 3, 1));
        EXPECT_EQ(ReadDate(r, schedule::EndDate, gb, kNow), EncodeDate(2026, 12, 9));
        EXPECT_EQ(ReadTime(r, schedule::EndTime, gb), EncodeTime(17, 45, 0, 0));
        EXPECT_EQ(ReadTime(r, schedule::RepeatPeriod, gb), EncodeTime(1, 0, 0, 0));
    }
    EXPECT_EQ(s.counts.opens - opensBefore, 1);
    EXPECT_EQ(s.counts.openKeys, 0);
    KeyReader missing(s, ScheduleKey("Nobody"));
    EXPECT_EQ(ReadDate(missing, schedule::StartDate, gb, kNow), EncodeDate(2026, 12, 8));
}

TEST(GlobalSettingsLoad, LastSynchTimeIsReadInItsPlace) {
    test::TestStore s;
    Write(s, kSettingsKey, global::AutoSynchInterval, 24);
    WriteRegString(s, kSettingsKey, "LastSynchTime", "08/12/2026 14:05:00");
    Write(s, kSettingsKey, global::AutoTrimLog, true);
    GlobalSettings g;
    LoadGlobalSettings(s, Locale::EnGB(), g);
    EXPECT_EQ(g.LastSynchTime, kNow);
    EXPECT_EQ(g.AutoSynchInterval, 24);
    EXPECT_TRUE(g.AutoTrimLog);
}

TEST(GlobalSettingsLoad, ABadLastSynchTimeStopsTheLoadThere) {
    test::TestStore s;
    Write(s, kSettingsKey, global::AutoSynchInterval, 24);
    WriteRegString(s, kSettingsKey, "LastSynchTime", "12/25/2026");  // written under another locale
    Write(s, kSettingsKey, global::AutoTrimLog, true);
    GlobalSettings g;
    g.LastSynchTime = 5;
    try {
        LoadGlobalSettings(s, Locale::DeDE(), g);
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'12/25/2026' is not a valid date and time");
    }
    EXPECT_EQ(g.AutoSynchInterval, 24);  // read before it
    EXPECT_EQ(g.LastSynchTime, 5);       // untouched
    EXPECT_FALSE(g.AutoTrimLog);         // after it: still the default
}

}  // namespace
}  // namespace pw::cfg
