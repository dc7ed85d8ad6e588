// The clock as it really moves: the computer sleeps, the thread blocks,
// the clock is corrected forward and back, daylight saving time begins and
// ends. Each row runs the tick second by second over stretches of UTC
// (nothing ticks in the holes between them) with the real reminder window
// and launcher behind it, and lists every window shown, every log line
// and every program started.
#include <optional>

#include "delivery_fixture.h"
#include "support/test_services.h"

namespace pw::sched::test {
namespace {

struct Schedule {
    const char* name;
    DateTime start;
    DateTime end;
    const char* period = "01:00:00";
    int cycleNumber = 0;
    const char* unit = "disabled";
    int type = 1;
    const char* message = "";
};

// A stretch of time the computer is awake, as UTC from..to.
struct Awake {
    DateTime from;
    DateTime to;
};

enum class Zone { Utc, CentralEurope };

struct Row {
    const char* what;
    Zone zone;
    std::vector<Schedule> schedules;
    std::vector<Awake> awake;
    // Each window as "[description|numbered message]..."; a due reminder's
    // description shows as "due".
    std::vector<std::string> shown;
    std::vector<std::string> logged;
    std::vector<std::string> started = {};
    int blockSeconds = 0;  // the first synchronization blocks the thread so long
    const char* startDateAfter = nullptr;  // the first schedule's StartDate at the end
};

DateTime At(int y, int mo, int d, int h, int mi, int s = 0) { return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0); }
DateTime Dec8(int h, int mi, int s = 0) { return At(2026, 12, 8, h, mi, s); }

// Central European time in 2026: summer time from 29 March 01:00 UTC to
// 25 October 01:00 UTC. The bias is what the clock reports: UTC - local.
int CentralEuropeBias(DateTime utc) {
    return utc >= At(2026, 3, 29, 1, 0) && utc < At(2026, 10, 25, 1, 0) ? -120 : -60;
}

class ClockJumps : public ::testing::Test {
protected:
    ClockJumps()
        : starter(events),
          launcher(starter, settings, [this](std::string_view m) { events.Add("log:" + std::string(m)); }),
          window(view, store, settings, [this](std::string_view m) { events.Add("log:" + std::string(m)); },
                 ProgramVersion{1, 0, 0, 0, "1.0.0.0"}),
          host(events, window, launcher, *this),
          sound(events) {
        window.FormCreate();
        settings.LogReminders = true;
        settings.LogLaunches = true;
        settings.SystemBeep = false;
    }

    // The synchronization step of a dead time server: the thread waits and
    // no tick runs until it gives up.
    class BlockingHost : public DeliveringHost {
    public:
        BlockingHost(Events& e, app::ReminderWindow& w, Launcher& l, ClockJumps& t) : DeliveringHost(e, w, l), test(t) {}
        void AutoSynchronize() override {
            if (test.blockSeconds <= 0) return;
            test.resumeAt = test.now + test.blockSeconds;
            test.blockSeconds = 0;
        }
        ClockJumps& test;
    };

    void Add(const Schedule& s) {
        WriteSchedule(store, locale, s.name, s.start, s.end, s.period, s.cycleNumber, s.unit, s.type, s.message);
    }

    // A fresh program for each row.
    void Run(const Row& row) {
        DeleteKey(store, cfg::kSchedulesKey);
        events.Clear();
        host.shown.clear();
        tick.emplace(TickContext{pw::test::Services(store, clock, locale, sound), settings, host});
        resumeAt = 0;
        blockSeconds = row.blockSeconds;
        for (const auto& s : row.schedules) Add(s);
        for (const auto& a : row.awake) {
            for (now = ToSeconds(a.from); now < ToSeconds(a.to); ++now) {
                if (now < resumeAt) continue;
                const DateTime utc = FromSeconds(now);
                clock.biasMinutes = row.zone == Zone::Utc ? 0 : CentralEuropeBias(utc);
                clock.local = utc - clock.biasMinutes / 1440.0;
                tick->ClockTimer();
            }
        }
    }

