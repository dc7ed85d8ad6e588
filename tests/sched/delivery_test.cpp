// The clock tick with the real reminder window logic and launcher behind
// its host, as the program wires them: due reminders reach the window
// numbered in walk order with their alerts, due programs start during the
// walk, and both are logged by their switches.
#include <gtest/gtest.h>

#include "delivery_fixture.h"
#include "log/log.h"
#include "platform/posix/posix_files.h"
#include "support/temp_dir.h"
#include "support/test_services.h"

namespace pw::sched::test {
namespace {

class DeliveryTest : public ::testing::Test, protected DeliveryParts {
protected:
    DeliveryTest() : tick(TickContext{pw::test::Services(store, clock, locale, sound), settings, host}) {}

    void AddAt(const std::string& name, int h, int m, int type, const std::string& message) {
        auto key = cfg::ScheduleKey(name);
        const DateTime day = EncodeDate(2026, 12, 8);
        cfg::Write(store, key, cfg::schedule::StartDate, DateToText(day, locale));
        cfg::Write(store, key, cfg::schedule::StartTime, TimeToText(EncodeTime(h, m, 0, 0), locale));
        cfg::Write(store, key, cfg::schedule::EndDate, DateToText(day, locale));
        cfg::Write(store, key, cfg::schedule::EndTime, TimeToText(EncodeTime(h, m, 0, 0), locale));
        cfg::Write(store, key, cfg::schedule::ScheduleType, type);
        cfg::Write(store, key, cfg::schedule::Message, message);
    }
    void TickAt(int h, int m, int s = 0) {
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(h, m, s, 0);
        tick.ClockTimer();
    }
    ClockTick tick;
};

TEST_F(DeliveryTest, DueRemindersAndProgramsOfOneMinute) {
    settings.LogReminders = true;
    settings.LogLaunches = true;
    settings.SystemBeep = true;
    AddAt("A", 9, 30, 1, "First");
    AddAt("B", 9, 30, 0, "tool.exe /x");
    cfg::Write(store, cfg::ScheduleKey("B"), cfg::schedule::WindowState, "minimized");
    cfg::Write(store, cfg::ScheduleKey("B"), cfg::schedule::WorkingDir, "C:\\Work");
    AddAt("C", 9, 30, 1, "Second||with pipes");
    AddAt("D", 9, 30, 0, "missing.exe");
    cfg::Write(store, cfg::kSettingsKey, cfg::global::MsgDisplayTime, 20);
    TickAt(9, 29, 59);
    events.Clear();

    TickAt(9, 30);
    EXPECT_EQ(events.list,
              (std::vector<std::string>{
                  "sync", "caption:Schedules: 4", "beep", "start:tool.exe /x|C:\\Work|2",
                  "log:Schedule:B Program:tool.exe /x", "beep", "start:missing.exe||1",
                  "log:Schedule:D Program:missing.exe <<<<<<<< ERROR >>>>>>>>", "show",
                  "log:Reminder:A Message:1.First", "log:Reminder:C Message:2.Second||with pipes"}));
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.caption, "Reminders: 2");
    ASSERT_EQ(view.lines.size(), 6u);
    EXPECT_EQ(view.lines[0].text, "Start:08/12/2026 09:30:00     [01:00:00/0disabled]     End:08/12/2026 09:30:00");
    EXPECT_EQ(view.lines[1].text, "1.First");
    EXPECT_EQ(view.lines[4].text, "2.Second||with pipes");
    EXPECT_EQ(window.CountdownSeconds(), 20);
}

// The two parts' lines as the event log writes them, with the time stamp.
TEST(DeliveryLog, LinesReachTheEventLogWithTheirTimeStamps) {
    pw::test::TempDir dir;
    posix::PosixFileSystem fs;
    pw::test::FakeClock clock;
    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(7, 0, 0, 0);
    const Locale locale = Locale::EnGB();
    log::EventLog eventLog(fs, clock, locale, log::LogFilePath(dir.Dir()));
    const LogLineWriter writer = [&eventLog](std::string_view m) { eventLog.Write(m); };

    cfg::GlobalSettings settings;
    settings.LogReminders = true;
    settings.LogLaunches = true;
    Events events;
    RecordingStarter starter(events);
    Launcher launcher(starter, settings, writer);
    pw::test::TestStore store;
    pw::test::FakeReminderView view;
    app::ReminderWindow window(view, store, settings, writer, ProgramVersion{});
    window.FormCreate();

    launcher.LaunchProgram("Backup", "C:\\Tools\\backup.exe /all", "", "normal");
    launcher.LaunchProgram("Gone", "missing.exe", "", "normal");
    window.ShowReminders({MakeReminderItem("Tea", "Start:x", "Break")});
    EXPECT_EQ(pw::test::ReadBytes(eventLog.Path()),
              "08/12/2026 07:00:00 - Schedule:Backup Program:C:\\Tools\\backup.exe /all\r\n"
              "08/12/2026 07:00:00 - Schedule:Gone Program:missing.exe <<<<<<<< ERROR >>>>>>>>\r\n"
              "08/12/2026 07:00:00 - Reminder:Break Message:1.Tea\r\n");
}

}  // namespace
}  // namespace pw::sched::test
