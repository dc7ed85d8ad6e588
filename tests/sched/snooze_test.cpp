// Snooze: reminders put off from the reminder window wait in the store
// and come back through the tick at their minute, once, whatever the clock
// or the program does meanwhile.
#include <algorithm>
#include <optional>

#include "delivery_fixture.h"
#include "sched/snooze.h"
#include "support/test_services.h"

namespace pw::sched::test {
namespace {

DateTime Dec8(int h, int mi, int s = 0) { return EncodeDate(2026, 12, 8) + EncodeTime(h, mi, s, 0); }

std::vector<std::pair<std::string, std::string>> StoredSnoozes(Store& store) {
    std::vector<std::pair<std::string, std::string>> out;
    if (auto key = store.Open(Root::CurrentUser, cfg::kSnoozedKey, OpenMode::Read))
        for (auto& [name, value] : key->ReadContents().values) out.emplace_back(name, value ? value->text : "?");
    return out;
}

TEST(SnoozeValue, TextsComeBackWholeAndOthersAreNone) {
    const Snoozed rows[] = {
        {ToSeconds(Dec8(10, 2)), "Call", "Start:08/12/2026 10:00:00 (snoozed at 10:00)", "Call"},
        {ToSeconds(Dec8(0, 0)), "a || b |. c |", "", "x|y"},
        {ToSeconds(EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 0, 0)), "Grüße\r\nzwei Zeilen", "d", ""},
    };
    for (const auto& s : rows) {
        SCOPED_TRACE(s.message);
        EXPECT_EQ(ParseSnoozeValue(SnoozeValueText(s)), s);
    }
    const char* bad[] = {
        "",
        "2026-12-08T10:02:00Z",
        "2026-12-08T10:02:00Z||Call||desc",  // a text short
        "2026-02-30T10:02:00Z||Call||desc||Call",
        "2026-12-08T24:00:00Z||Call||desc||Call",
        "2026-12-08 10:02:00Z||Call||desc||Call",
        "2026-12-8T10:02:00Z||Call||desc||Call",
        "+026-12-08T10:02:00Z||Call||desc||Call",
    };
    for (const char* text : bad) EXPECT_EQ(ParseSnoozeValue(text), std::nullopt) << text;
}

TEST(SnoozeValue, DueMinuteAndNote) {
    // At least the minutes asked for, at the start of a minute.
    EXPECT_EQ(SnoozeDue(ToSeconds(Dec8(10, 0, 0)), 1), ToSeconds(Dec8(10, 1)));
    EXPECT_EQ(SnoozeDue(ToSeconds(Dec8(10, 0, 20)), 1), ToSeconds(Dec8(10, 2)));
    EXPECT_EQ(SnoozeDue(ToSeconds(Dec8(23, 59, 59)), 1440), ToSeconds(Dec8(0, 0) + 2));
    // A reminder snoozed again keeps one note, the latest.
    EXPECT_EQ(SnoozedDescription("Start:x", "10:00"), "Start:x (snoozed at 10:00)");
    EXPECT_EQ(SnoozedDescription("Start:x (snoozed at 10:00)", "10:12"), "Start:x (snoozed at 10:12)");
    EXPECT_EQ(SnoozeNote("Start:x (snoozed at 10:12)"), " (snoozed at 10:12)");
    EXPECT_EQ(SnoozeNote("Missed: 08/12/2026 10:00:00 (3 times)"), "");
}

TEST(SnoozeQueue, KeptUntilDueAcrossARestartBadValuesLeftAndARefusedWriteTakenBack) {
    pw::test::TestStore store;
    const Locale locale = Locale::EnGB();
    // An hour east of UTC, the reading just short of a whole second.
    const Clock::Reading at{Dec8(10, 0, 20) - 0.4 / 86400, Dec8(9, 0, 20) - 0.4 / 86400};
    EXPECT_EQ(SnoozeQueue(store, locale).Put({MakeReminderItem("Call", "d", "Call"), MakeReminderItem("Pay", "e", "Bills")},
                                             5, at),
              "08/12/2026 10:06");
    WriteRegString(store, cfg::kSnoozedKey, "7", "not a snooze");
    WriteRegInteger(store, cfg::kSnoozedKey, "8", 1);
    WriteRegString(store, cfg::kSnoozedKey, "name", "2026-12-08T09:00:00Z||a||b||c");

    // The program ended and started again: a new queue over the same store.
    SnoozeQueue queue(store, locale);
    std::vector<std::string> bad;
    const auto report = [&](std::string_view name, std::string_view why) { bad.push_back(std::string(name) + ":" + std::string(why)); };
    EXPECT_TRUE(queue.TakeDue(ToSeconds(Dec8(9, 5, 59)), report).empty());
    const auto due = queue.TakeDue(ToSeconds(Dec8(9, 6)), report);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0], (Snoozed{ToSeconds(Dec8(9, 6)), "Call", "d (snoozed at 10:00)", "Call"}));
    EXPECT_EQ(due[1].name, "Bills");
    EXPECT_TRUE(queue.TakeDue(ToSeconds(Dec8(9, 7)), report).empty());
    ASSERT_EQ(bad.size(), 9u);  // at every look
    EXPECT_EQ(std::vector<std::string>(bad.begin(), bad.begin() + 3),
              (std::vector<std::string>{"7:not a snoozed reminder", "8:not a text", "name:not a snoozed reminder"}));
    EXPECT_EQ(StoredSnoozes(store).size(), 3u);  // only the bad ones are left

    // The numbers go on after the highest; a refused write takes back the
    // values of the same press, and the reminders stay on the screen.
    store.refuse.write = [](Root, std::string_view, std::string_view name) { return name == "10"; };
    EXPECT_THROW(queue.Put({"a||b||c", "d||e||f"}, 1, at), StoreError);
    EXPECT_EQ(StoredSnoozes(store).size(), 3u);
}

