#include "tick_fixture.h"

#include <algorithm>

#include "common/errors.h"
#include "config/global_settings.h"

namespace pw::sched::test {
namespace {

bool Has(const std::vector<std::string>& ev, const std::string& e) {
    return std::find(ev.begin(), ev.end(), e) != ev.end();
}
int Count(const std::vector<std::string>& ev, const std::string& prefix) {
    return static_cast<int>(std::count_if(ev.begin(), ev.end(), [&](auto& e) { return e.rfind(prefix, 0) == 0; }));
}

TEST_F(TickTest, StartedInMinuteZeroTheFirstPassWaitsForTheNextMinute) {
    AddSchedule("Ten", When(2026, 12, 8, 10, 0), When(2026, 12, 8, 10, 0));
    AddSchedule("TenOne", When(2026, 12, 8, 10, 1), When(2026, 12, 8, 10, 1));
    RunSeconds(When(2026, 12, 8, 10, 0, 30), When(2026, 12, 8, 10, 1, 0));
    EXPECT_EQ(Count(events.list, "caption:"), 0);
    EXPECT_EQ(host.refreshes, 30);
    TickAt(When(2026, 12, 8, 10, 1, 0));
    auto ev = Take();
    EXPECT_TRUE(Has(ev, "caption:Schedules: 2"));
    EXPECT_TRUE(Has(ev, "show:[TenOne:TenOne]"));
    EXPECT_EQ(Count(ev, "show:"), 1);
}

TEST_F(TickTest, StartedInAnyOtherMinuteTheFirstTickRunsAPass) {
    AddSchedule("Now", When(2026, 12, 8, 10, 17), When(2026, 12, 8, 10, 17));
    TickAt(When(2026, 12, 8, 10, 17, 30));
    auto ev = Take();
    EXPECT_TRUE(Has(ev, "show:[Now:Now]"));
    // The rest of the minute runs no pass.
    RunSeconds(When(2026, 12, 8, 10, 17, 31), When(2026, 12, 8, 10, 18, 0));
    EXPECT_TRUE(Take().empty());
}

TEST_F(TickTest, APassRunsItsStepsInOrder) {
    settings.AutoTrimLog = true;
    settings.SystemBeep = true;
    AddSchedule("A reminder", When(2026, 12, 8, 11, 0), When(2026, 12, 8, 12, 0));
    AddSchedule("B program", When(2026, 12, 8, 11, 0), When(2026, 12, 8, 12, 0), "01:00:00", 0, "disabled", 0,
                "notepad.exe");
    cfg::Write(store, cfg::ScheduleKey("B program"), cfg::schedule::WorkingDir, "C:\\");
    cfg::Write(store, cfg::ScheduleKey("B program"), cfg::schedule::WindowState, "hidden");
    TickAt(When(2026, 12, 8, 10, 59, 0));
    Take();
    TickAt(When(2026, 12, 8, 11, 0, 0));
    EXPECT_EQ(Take(), (std::vector<std::string>{"trim", "sync", "caption:Schedules: 2", "beep",
                                                "launch:B program|notepad.exe|C:\\|hidden",
                                                "show:[A reminder:A reminder]"}));
}

TEST_F(TickTest, NoSchedulesGiveACountOfZeroAndNoWindow) {
    TickAt(When(2026, 12, 8, 10, 5));
    EXPECT_EQ(Take(), (std::vector<std::string>{"sync", "caption:Schedules: 0"}));
    EXPECT_TRUE(KeyExists(store, cfg::kSchedulesKey));  // opened with creation
}

TEST_F(TickTest, DisabledSchedulesStillTrimAndSynchronize) {
    settings.AutoTrimLog = true;
    settings.AutoDelSched = true;
    AddSchedule("Due", When(2026, 12, 8, 11, 0), When(2026, 12, 8, 11, 0));
    AddSchedule("Ended", When(2026, 12, 1, 9, 0), When(2026, 12, 1, 9, 0), "01:00:00", 1, "days");
    AddSchedule("Expired", When(2026, 1, 1, 9, 0), When(2026, 1, 1, 9, 0));
    tick.disableSchedules = true;
    TickAt(When(2026, 12, 8, 10, 59));
    TickAt(When(2026, 12, 8, 11, 0));
    EXPECT_EQ(Take(), (std::vector<std::string>{"sync", "trim", "sync"}));
    EXPECT_EQ(host.caption, "Schedules");
    EXPECT_EQ(Stored("Ended", "StartDate"), "01/12/2026");
    EXPECT_TRUE(KeyExists(store, cfg::ScheduleKey("Expired")));
}

TEST_F(TickTest, TwoRemindersInOneMinuteShareOneWindowInWalkOrder) {
    cfg::Write(store, cfg::ScheduleKey("Beta"), cfg::schedule::SoundName, "C:\\b.wav");
    cfg::Write(store, cfg::ScheduleKey("Beta"), cfg::schedule::ScheduleSound, true);
    AddSchedule("Beta", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30));
    AddSchedule("alpha", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30));
    settings.GlobalSoundEnabled = true;
    settings.GlobalSoundName = "C:\\global.wav";
    TickAt(When(2026, 12, 8, 9, 30));
    auto ev = Take();
    EXPECT_EQ(ev, (std::vector<std::string>{"sync", "caption:Schedules: 2", "play:C:\\global.wav", "play:C:\\b.wav",
                                            "show:[alpha:alpha][Beta:Beta]"}));
}