    std::vector<std::string> Shown() const { return ShownWindows(host.shown); }
    std::vector<std::string> WithPrefix(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& e : events.list)
            if (e.starts_with(prefix)) out.push_back(e.substr(prefix.size()));
        return out;
    }

    Events events;
    pw::test::TestStore store;
    pw::test::FakeClock clock;
    Locale locale = Locale::EnGB();
    cfg::GlobalSettings settings;
    pw::test::FakeReminderView view;
    RecordingStarter starter;
    Launcher launcher;
    app::ReminderWindow window;
    BlockingHost host;
    pw::test::FakeSound sound;
    std::optional<ClockTick> tick;
    Seconds now = 0;
    Seconds resumeAt = 0;
    int blockSeconds = 0;
};

TEST_F(ClockJumps, EveryKindOfJumpLosesNothingAndRepeatsNothing) {
    const std::vector<Row> rows = {
        {"asleep 3 hours over an hourly reminder",
         Zone::Utc,
         {{"Break", Dec8(8, 0), Dec8(18, 0)}},
         {{Dec8(9, 29, 58), Dec8(9, 30, 5)}, {Dec8(12, 30, 0), Dec8(12, 31, 0)}},
         {"[Missed: 08/12/2026 12:00:00 (3 times)|1.Break]"},
         {"Missed reminder:Break Due:08/12/2026 12:00:00 Count:3 Message:1.Break"}},
        {"asleep into a due minute: the missed and the due reminder in one window",
         Zone::Utc,
         {{"Break", Dec8(8, 0), Dec8(18, 0)}},
         {{Dec8(9, 29, 58), Dec8(9, 30, 5)}, {Dec8(13, 0, 20), Dec8(13, 1, 0)}},
         {"[Missed: 08/12/2026 12:00:00 (3 times)|1.Break][due|2.Break]"},
         {"Missed reminder:Break Due:08/12/2026 12:00:00 Count:3 Message:1.Break", "Reminder:Break Message:2.Break"}},
        {"woken in the same minute of the hour it fell asleep in: that minute still gets its pass",
         Zone::Utc,
         {{"Call", Dec8(11, 59), Dec8(11, 59)}},
         {{Dec8(9, 59, 30), Dec8(9, 59, 40)}, {Dec8(11, 59, 10), Dec8(12, 0, 0)}},
         {"[due|1.Call]"},
         {"Reminder:Call Message:1.Call"}},
        {"asleep 10 days over a daily reminder: only the last 7 days are looked at",
         Zone::Utc,
         {{"Daily", At(2026, 12, 1, 9, 0), At(2026, 12, 1, 9, 0), "00:00:00", 1, "days"}},
         {{At(2026, 12, 1, 10, 5, 0), At(2026, 12, 1, 10, 5, 5)}, {At(2026, 12, 11, 10, 5, 30), At(2026, 12, 11, 10, 6)}},
         {"[Missed: 11/12/2026 09:00:00 (7 times)|1.Daily]"},
         {"Missed reminder:Daily Due:11/12/2026 09:00:00 Count:7 Message:1.Daily"},
         {},
         0,
         "12/12/2026"},
        {"clock corrected 5 minutes forward over a due minute",
         Zone::Utc,
         {{"Call", Dec8(10, 0), Dec8(10, 0)}},
         {{Dec8(9, 58, 0), Dec8(9, 58, 30)}, {Dec8(10, 3, 30), Dec8(10, 4, 10)}},
         {"[Missed: 08/12/2026 10:00:00|1.Call]"},
         {"Missed reminder:Call Due:08/12/2026 10:00:00 Count:1 Message:1.Call"}},
        {"clock corrected 2 minutes back across a due minute: it fires once",
         Zone::Utc,
         {{"Call", Dec8(10, 0), Dec8(10, 0)}, {"Tool", Dec8(10, 0), Dec8(10, 0), "00:00:00", 0, "disabled", 0, "tool.exe"}},
         {{Dec8(9, 59, 30), Dec8(10, 0, 30)}, {Dec8(9, 58, 30), Dec8(10, 2, 0)}},
         {"[due|1.Call]"},
         {"Schedule:Tool Program:tool.exe", "Reminder:Call Message:1.Call"},
         {"tool.exe||1"}},
        {"a launch due while asleep is not started, but logged and listed",
         Zone::Utc,
         {{"Backup", Dec8(10, 0), Dec8(10, 0), "00:00:00", 0, "disabled", 0, "backup.exe /all"}},
         {{Dec8(9, 30, 0), Dec8(9, 30, 5)}, {Dec8(11, 0, 0), Dec8(11, 0, 10)}},
         {"[Missed launch: 08/12/2026 10:00:00|1.Not started at 08/12/2026 10:00:00: backup.exe /all]"},
         {"Missed launch:Backup Due:08/12/2026 10:00:00 Program:backup.exe /all"}},
        {"spring: 02:30 does not exist and is shown as missed at 03:00",
         Zone::CentralEurope,
         {{"Half past two", At(2026, 3, 29, 2, 30), At(2026, 3, 29, 2, 30)},
          {"Three", At(2026, 3, 29, 3, 0), At(2026, 3, 29, 3, 0)}},
         {{At(2026, 3, 29, 0, 58, 50), At(2026, 3, 29, 1, 1, 0)}},  // 01:58:50 CET to 03:01 CEST
         {"[Missed: 29/03/2026 02:30:00|1.Half past two][due|2.Three]"},
         {"Missed reminder:Half past two Due:29/03/2026 02:30:00 Count:1 Message:1.Half past two",
          "Reminder:Three Message:2.Three"}},
        {"autumn: the hour that happens twice fires once",
         Zone::CentralEurope,
         {{"Hourly", At(2026, 10, 25, 0, 0), At(2026, 10, 25, 6, 0)},
          {"Half past two", At(2026, 10, 25, 2, 30), At(2026, 10, 25, 2, 30)}},
         {{At(2026, 10, 24, 23, 59, 50), At(2026, 10, 25, 2, 1, 0)}},  // 01:59:50 CEST to 03:01 CET
         {"[due|1.Hourly]", "[due|1.Half past two]", "[due|1.Hourly]"},
         {"Reminder:Hourly Message:1.Hourly", "Reminder:Half past two Message:1.Half past two",
          "Reminder:Hourly Message:1.Hourly"}},
        {"clock ran a month ahead and is corrected back: schedules fire again",
         Zone::Utc,
         {{"Call", Dec8(10, 0), Dec8(10, 0)}},
         {{At(2027, 1, 8, 9, 59, 50), At(2027, 1, 8, 10, 0, 10)}, {Dec8(9, 59, 30), Dec8(10, 0, 30)}},
         {"[due|1.Call]"},
         {"Reminder:Call Message:1.Call"}},
        {"a dead time server blocks the thread 10 s across a due minute",
         Zone::Utc,
         {{"Call", Dec8(10, 0), Dec8(10, 0)}},
         {{Dec8(9, 59, 52), Dec8(10, 1, 0)}},
         {"[due|1.Call]"},
         {"Reminder:Call Message:1.Call"},
         {},
         10},
        {"time servers block the thread past the whole due minute",
         Zone::Utc,
         {{"Call", Dec8(10, 0), Dec8(10, 0)}},
         {{Dec8(9, 59, 52), Dec8(10, 2, 0)}},
         {"[Missed: 08/12/2026 10:00:00|1.Call]"},
         {"Missed reminder:Call Due:08/12/2026 10:00:00 Count:1 Message:1.Call"},
         {},
         70},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Run(row);
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(WithPrefix("log:"), row.logged);
        EXPECT_EQ(WithPrefix("start:"), row.started);
        if (row.startDateAfter) {
            EXPECT_EQ(ReadRegString(store, cfg::ScheduleKey(row.schedules[0].name), "StartDate", ""),
                      row.startDateAfter);
        }
    }
}

}  // namespace
}  // namespace pw::sched::test
