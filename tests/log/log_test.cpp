// The event log on real files in a scratch directory: line format,
// trimming by date, the two commands, and the faults a log meets.
#include "log/log.h"

#include <gtest/gtest.h>

#include "common/datefmt.h"
#include "app/log_commands.h"
#include "platform/posix/posix_files.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/fault_files.h"
#include "support/temp_dir.h"

namespace pw::log {
namespace {

using Status = TrimOutcome::Status;

DateTime When(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

TEST(LogFormat, PathLineAndBanner) {
    EXPECT_EQ(LogFilePath("C:\\Program Files\\Plenwick\\"), "C:\\Program Files\\Plenwick\\plenwk.log");
    EXPECT_EQ(LogFilePath("C:\\Plenwick"), "C:\\Plenwick\\plenwk.log");
    EXPECT_EQ(LogFilePath("/opt/pw/"), "/opt/pw/plenwk.log");

    const DateTime t = When(2026, 12, 8, 6, 30, 5);
    EXPECT_EQ(LogLine(t, Locale::EnGB(), "Log file trimmed"), "08/12/2026 06:30:05 - Log file trimmed");
    EXPECT_EQ(LogLine(When(2026, 3, 4, 18, 5, 9), Locale::EnUS(), "x"), "3/4/2026 18:05:09 - x");
    EXPECT_EQ(StartBanner(t, Locale::DeDE()), "08.12.2026 06:30:05 Started Plenwick -------------------------");
}

class LogTest : public ::testing::Test {
protected:
    LogTest() { clock.local = When(2026, 12, 8, 6, 30, 5); }

    // A log line dated y-mo-d as the time stamp writes it.
    std::string L(int y, int mo, int d, std::string_view msg = "Reminder:x Message:1.hello") {
        return LogLine(When(y, mo, d, 12, 0, 0), locale, msg) + "\r\n";
    }
    std::string TrimmedLine() { return LogLine(clock.local, locale, "Log file trimmed") + "\r\n"; }
    TrimOutcome Trim(int days) { return TrimLog(fs, locale, path, clock.local, days); }
    std::string Content() { return test::ReadBytes(path); }
    void SetContent(std::string_view s) { test::WriteBytes(path, s); }

    test::TempDir tmp;
    posix::PosixFileSystem real;
    test::FaultyFileSystem fs{real};
    test::FakeClock clock;
    Locale locale = Locale::EnGB();
    std::string path = tmp.Path("plenwk.log");
    EventLog log{fs, clock, locale, path};
};

TEST_F(LogTest, TwoLinesInTheSameSecondKeepTheirOrder) {
    log.Write("first");
    log.Write("second");
    EXPECT_EQ(Content(), "08/12/2026 06:30:05 - first\r\n08/12/2026 06:30:05 - second\r\n");
}

TEST_F(LogTest, ALineBreakInAMessageIsWrittenAsABlank) {
    struct Case {
        const char* message;
        const char* written;
    } cases[] = {
        {"Reminder:a Message:1.first\r\nsecond", "Reminder:a Message:1.first second"},
        {"one\rtwo", "one two"},
        {"one\ntwo", "one two"},
        {"one\n\rtwo", "one  two"},
        {"one\r\n\r\ntwo\r\n", "one  two "},
        {"\r\n", " "},
        {"no break", "no break"},
    };
    for (const auto& c : cases) {
        real.Remove(path);
        log.Write(c.message);
        EXPECT_EQ(Content(), std::string("08/12/2026 06:30:05 - ") + c.written + "\r\n") << c.message;
    }
}

TEST_F(LogTest, AnEventWithALineBreakIsTrimmedWhole) {
    // Written a month ago, the event is one dated line and goes whole; its
    // second half cannot stay behind as a line of its own.
    clock.local = When(2026, 11, 1, 9, 0, 0);
    log.Write("Reminder:a Message:1.first\r\nsecond");
    clock.local = When(2026, 12, 8, 6, 30, 5);
    log.Write("today\nagain");
    EXPECT_EQ(Trim(30).removedLines, 1u);
    EXPECT_EQ(Content(), "08/12/2026 06:30:05 - today again\r\n" + TrimmedLine());
}

TEST_F(LogTest, TheBannerComesOnlyWithALogSwitchOn) {
    struct Case {
        bool launches, reminders, netTime, banner;
    } cases[] = {
        {false, false, false, false},
        {true, false, false, true},
        {false, true, false, true},
        {false, false, true, true},
    };
    for (const auto& c : cases) {
        real.Remove(path);
        cfg::GlobalSettings s;
        s.LogLaunches = c.launches;
        s.LogReminders = c.reminders;
        s.LogNetTime = c.netTime;
        WriteStartBannerIfLogging(log, s);
        EXPECT_EQ(real.FileExists(path), c.banner);
        if (c.banner) {
            EXPECT_EQ(Content(), "08/12/2026 06:30:05 Started Plenwick -------------------------\r\n");
        }
    }
}

TEST_F(LogTest, LinesBeforeTheCutoffGoAndTheCutoffDayStays) {
    // Today is 8 December; 30 days back is 8 November.
    SetContent(L(2026, 11, 6) + L(2026, 11, 7) + L(2026, 11, 8) + L(2026, 12, 8));
    auto out = Trim(30);
    EXPECT_EQ(out.status, Status::Trimmed);
    EXPECT_EQ(out.removedLines, 2u);
    EXPECT_EQ(Content(), L(2026, 11, 8) + L(2026, 12, 8) + TrimmedLine());
}

TEST_F(LogTest, TheTimeOfDayDoesNotCount) {
    std::string lateOnTheLastOldDay = LogLine(When(2026, 12, 7, 23, 59, 59), locale, "late") + "\r\n";
    std::string earlyToday = LogLine(When(2026, 12, 8, 0, 0, 0), locale, "early") + "\r\n";
    SetContent(lateOnTheLastOldDay + earlyToday);
    Trim(0);
    EXPECT_EQ(Content(), earlyToday + TrimmedLine());
}

TEST_F(LogTest, ZeroDaysKeepsTodayAndANegativeValueCountsAsZero) {
    for (int days : {0, -5}) {
        SetContent(L(2026, 12, 7) + L(2026, 12, 8, "a") + L(2026, 12, 8, "b"));
        Trim(days);
        EXPECT_EQ(Content(), L(2026, 12, 8, "a") + L(2026, 12, 8, "b") + TrimmedLine()) << days;
    }
}

TEST_F(LogTest, ARecentFirstLineLeavesTheFileUntouched) {
    std::string content = L(2026, 12, 1) + L(2020, 1, 1) + "\r\n";
    SetContent(content);
    EXPECT_EQ(Trim(30).status, Status::Unchanged);
    EXPECT_EQ(Content(), content);
    EXPECT_EQ(fs.counts.replacements, 0);
    EXPECT_EQ(fs.counts.appends, 0);
}

TEST_F(LogTest, OnlyOldLinesLeaveTheTrimmedLineAlone) {
    SetContent(L(2025, 1, 1) + L(2025, 6, 1) + "\r\n" + L(2026, 1, 1));
    Trim(30);
    EXPECT_EQ(Content(), TrimmedLine());
}

TEST_F(LogTest, LinesWithoutADateAtTheTopGo) {
    SetContent("\r\n   indented\r\nnoblank\r\n" + L(2026, 12, 8));
    EXPECT_EQ(Trim(30).removedLines, 3u);
    EXPECT_EQ(Content(), L(2026, 12, 8) + TrimmedLine());
}

TEST_F(LogTest, AnOldLineBelowARecentOneStays) {
    SetContent(L(2025, 1, 1) + L(2026, 12, 1) + L(2025, 1, 1) + "\r\n");
    Trim(30);
    EXPECT_EQ(Content(), L(2026, 12, 1) + L(2025, 1, 1) + "\r\n" + TrimmedLine());
}

TEST_F(LogTest, AnEmptyFileStaysEmptyAndUsable) {
    SetContent("");
    EXPECT_EQ(Trim(30).status, Status::Unchanged);
    EXPECT_EQ(Content(), "");
    log.Write("next");
    EXPECT_EQ(Content(), "08/12/2026 06:30:05 - next\r\n");
}

TEST_F(LogTest, NoLogFileIsNotCreated) {
    EXPECT_EQ(Trim(30).status, Status::NoFile);
    EXPECT_FALSE(real.FileExists(path));
}

TEST_F(LogTest, LinesInAnotherDateFormatAreKeptUntilAnOldLineFollows) {
    // Written before the user switched from US to British dates.
    Locale us = Locale::EnUS();
    std::string usOld = LogLine(When(2025, 1, 20), us, "us") + "\r\n";  // "1/20/2025": no such month
    {
        SetContent(usOld + L(2026, 12, 1));
        EXPECT_EQ(Trim(30).status, Status::Unchanged);
        EXPECT_EQ(Content(), usOld + L(2026, 12, 1));
    }
    {
        SetContent(usOld + usOld + L(2026, 1, 1) + usOld + L(2026, 12, 1));
        Trim(30);
        EXPECT_EQ(Content(), usOld + L(2026, 12, 1) + TrimmedLine());
    }
    {
        SetContent("garbage here\r\nmore garbage\r\n");
        EXPECT_EQ(Trim(30).status, Status::Unchanged);
    }
}

TEST_F(LogTest, AShortDateWithBlanksIsReadWhole) {
    locale.shortDatePattern = "d. m. yyyy";
    locale.dateSeparator = ".";
    ASSERT_EQ(L(2026, 11, 6), "6. 11. 2026 12:00:00 - Reminder:x Message:1.hello\r\n");
    SetContent(L(2026, 11, 6) + L(2026, 11, 7) + L(2026, 12, 1) + L(2026, 1, 1));
    Trim(30);
    EXPECT_EQ(Content(), L(2026, 12, 1) + L(2026, 1, 1) + TrimmedLine());
}

TEST_F(LogTest, DatesWithMonthNamesAreRead) {
    locale.shortDatePattern = "dd-mmm-yyyy";
    locale.dateSeparator = "-";
    SetContent(L(2026, 3, 1) + L(2026, 12, 8));
    ASSERT_EQ(Content().substr(0, 11), "01-Mar-2026");
    Trim(30);
    EXPECT_EQ(Content(), L(2026, 12, 8) + TrimmedLine());
}

TEST_F(LogTest, AFailedTrimLeavesTheLogWholeAndLogsNothing) {
    struct Case {
        const char* what;
        test::FileFaults fail;
    } cases[] = {
        {"locked", {.openReader = true}},
        {"disk full", {.diskSpace = 10}},
        {"replacement refused", {.createReplacement = true}},
    };
    const std::string content = L(2025, 1, 1) + L(2026, 12, 8) + L(2026, 12, 8, "more");
    for (const auto& c : cases) {
        SetContent(content);
        fs.fail = c.fail;
        fs.counts = {};
        EXPECT_EQ(Trim(30).status, Status::Failed) << c.what;
        EXPECT_EQ(Content(), content) << c.what;
        EXPECT_EQ(fs.counts.appends, 0) << c.what;
    }
}

TEST_F(LogTest, ALineThatCannotBeWrittenIsLostAndTheNextOneIsNot) {
    fs.fail.append = true;
    log.Write("lost");
    fs.fail = {};
    log.Write("kept");
    EXPECT_EQ(Content(), "08/12/2026 06:30:05 - kept\r\n");
}

class LogCommands : public LogTest {
protected:
    test::Events events;
    test::FakeSound sound{events};
    test::FakeMessageBoxes boxes{events};
    test::FakeShell shell{events};
    cfg::GlobalSettings settings;
};

TEST_F(LogCommands, TrimNowAlwaysSaysTrimmedUnlessItFailed) {
    using V = std::vector<std::string>;
    app::butTrimLogClick(log, settings, sound, boxes);
    EXPECT_EQ(events.list, (V{"beep", "box:Log file trimmed."}));
    EXPECT_FALSE(real.FileExists(path));

    events.Clear();
    SetContent(L(2026, 12, 8));
    app::butTrimLogClick(log, settings, sound, boxes);
    EXPECT_EQ(events.list, (V{"beep", "box:Log file trimmed."}));

    events.Clear();
    settings.TrimLogDays = 0;
    SetContent(L(2026, 12, 7) + L(2026, 12, 8));
    app::butTrimLogClick(log, settings, sound, boxes);
    EXPECT_EQ(Content(), L(2026, 12, 8) + TrimmedLine());

    events.Clear();
    SetContent(L(2026, 12, 7) + L(2026, 12, 8));
    fs.fail.openReader = true;
    app::butTrimLogClick(log, settings, sound, boxes);
    EXPECT_EQ(events.list, (V{"beep", std::string("box:") + app::kTrimFailedNotice}));
}

TEST_F(LogCommands, LogFileOpensTheLogOrSaysItIsMissing) {
    using V = std::vector<std::string>;
    app::mnuLogFileClick(log, shell, sound, boxes);
    EXPECT_EQ(events.list, (V{"beep", "box:Log file not found"}));

    events.Clear();
    log.Write("x");
    shell.succeed = false;  // no viewer for .log files: nothing more happens
    app::mnuLogFileClick(log, shell, sound, boxes);
    EXPECT_EQ(events.list, (V{"open:" + path}));
}

}  // namespace
}  // namespace pw::log
