// The Windows file system under Wine: the shared contract, the ANSI code
// page of text lines, and files other programs hold open.
#include <windows.h>

#include "platform/win32/text.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_services.h"
#include "support/files_contract.inc"

namespace pw::contract {

INSTANTIATE_TEST_SUITE_P(Windows, FilesContract,
                         ::testing::Values(FileSystemFactory{
                             "win32", [] { return std::make_unique<win::WinFileSystem>(); },
                             [](const std::string& path, bool readOnly) {
                                 SetFileAttributesW(win::Widen(path).c_str(),
                                                    readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
                             }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace pw::contract

namespace pw {
namespace {

HANDLE OpenAs(const std::string& path, DWORD access, DWORD share) {
    return CreateFileW(win::Widen(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

class WinFiles : public ::testing::Test {
protected:
    test::TempDir tmp;
    win::WinFileSystem fs;
    std::string log = tmp.Path("plenwk.log");
};

TEST_F(WinFiles, LinesAreWrittenAndReadInTheAnsiCodePage) {
    const std::string text = "Gr\xc3\xbc\xc3\x9f" "e";  // "Grüße" in UTF-8
    ASSERT_TRUE(fs.AppendLine(log, text));
    EXPECT_EQ(test::ReadBytes(log), win::ToAnsi(text) + "\r\n");
    auto lines = fs.ReadLines(log);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, std::vector<std::string>{text});
    EXPECT_EQ(fs.FromFileText(win::ToAnsi(text)), text);
}

TEST_F(WinFiles, AViewerHoldingTheLogOpenDoesNotStopAppending) {
    test::WriteBytes(log, "a\r\n");
    HANDLE viewer = OpenAs(log, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(fs.AppendLine(log, "b"));
    CloseHandle(viewer);
    EXPECT_EQ(test::ReadBytes(log), "a\r\nb\r\n");
}

TEST_F(WinFiles, OthersCanReadTheLogWhileALineIsWritten) {
    // AppendLine's own sharing: while it holds the file, a reader gets in.
    test::WriteBytes(log, "a\r\n");
    HANDLE writer = CreateFileW(win::Widen(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0,
                                nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    HANDLE reader = OpenAs(log, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    CloseHandle(writer);
}

TEST_F(WinFiles, ALockedFileIsLeftAlone) {
    test::WriteBytes(log, "kept\r\n");
    HANDLE lock = OpenAs(log, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs.AppendLine(log, "lost"));
    EXPECT_EQ(fs.OpenReader(log), nullptr);
    if (auto w = fs.CreateReplacement(log)) {
        ASSERT_TRUE(w->Write("new"));
        EXPECT_FALSE(w->Commit());
    }
    CloseHandle(lock);
    EXPECT_EQ(test::ReadBytes(log), "kept\r\n");
    EXPECT_EQ(fs.ListFiles(tmp.Dir(), "*"), std::vector<std::string>{"plenwk.log"});
}

TEST_F(WinFiles, AReplacementKeepsTheAttributesOfTheFileItReplaces) {
    test::WriteBytes(log, "old");
    SetFileAttributesW(win::Widen(log).c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    auto w = fs.CreateReplacement(log);
    ASSERT_TRUE(w && w->Write("new") && w->Commit());
    EXPECT_TRUE(GetFileAttributesW(win::Widen(log).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(test::ReadBytes(log), "new");
}

TEST(WinShell, AFileThatDoesNotExistIsNotOpened) {
    win::WinShell shell;
    EXPECT_FALSE(shell.Open("C:\\no such folder\\plenwk.log"));
}

}  // namespace
}  // namespace pw
