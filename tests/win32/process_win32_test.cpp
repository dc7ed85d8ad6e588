// Real process creation under Wine: the probe program reports what it was
// started with, so the show command, the working directory rule and the
// command line can be checked on the process itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/text.h"
#include "sched/launch.h"

namespace pw::win {
namespace {

// The startup information the launcher hands over is the one of its own
// build: 68 bytes in plenwick.exe, 104 in the 64-bit test build.
static_assert(sizeof(STARTUPINFOW) == (sizeof(void*) == 4 ? 68 : 104));

std::wstring ExeDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

class LaunchWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"pw_launch_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
        probe_ = ExeDir() + L"launch_probe.exe";
        ASSERT_NE(GetFileAttributesW(probe_.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(probe_);
    }
    void TearDown() override {
        for (const auto& f : files_) DeleteFileW(f.c_str());
        RemoveDirectoryW(dir_.c_str());
    }

    // A fresh report file for one launch.
    std::wstring ReportFile() {
        files_.push_back(dir_ + L"\\report" + std::to_wstring(files_.size()) + L".txt");
        return files_.back();
    }
    // The probe's report, waited for (the launcher itself never waits).
    std::map<std::string, std::string> Report(const std::wstring& file) {
        for (int i = 0; i < 200 && GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        std::map<std::string, std::string> r;
        std::ifstream in(file.c_str());
        std::string line;
        while (std::getline(in, line)) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) r[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return r;
    }
    std::string Command(const std::wstring& program, const std::wstring& report) {
        return Narrow(L"\"" + program + L"\" \"" + report + L"\"");
    }

    std::wstring dir_;
    std::wstring probe_;
    std::vector<std::wstring> files_;
    cfg::GlobalSettings settings;
    std::vector<std::string> logged;
    sched::LogLineWriter log = [this](std::string_view m) { logged.emplace_back(m); };
    WinProcessStarter starter;
};

bool SamePath(const std::string& a, const std::wstring& b) {
    return CompareStringOrdinal(Widen(a).c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

TEST_F(LaunchWin32Test, EachWindowStateReachesTheProgram) {
    settings.LogLaunches = true;
    struct Case {
        const char* state;
        int show;
    };
    for (Case c : {Case{"normal", SW_SHOWNORMAL}, Case{"minimized", SW_SHOWMINIMIZED},
                   Case{"maximized", SW_SHOWMAXIMIZED}, Case{"hidden", SW_HIDE}, Case{"other", SW_SHOWNORMAL}}) {
        const std::wstring report = ReportFile();
        const std::string cmd = Command(probe_, report);
        logged.clear();
        ASSERT_TRUE(sched::LaunchProgram(starter, settings, log, "Probe", cmd, Narrow(dir_), c.state)) << c.state;
        auto r = Report(report);
        EXPECT_EQ(r["show"], std::to_string(c.show)) << c.state;
        EXPECT_TRUE(std::stoi(r["flags"]) & STARTF_USESHOWWINDOW) << c.state;
        EXPECT_EQ(r["cmd"], cmd) << c.state;
        EXPECT_TRUE(SamePath(r["dir"], dir_)) << r["dir"];
        EXPECT_EQ(logged, (std::vector<std::string>{"Schedule:Probe Program:" + cmd}));
    }
}

TEST_F(LaunchWin32Test, ABlankWorkingDirectoryIsNone) {
    wchar_t own[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, own);
    for (const char* blank : {"", "   "}) {
        const std::wstring report = ReportFile();
        StartProcess(Command(probe_, report), blank, sched::ShowCommand::Hide);
        auto r = Report(report);
        EXPECT_TRUE(SamePath(r["dir"], std::wstring(own, n))) << '"' << blank << "\" gave " << r["dir"];
    }
}

TEST_F(LaunchWin32Test, TheSystemAddsExeToAProgramWithoutExtension) {
    const std::wstring report = ReportFile();
    const std::wstring bare = probe_.substr(0, probe_.size() - 4);
    EXPECT_TRUE(sched::LaunchProgram(starter, settings, log, "Bare", Command(bare, report), "", "hidden"));
    EXPECT_FALSE(Report(report)["cmd"].empty());
}

TEST_F(LaunchWin32Test, AMissingProgramGivesFalseTheErrorLineAndTheSystemsText) {
    settings.LogLaunches = true;
    const std::string cmd = Narrow(dir_) + "\\no such program.exe /x";
    EXPECT_FALSE(sched::LaunchProgram(starter, settings, log, "Gone", cmd, "", "normal"));
    EXPECT_EQ(logged, (std::vector<std::string>{"Schedule:Gone Program:" + cmd + " <<<<<<<< ERROR >>>>>>>>"}));

    try {
        StartProcess("pw_surely_missing_program_4711.exe", "", sched::ShowCommand::Normal);
        FAIL() << "no error";
    } catch (const ProcessError& e) {
        wchar_t buffer[2048];
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                       ERROR_FILE_NOT_FOUND, 0, buffer, 2048, nullptr);
        ASSERT_GT(n, 0u);
        const std::string system = Narrow(std::wstring_view(buffer, n));
        EXPECT_EQ(std::string(e.what()), "Create Process Error #2: " + system);
        EXPECT_EQ(system, SystemErrorMessage(2));
        EXPECT_TRUE(system.ends_with("\r\n")) << system;
    }
}

TEST_F(LaunchWin32Test, ABadWorkingDirectoryIsAnError) {
    const std::wstring report = ReportFile();
    try {
        StartProcess(Command(probe_, report), Narrow(dir_) + "\\not here", sched::ShowCommand::Normal);
        FAIL() << "no error";
    } catch (const ProcessError& e) {
        const std::string text = e.what();
        EXPECT_TRUE(text.starts_with("Create Process Error #")) << text;
        const unsigned long number = std::stoul(text.substr(22));
        EXPECT_EQ(text, sched::CreateProcessErrorText(number, SystemErrorMessage(number)));
    }
}

TEST(SystemErrorMessage, UnknownNumbersGiveNoText) {
    EXPECT_EQ(SystemErrorMessage(0x2FFFFFFF), "");
    EXPECT_FALSE(SystemErrorMessage(5).empty());  // access denied
}

}  // namespace
}  // namespace pw::win
