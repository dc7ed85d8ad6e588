// The event log on Windows files under Wine: trimming, and the log held
// by other programs or marked read-only.
#include <windows.h>

#include "app/log_commands.h"
#include "log/log.h"
#include "platform/win32/text.h"
#include "platform/win32/win_files.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

namespace pw::log {
namespace {

using Status = TrimOutcome::Status;

class WinLog : public ::testing::Test {
protected:
    WinLog() {
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(6, 30, 5, 0);
        old = LogLine(EncodeDate(2026, 1, 1), locale, "old") + "\r\n";
        recent = LogLine(EncodeDate(2026, 12, 7), locale, "recent") + "\r\n";
        test::WriteBytes(path, old + old + recent);
    }
    HANDLE Open(DWORD access, DWORD share) {
        return CreateFileW(win::Widen(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    std::string Trimmed() { return LogLine(clock.local, locale, "Log file trimmed") + "\r\n"; }

    test::TempDir tmp;
    win::WinFileSystem fs;
    test::FakeClock clock;
    Locale locale = Locale::EnGB();
    std::string path = LogFilePath(tmp.Dir());
    EventLog log{fs, clock, locale, path};
    std::string old, recent;
};

TEST_F(WinLog, TrimsAndLogsTheTrim) {
    EXPECT_EQ(log.Trim(30).status, Status::Trimmed);
    EXPECT_EQ(test::ReadBytes(path), recent + Trimmed());
    EXPECT_EQ(fs.ListFiles(tmp.Dir(), "*"), std::vector<std::string>{"plenwk.log"});
}

TEST_F(WinLog, ALockedLogIsNeitherTrimmedNorWritten) {
    HANDLE lock = Open(GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(log.Trim(30).status, Status::Failed);
    log.Write("lost");
    CloseHandle(lock);
    EXPECT_EQ(test::ReadBytes(path), old + old + recent);
    log.Write("after");
    EXPECT_EQ(test::ReadBytes(path), old + old + recent + LogLine(clock.local, locale, "after") + "\r\n");
}

TEST_F(WinLog, AViewerThatKeepsTheLogOpenBlocksOnlyTheReplacement) {
    HANDLE viewer = Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(log.Trim(30).status, Status::Failed);
    log.Write("seen");
    CloseHandle(viewer);
    EXPECT_EQ(test::ReadBytes(path), old + old + recent + LogLine(clock.local, locale, "seen") + "\r\n");
    EXPECT_EQ(fs.ListFiles(tmp.Dir(), "*"), std::vector<std::string>{"plenwk.log"});
}

TEST_F(WinLog, AReadOnlyLogStaysWhole) {
    SetFileAttributesW(win::Widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(log.Trim(30).status, Status::Failed);
    log.Write("lost");
    SetFileAttributesW(win::Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadBytes(path), old + old + recent);
}

TEST_F(WinLog, AMissingFolderLosesTheLineAndNothingElse) {
    EventLog nowhere{fs, clock, locale, LogFilePath(tmp.Path("gone"))};
    nowhere.Write("lost");
    nowhere.WriteStartBanner();
    EXPECT_EQ(nowhere.Trim(30).status, Status::NoFile);
    EXPECT_FALSE(fs.DirectoryExists(tmp.Path("gone")));
}

TEST_F(WinLog, TrimNowWithoutALogCreatesNone) {
    test::Events events;
    test::FakeSound sound(events);
    test::FakeMessageBoxes boxes(events);
    fs.Remove(path);
    app::butTrimLogClick(log, cfg::GlobalSettings{}, sound, boxes);
    EXPECT_EQ(events.list, (std::vector<std::string>{"beep", "box:Log file trimmed."}));
    EXPECT_FALSE(fs.FileExists(path));
}

}  // namespace
}  // namespace pw::log
