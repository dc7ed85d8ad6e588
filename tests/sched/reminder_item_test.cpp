#include "sched/reminder_item.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/errors.h"
#include "sched/alerts.h"
#include "support/fake_services.h"

namespace pw::sched {
namespace {

using Parts = std::vector<std::string>;

TEST(ReminderItem, FieldsComeBackWhateverTheyHold) {
    struct Case {
        const char* message;
        const char* description;
        const char* name;
    };
    for (Case c : {Case{"Call Ann", "Start:x", "Calls"}, Case{"", "", ""}, Case{"a||b", "d", "n"},
                   Case{"|", "|", "|"}, Case{"||||", "d||", "||n"}, Case{"a|.b", "d|.", "|.n"},
                   Case{"ends with |", "starts|", "|middle|"}, Case{"Grüße 日本", "Start:2026/12/08", "名前"}}) {
        const std::string item = MakeReminderItem(c.message, c.description, c.name);
        EXPECT_EQ(SplitString(item, kItemSeparator).size(), 3u) << item;
        const ReminderFields f = ParseReminderItem(item);
        EXPECT_EQ(f.message, c.message);
        EXPECT_EQ(f.description, c.description);
        EXPECT_EQ(f.name, c.name);
    }
}

TEST(ReminderItem, PlainItemsAreTheThreeFieldsJoined) {
    EXPECT_EQ(MakeReminderItem("Call Ann", "Start:08/12/2026", "Calls"), "Call Ann||Start:08/12/2026||Calls");
}

TEST(ReminderItem, ItemsJoinedElsewhereParseToo) {
    struct Case {
        const char* item;
        ReminderFields f;
    };
    const std::vector<Case> cases = {
        {"m||d||n", {"m", "d", "n"}},
        {"m||d", {"m", "d", ""}},
        {"m", {"m", "", ""}},
        {"", {"", "", ""}},
        // A message with the separator, joined without escaping: the last
        // two fields are still the description and the name.
        {"a||b||d||n", {"a||b", "d", "n"}},
        {"a||||b||d||n", {"a||||b", "d", "n"}},
    };
    for (const auto& c : cases) {
        const ReminderFields f = ParseReminderItem(c.item);
        EXPECT_EQ(f.message, c.f.message) << c.item;
        EXPECT_EQ(f.description, c.f.description) << c.item;
        EXPECT_EQ(f.name, c.f.name) << c.item;
    }
}

ScheduleTiming Timing(int sh, int sm, int eh, int em, int periodH, int periodM, std::int64_t n, const char* unit) {
    ScheduleTiming t;
    t.startDate = EncodeDate(2026, 12, 8);
    t.startTime = EncodeTime(sh, sm, 0, 0);
    t.endDate = EncodeDate(2026, 12, 9);
    t.endTime = EncodeTime(eh, em, 0, 0);
    t.repeatPeriod = EncodeTime(periodH, periodM, 0, 0);
    t.cycleNumber = n;
    t.cycleUnit = ParseCycleUnit(unit);
    return t;
}

TEST(ReminderDescription, WrittenInTheUsersLocale) {
    struct Case {
        const char* locale;
        Locale loc;
        std::string daytime;   // 09:30 to 17:00, hourly, every 2 days
        std::string midnight;  // 00:00 to 00:00, every 30 minutes, no cycle
    };
    const std::vector<Case> cases = {
        {"en-GB", Locale::EnGB(), "Start:08/12/2026 09:30:00     [01:00:00/2days]     End:09/12/2026 17:00:00",
         "Start:08/12/2026     [00:30:00/0disabled]     End:09/12/2026"},
        {"en-US", Locale::EnUS(),
         "Start:12/8/2026 9:30:00 AM     [1:00:00 AM/2days]     End:12/9/2026 5:00:00 PM",
         "Start:12/8/2026     [12:30:00 AM/0disabled]     End:12/9/2026"},
        {"de-DE", Locale::DeDE(), "Start:08.12.2026 09:30:00     [01:00:00/2days]     End:09.12.2026 17:00:00",
         "Start:08.12.2026     [00:30:00/0disabled]     End:09.12.2026"},
        {"ja-JP", Locale::JaJP(), "Start:2026/12/08 9:30:00     [1:00:00/2days]     End:2026/12/09 17:00:00",
         "Start:2026/12/08     [0:30:00/0disabled]     End:2026/12/09"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReminderDescription(Timing(9, 30, 17, 0, 1, 0, 2, "days"), c.loc), c.daytime) << c.locale;
        EXPECT_EQ(ReminderDescription(Timing(0, 0, 0, 0, 0, 30, 0, "disabled"), c.loc), c.midnight) << c.locale;
    }
}

TEST(ReminderDescription, TheUnitFollowsTheNumberDirectly) {
    EXPECT_EQ(ReminderDescriptionText("s", "p", 12, "mths dow+", "e"), "Start:s     [p/12mths dow+]     End:e");
    EXPECT_EQ(ReminderDescriptionText("", "", 0, "", ""), "Start:     [/0]     End:");
}

TEST(ReminderDescription, AMomentThatCannotBeWrittenIsAConvertError) {
    ScheduleTiming t = Timing(9, 30, 17, 0, 1, 0, 0, "disabled");
    t.endDate = EncodeDate(9999, 12, 31) + 1;  // past the last writable day
    EXPECT_THROW(ReminderDescription(t, Locale::EnGB()), ConvertError);
}

TEST(MissedDescription, TheWindowReadsBackWhatTheTickWrote) {
    struct Case {
        MissedNote note;
        const char* text;
    };
    const std::vector<Case> cases = {
        {{false, "08/12/2026 12:00:00", 1}, "Missed: 08/12/2026 12:00:00"},
        {{false, "08/12/2026 12:00:00", 3}, "Missed: 08/12/2026 12:00:00 (3 times)"},
        {{true, "08/12/2026", 10080}, "Missed launch: 08/12/2026 (10080 times)"},
        // A locale whose date-time text has brackets of its own.
        {{false, "(8.12.) 12 (Uhr)", 2}, "Missed: (8.12.) 12 (Uhr) (2 times)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MissedDescription(c.note), c.text);
        const auto back = ParseMissedDescription(c.text);
        ASSERT_TRUE(back) << c.text;
        EXPECT_EQ(back->launch, c.note.launch) << c.text;
        EXPECT_EQ(back->due, c.note.due) << c.text;
        EXPECT_EQ(back->count, c.note.count) << c.text;
    }
    // Descriptions of due reminders, the Test button's among them.
    for (const char* other : {"Start:08/12/2026 09:30:00     [01:00:00/0disabled]     End:x", "", "Missed:x"})
        EXPECT_FALSE(ParseMissedDescription(other)) << other;
}

TEST(ReminderAlert, FirstMatchWins) {
    struct Case {
        const char* what;
        bool scheduleSound;
        const char* soundName;
        bool globalEnabled;
        const char* globalName;
        bool beep;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {"own sound", true, "C:\\own.wav", true, "C:\\global.wav", true, {"play:C:\\own.wav"}},
        {"own sound, nothing else", true, "C:\\own.wav", false, "", false, {"play:C:\\own.wav"}},
        {"own switch, no name", true, "", true, "C:\\global.wav", true, {"play:C:\\global.wav"}},
        {"own name, switch off", false, "C:\\own.wav", true, "C:\\global.wav", true, {"play:C:\\global.wav"}},
        {"global switch, no name", true, "", true, "", true, {"beep"}},
        {"global name, switch off", false, "", false, "C:\\global.wav", true, {"beep"}},
        {"beep only", false, "", false, "", true, {"beep"}},
        {"all off", false, "C:\\own.wav", false, "C:\\global.wav", false, {}},
        {"all empty", true, "", true, "", false, {}},
    };
    for (const auto& c : cases) {
        pw::test::Events events;
        pw::test::FakeSound sound(events);
        cfg::GlobalSettings g;
        g.GlobalSoundEnabled = c.globalEnabled;
        g.GlobalSoundName = c.globalName;
        g.SystemBeep = c.beep;
        SoundReminderAlert(sound, g, c.scheduleSound, c.soundName);
        EXPECT_EQ(events.list, c.events) << c.what;
    }
}

}  // namespace
}  // namespace pw::sched