TEST_F(TickTest, AProgramWithAnEmptySoundNameLaunchesSilently) {
    AddSchedule("Prog", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30), "01:00:00", 0, "disabled", 0, "x.exe");
    cfg::Write(store, cfg::ScheduleKey("Prog"), cfg::schedule::ScheduleSound, true);
    settings.SystemBeep = true;
    settings.GlobalSoundEnabled = true;
    settings.GlobalSoundName = "g.wav";
    TickAt(When(2026, 12, 8, 9, 30));
    EXPECT_EQ(Take(), (std::vector<std::string>{"sync", "caption:Schedules: 1", "launch:Prog|x.exe||normal"}));
}

TEST_F(TickTest, ExpiredSchedulesAreDeletedAndLoggedWhateverTheSwitches) {
    settings.AutoDelSched = true;
    settings.DelSchedDays = 30;
    AddSchedule("Old", When(2026, 11, 1, 9, 0), When(2026, 11, 8, 9, 0));
    AddSchedule("Recent", When(2026, 11, 1, 9, 0), When(2026, 11, 8, 9, 1));
    TickAt(When(2026, 12, 8, 9, 1));
    auto ev = Take();
    EXPECT_TRUE(Has(ev, "log:Schedule deleted: Old"));
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Old")));
    EXPECT_TRUE(KeyExists(store, cfg::ScheduleKey("Recent")));
}

TEST_F(TickTest, AStoredDeletionDelayOutsideItsRangeIsBroughtIntoIt) {
    // Read as the program reads it at start, then one pass on 8 December
    // over a live schedule and two that ended.
    struct Case {
        std::int32_t stored;
        bool liveKept, endedYesterdayKept, ended9000DaysAgoKept;
    } cases[] = {
        {-10, true, false, false},  // read as 0: a live schedule is never due for deletion
        {0, true, false, false},
        {30, true, true, false},
        {100000, true, true, true},  // read as 9999
    };
    int minute = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        DeleteKey(store, cfg::kSchedulesKey);
        cfg::Write(store, cfg::kSettingsKey, cfg::global::AutoDelSched, true);
        cfg::Write(store, cfg::kSettingsKey, cfg::global::DelSchedDays, c.stored);
        cfg::LoadGlobalSettings(store, locale, settings);
        AddSchedule("Live", When(2026, 12, 8, 0, 0), When(2026, 12, 13, 0, 0));
        AddSchedule("Yesterday", When(2026, 12, 7, 9, 0), When(2026, 12, 7, 9, 0));
        AddSchedule("Ancient", When(2002, 3, 1, 9, 0), When(2002, 3, 1, 9, 0));
        TickAt(When(2026, 12, 8, 9, minute++));
        EXPECT_EQ(KeyExists(store, cfg::ScheduleKey("Live")), c.liveKept);
        EXPECT_EQ(KeyExists(store, cfg::ScheduleKey("Yesterday")), c.endedYesterdayKept);
        EXPECT_EQ(KeyExists(store, cfg::ScheduleKey("Ancient")), c.ended9000DaysAgoKept);
    }
}

