// The clock tick writing through the event log: the hourly trim and the
// line for a deleted schedule end up in the file.
#include <gtest/gtest.h>

#include <algorithm>

#include "log/log.h"
#include "platform/posix/posix_files.h"
#include "sched/tick_fixture.h"
#include "support/temp_dir.h"
#include "support/test_services.h"

namespace pw::log {
namespace {

// What the clock window will do with the tick's log calls.
class LoggingHost : public sched::test::RecordingHost {
public:
    LoggingHost(pw::test::Events& e, EventLog& log, const cfg::GlobalSettings& s)
        : RecordingHost(e), log_(log), settings_(s) {}
    void TrimLog() override {
        RecordingHost::TrimLog();
        log_.Trim(settings_.TrimLogDays);
    }
    void WriteLogLine(std::string_view m) override { log_.Write(m); }

private:
    EventLog& log_;
    const cfg::GlobalSettings& settings_;
};

class LogTick : public sched::test::TickTest {
protected:
    std::string File() { return pw::test::ReadBytes(path); }

    pw::test::TempDir tmp;
    posix::PosixFileSystem fs;
    std::string path = tmp.Path("plenwk.log");
    EventLog log{fs, clock, locale, path};
    LoggingHost logHost{events, log, settings};
    sched::ClockTick logTick{sched::TickContext{pw::test::Services(store, clock, locale, sound), settings, logHost}};
};

TEST_F(LogTick, TheLogIsTrimmedOnceAnHourAtMinuteZero) {
    settings.AutoTrimLog = true;
    settings.TrimLogDays = 0;
    const std::string old = LogLine(When(2026, 12, 7, 23, 0), locale, "old") + "\r\n";
    pw::test::WriteBytes(path, old);
    for (DateTime t = When(2026, 12, 8, 9, 58); t < When(2026, 12, 8, 10, 2); t += 1.0 / 86400) {
        clock.local = t;
        logTick.ClockTimer();
    }
    auto ev = Take();
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "trim"), 1);
    EXPECT_EQ(File(), "08/12/2026 10:00:00 - Log file trimmed\r\n");
}

TEST_F(LogTick, ADeletedScheduleIsLoggedWithEveryLogSwitchOff) {
    settings.AutoDelSched = true;
    settings.DelSchedDays = 30;
    ASSERT_FALSE(settings.AnyLogSwitch());
    AddSchedule("Old", When(2026, 11, 1, 9, 0), When(2026, 11, 8, 9, 0));
    clock.local = When(2026, 12, 8, 9, 1, 30);
    logTick.ClockTimer();
    EXPECT_EQ(File(), "08/12/2026 09:01:30 - Schedule deleted: Old\r\n");
}

}  // namespace
}  // namespace pw::log