// The window and the tick as the program wires them, with the Snooze
// button pressed as a user presses it.
class SnoozeDelivery : public ::testing::Test, protected DeliveryParts {
protected:
    SnoozeDelivery() {
        window.AttachSnooze(&queue, &clock);
        settings.LogReminders = true;
        settings.SystemBeep = false;
        Start();
    }

    void Start() { tick.emplace(TickContext{pw::test::Services(store, clock, locale, sound), settings, host}); }
    void Add(const char* name, DateTime start, DateTime end) { WriteSchedule(store, locale, name, start, end); }
    // Ticks every second of local time from..to.
    void Run(DateTime from, DateTime to) {
        for (Seconds s = ToSeconds(from); s < ToSeconds(to); ++s) {
            clock.local = FromSeconds(s);
            tick->ClockTimer();
        }
    }
    void Snooze(const char* minutes) {
        view.snoozeMinutes = minutes;
        window.butSnoozeClick();
    }
    std::vector<std::string> Shown() const { return ShownWindows(host.shown); }
    std::vector<std::string> Logged() const {
        std::vector<std::string> out;
        for (const auto& e : events.list)
            if (e.starts_with("log:")) out.push_back(e.substr(4));
        return out;
    }

    SnoozeQueue queue{store, locale};
    std::optional<ClockTick> tick;
};