TEST_F(TickTest, ASkipLineQuotesOnlyTheStartOfAHugeDate) {
    AddSchedule("Huge", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30));
    WriteRegString(store, cfg::ScheduleKey("Huge"), "StartDate", std::string(1 << 20, '7'));
    TickAt(When(2026, 12, 8, 9, 30));
    const std::string line =
        "log:Schedule skipped: Huge ('" + std::string(kQuotedValueLimit, '7') + "... (1048576 bytes)' is not a valid date)";
    EXPECT_TRUE(Has(Take(), line));
}

TEST_F(TickTest, AFailedDeletionLogsNothingAndIsTriedAgain) {
    settings.AutoDelSched = true;
    AddSchedule("Old", When(2026, 1, 1, 9, 0), When(2026, 1, 1, 9, 0));
    store.refuse.deleteTree = [](Root, std::string_view) { return true; };
    TickAt(When(2026, 12, 8, 9, 1));
    EXPECT_EQ(Count(Take(), "log:"), 0);
    store.refuse.deleteTree = nullptr;
    TickAt(When(2026, 12, 8, 9, 2));
    auto ev = Take();
    EXPECT_TRUE(Has(ev, "log:Schedule deleted: Old"));
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Old")));
}

TEST_F(TickTest, ThePassWritesOnlyTheDatesAndOnlyOnAnAdvance) {
    AddSchedule("Daily", When(2026, 12, 7, 9, 0), When(2026, 12, 7, 17, 0), "01:00:00", 1, "days");
    AddSchedule("Plain", When(2026, 12, 8, 9, 0), When(2026, 12, 8, 17, 0));
    store.counts = {};
    TickAt(When(2026, 12, 8, 8, 59, 30));  // the first pass moves "Daily" to today
    EXPECT_EQ(store.counts.writes, 2);
    EXPECT_EQ(Stored("Daily", "StartDate"), "08/12/2026");
    EXPECT_EQ(Stored("Daily", "EndDate"), "08/12/2026");
    EXPECT_EQ(Stored("Daily", "StartTime"), "09:00:00");
    store.counts = {};
    // The rest of the minute: display refreshes only, no store access.
    TickAt(When(2026, 12, 8, 8, 59, 59, 999));
    EXPECT_EQ(store.counts.opens, 0);
    EXPECT_EQ(host.refreshes, 2);
    TickAt(When(2026, 12, 8, 9, 0, 0));  // a pass without an advance
    EXPECT_EQ(store.counts.writes, 0);
    EXPECT_GT(store.counts.reads, 0);
    EXPECT_EQ(store.counts.openKeys, 0);
}

TEST_F(TickTest, AWindowTenDaysBackMovesADayPerPassAndFiresNothingSkipped) {
    AddSchedule("Work", When(2026, 11, 28, 9, 0), When(2026, 11, 28, 17, 0), "01:00:00", 1, "days");
    std::vector<std::string> starts;
    tick.rememberedMinute = 59;  // the program already ran at 11:59
    for (int m = 0; m < 61; ++m) {
        TickAt(When(2026, 12, 8, 12, 0) + m / 1440.0);
        starts.push_back(Stored("Work", "StartDate"));
        auto ev = Take();
        if (m < 60) {
            EXPECT_EQ(Count(ev, "show:"), 0) << "minute " << m;
        } else {
            EXPECT_TRUE(Has(ev, "show:[Work:Work]"));
        }
    }
    EXPECT_EQ(starts[0], "29/11/2026");
    EXPECT_EQ(starts[8], "07/12/2026");
    EXPECT_EQ(starts[9], "08/12/2026");  // tenth pass: today
    EXPECT_EQ(starts[10], "08/12/2026");
    EXPECT_EQ(starts[60], "08/12/2026");
}

TEST_F(TickTest, TrimmingRunsOnceAnHourInMinuteZero) {
    settings.AutoTrimLog = true;
    RunSeconds(When(2026, 12, 8, 10, 0, 30), When(2026, 12, 8, 12, 0, 30));
    auto ev = Take();
    EXPECT_EQ(Count(ev, "trim"), 2);  // 11:00 and 12:00, not 10:00
    EXPECT_EQ(Count(ev, "sync"), 120);
}