TEST_F(SnoozeDelivery, ComesBackAtItsMinuteOnceWhateverTheClockAndTheProgramDo) {
    enum class Then { Run, ClockBack5, ClockForward9, Restart, DeleteAndRestart };
    struct Row {
        const char* what;
        Then then;          // at 10:01:30, while the snooze waits
        DateTime resume;    // the clock reads this afterwards (local)
        std::vector<std::string> shown;  // the windows after the first
    };
    const std::vector<Row> rows = {
        {"the clock runs on: back at 10:02 with the reminder due then", Then::Run, Dec8(10, 1, 30),
         {"[due|1.Break][due (snoozed at 10:00)|2.Call]"}},
        {"the clock put back 5 minutes: back at the first tick at 10:02 UTC", Then::ClockBack5, Dec8(9, 56, 30),
         {"[due|1.Break][due (snoozed at 10:00)|2.Call]"}},
        {"the clock put forward past it: back once, as missed", Then::ClockForward9, Dec8(10, 10, 30),
         {"[Missed: 08/12/2026 10:02:00|1.Break][Missed: 08/12/2026 10:02:00 (snoozed at 10:00)|2.Call]"}},
        {"the program ended and started again before its minute", Then::Restart, Dec8(10, 1, 45),
         {"[due|1.Break][due (snoozed at 10:00)|2.Call]"}},
        {"the program started after its minute, the schedule deleted meanwhile", Then::DeleteAndRestart,
         Dec8(10, 5, 10), {"[Missed: 08/12/2026 10:02:00 (snoozed at 10:00)|1.Call]"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        DeleteKey(store, cfg::kSchedulesKey);
        events.Clear();
        host.shown.clear();
        Start();
        Add("Call", Dec8(10, 0), Dec8(10, 0));
        Add("Break", Dec8(8, 2), Dec8(18, 2));
        Run(Dec8(9, 59, 50), Dec8(10, 0, 20));
        ASSERT_EQ(Shown(), std::vector<std::string>{"[due|1.Call]"});
        Snooze("1");
        Snooze("1");  // a second press finds nothing left to put off
        EXPECT_FALSE(view.visible);
        EXPECT_EQ(StoredSnoozes(store).size(), 1u);
        Run(Dec8(10, 0, 20), Dec8(10, 1, 30));
        if (row.then == Then::Restart || row.then == Then::DeleteAndRestart) Start();
        if (row.then == Then::DeleteAndRestart) DeleteKey(store, cfg::kSchedulesKey);
        Run(row.resume, Dec8(10, 12));
        if (row.then == Then::ClockBack5) Run(Dec8(10, 0), Dec8(10, 4));  // and back once more after it showed

        // Break repeats hourly; only its 10:02 showing is in the run.
        const auto all = Shown();
        EXPECT_EQ(std::vector<std::string>(all.begin() + 1, all.end()), row.shown);
        EXPECT_TRUE(StoredSnoozes(store).empty());
        EXPECT_EQ(Logged()[1], "Snoozed:Call Until:08/12/2026 10:02");
    }
}

TEST_F(SnoozeDelivery, WhatTheWindowShowsWhenPressedIsPutOffThe300AtOnceComeBackInOneWindow) {
    Add("Break", Dec8(8, 7), Dec8(18, 7));
    std::vector<std::string> items;
    for (int i = 1; i <= 300; ++i) items.push_back(MakeReminderItem("m" + std::to_string(i), "d", "s"));
    clock.local = Dec8(10, 0, 0);
    window.ShowReminders({MakeReminderItem("old", "d", "s")});
    window.ShowReminders(items);  // a new minute's reminders replaced the content
    view.snoozeMinutes = "7";
    window.butSnoozeClick();
    EXPECT_EQ(ReadRegInteger(store, cfg::kSettingsKey, "SnoozeMinutes", 0), 7);
    // Bad values beside them are skipped and logged once.
    WriteRegString(store, cfg::kSnoozedKey, "x", "junk");
    events.Clear();
    Run(Dec8(10, 1), Dec8(10, 9));
    ASSERT_EQ(host.shown.size(), 1u);
    const auto& shown = host.shown[0];
    ASSERT_EQ(shown.size(), 301u);
    EXPECT_EQ(ParseReminderItem(shown[0]).message, "Break");
    EXPECT_EQ(ParseReminderItem(shown[1]).message, "m1");
    EXPECT_EQ(ParseReminderItem(shown[300]).message, "m300");
    EXPECT_EQ(view.caption, "Reminders: 301");
    const auto logged = Logged();
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "Snoozed reminder skipped: x (not a snoozed reminder)"), 1);
    // The next showing starts the field at the minutes used last.
    EXPECT_EQ(view.snoozeMinutes, "7");
}

}  // namespace
}  // namespace pw::sched::test