TEST_F(TickTest, ADateTheLocaleCannotReadSkipsOnlyThatScheduleAndIsReportedOnce) {
    AddSchedule("Good", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30));
    AddSchedule("Bad", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30));
    WriteRegString(store, cfg::ScheduleKey("Bad"), "StartDate", "12/31/2026");
    AddSchedule("Typed", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30));
    WriteRegString(store, cfg::ScheduleKey("Typed"), "RepeatCycleNumber", "three");
    TickAt(When(2026, 12, 8, 9, 30));
    auto ev = Take();
    EXPECT_TRUE(Has(ev, "show:[Good:Good]"));
    EXPECT_TRUE(Has(ev, "log:Schedule skipped: Bad ('12/31/2026' is not a valid date)"));
    EXPECT_TRUE(Has(ev, "log:Schedule skipped: Typed (Failed to get data for 'RepeatCycleNumber')"));
    TickAt(When(2026, 12, 8, 9, 31));
    EXPECT_EQ(Count(Take(), "log:"), 0);
    // Once per change: the same text written again stays quiet, another
    // text that does not read either is logged.
    WriteRegString(store, cfg::ScheduleKey("Bad"), "StartDate", "12/31/2026");
    TickAt(When(2026, 12, 8, 9, 32));
    EXPECT_EQ(Count(Take(), "log:"), 0);
    WriteRegString(store, cfg::ScheduleKey("Bad"), "StartDate", "12/30/2026");
    TickAt(When(2026, 12, 8, 9, 33));
    ev = Take();
    EXPECT_EQ(Count(ev, "log:"), 1);
    EXPECT_TRUE(Has(ev, "log:Schedule skipped: Bad ('12/30/2026' is not a valid date)"));
}

TEST_F(TickTest, SchedulesThatCannotBeWatchedAreNotedOnceAndOnlyInAKeptLog) {
    store.refuse.watch = [](Root, std::string_view) { return true; };
    // Every switch off: no line, so no log file comes of it.
    TickAt(When(2026, 12, 8, 9, 30));
    TickAt(When(2026, 12, 8, 9, 31));
    EXPECT_EQ(Count(Take(), "log:"), 0);
    settings.LogNetTime = true;
    for (int minute = 32; minute < 35; ++minute) TickAt(When(2026, 12, 8, 9, minute));
    const auto ev = Take();
    EXPECT_EQ(Count(ev, "log:"), 1);
    EXPECT_TRUE(Has(ev, "log:" + std::string(kUnwatchedLine)));
}

TEST_F(TickTest, NoSuchDayLeavesTheScheduleAsStored) {
    AddSchedule("Fifth Friday", When(2026, 5, 29, 9, 0), When(2026, 5, 29, 10, 0), "01:00:00", 1, "mths dow+");
    settings.AutoDelSched = true;
    TickAt(When(2026, 12, 8, 9, 0));
    EXPECT_EQ(Stored("Fifth Friday", "StartDate"), "29/05/2026");
    EXPECT_EQ(Count(Take(), "show:"), 0);
    EXPECT_TRUE(KeyExists(store, cfg::ScheduleKey("Fifth Friday")));
}

TEST_F(TickTest, MissingDatesMeanTodayAndTomorrow) {
    // A record holding only its message: today 00:00 to tomorrow 00:00,
    // hourly. Read at 05:00, it is due.
    cfg::Write(store, cfg::ScheduleKey("Bare"), cfg::schedule::Message, "hello");
    TickAt(When(2026, 12, 8, 4, 59, 30));
    TickAt(When(2026, 12, 8, 5, 0));
    EXPECT_TRUE(Has(Take(), "show:[Bare:hello]"));
    EXPECT_EQ(Stored("Bare", "StartDate"), "(missing)");  // reading wrote nothing
}

TEST_F(TickTest, AMessageWithTheSeparatorArrivesWhole) {
    AddSchedule("Pipes", When(2026, 12, 8, 9, 30), When(2026, 12, 8, 9, 30), "01:00:00", 0, "disabled", 1,
                "a||b|c|");
    TickAt(When(2026, 12, 8, 9, 30));
    ASSERT_EQ(host.shown.size(), 1u);
    auto f = ParseReminderItem(host.shown[0][0]);
    EXPECT_EQ(f.message, "a||b|c|");
    EXPECT_EQ(f.name, "Pipes");
    EXPECT_EQ(f.description.rfind("Start:08/12/2026 09:30:00     [01:00:00/0disabled]     End:", 0), 0u)
        << f.description;
}

}  // namespace
}  // namespace pw::sched::test
