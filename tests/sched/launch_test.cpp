#include "sched/launch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/errors.h"

namespace pw::sched {
namespace {

// Records each start; fails for the command lines it is told to.
class FakeStarter : public ProcessStarter {
public:
    struct Start {
        std::string commandLine;
        std::string workingDir;
        ShowCommand show;
    };
    void StartProcess(std::string_view cmd, std::string_view dir, ShowCommand show) override {
        starts.push_back({std::string(cmd), std::string(dir), show});
        if (cmd == failWith) throw ProcessError(CreateProcessErrorText(2, "The system cannot find the file specified.\r\n"));
        if (cmd == throwOther) throw std::runtime_error("something else");
    }
    std::vector<Start> starts;
    std::string failWith = "missing.exe";
    std::string throwOther = "odd.exe";
};

class LaunchTest : public ::testing::Test {
protected:
    bool Launch(std::string_view name, std::string_view cmd, std::string_view dir = "",
                std::string_view state = "normal") {
        return LaunchProgram(starter, settings, log, name, cmd, dir, state);
    }
    FakeStarter starter;
    cfg::GlobalSettings settings;
    std::vector<std::string> logged;
    LogLineWriter log = [this](std::string_view m) { logged.emplace_back(m); };
};

TEST_F(LaunchTest, WindowStatesNameTheShowCommands) {
    struct Case {
        const char* state;
        ShowCommand show;
    };
    for (Case c : {Case{"normal", ShowCommand::Normal}, Case{"minimized", ShowCommand::Minimized},
                   Case{"maximized", ShowCommand::Maximized}, Case{"hidden", ShowCommand::Hide},
                   // Anything else, compared exactly, is shown normally.
                   Case{"Hidden", ShowCommand::Normal}, Case{" hidden", ShowCommand::Normal},
                   Case{"", ShowCommand::Normal}, Case{"minimised", ShowCommand::Normal}}) {
        EXPECT_EQ(ShowCommandFor(c.state), c.show) << '"' << c.state << '"';
        starter.starts.clear();
        EXPECT_TRUE(Launch("S", "prog.exe", "", c.state));
        ASSERT_EQ(starter.starts.size(), 1u);
        EXPECT_EQ(starter.starts[0].show, c.show);
    }
    EXPECT_EQ(static_cast<int>(ShowCommand::Hide), 0);
    EXPECT_EQ(static_cast<int>(ShowCommand::Normal), 1);
    EXPECT_EQ(static_cast<int>(ShowCommand::Minimized), 2);
    EXPECT_EQ(static_cast<int>(ShowCommand::Maximized), 3);
}

TEST_F(LaunchTest, BlankWorkingDirectoriesMeanNone) {
    struct Case {
        const char* dir;
        bool none;
    };
    for (Case c : {Case{"", true}, Case{" ", true}, Case{"   ", true}, Case{"\t \t", true},
                   Case{"C:\\Work", false}, Case{" C:\\Work ", false}, Case{"C:\\My Files", false}}) {
        auto arg = WorkingDirArgument(c.dir);
        EXPECT_EQ(!arg.has_value(), c.none) << '"' << c.dir << '"';
        if (arg) {
            EXPECT_EQ(*arg, c.dir);  // blanks are kept
        }
    }
}

TEST_F(LaunchTest, TheErrorTextCarriesTheNumberAndTheSystemsMessage) {
    EXPECT_EQ(CreateProcessErrorText(2, "The system cannot find the file specified.\r\n"),
              "Create Process Error #2: The system cannot find the file specified.\r\n");
    EXPECT_EQ(CreateProcessErrorText(0, ""), "Create Process Error #0: ");
    EXPECT_EQ(CreateProcessErrorText(4294967295ul, "x"), "Create Process Error #4294967295: x");
}

TEST_F(LaunchTest, LoggedLaunchesWriteOneLineEach) {
    settings.LogLaunches = true;
    EXPECT_TRUE(Launch("Backup", "C:\\Tools\\backup.exe /all", "C:\\Tools", "hidden"));
    EXPECT_FALSE(Launch("Gone", "missing.exe"));
    EXPECT_FALSE(Launch("Odd", "odd.exe"));
    EXPECT_EQ(logged, (std::vector<std::string>{"Schedule:Backup Program:C:\\Tools\\backup.exe /all",
                                                "Schedule:Gone Program:missing.exe <<<<<<<< ERROR >>>>>>>>",
                                                "Schedule:Odd Program:odd.exe <<<<<<<< ERROR >>>>>>>>"}));
    ASSERT_EQ(starter.starts.size(), 3u);
    EXPECT_EQ(starter.starts[0].commandLine, "C:\\Tools\\backup.exe /all");
    EXPECT_EQ(starter.starts[0].workingDir, "C:\\Tools");
}

TEST_F(LaunchTest, AFailedCommandLineIsQuotedWholeUpToWhatWindowsTakes) {
    settings.LogLaunches = true;
    const std::string withArguments = "\"C:\\Program Files\\Backup Tool\\backup.exe\" /all /target:\"D:\\Backups\" "
                                      "/log:\"C:\\Users\\ann\\backup.log\" /quiet /verify";
    const std::string cyrillic = "\xD0\x96";  // two bytes, one character
    const std::string emoji = "\xF0\x9F\x95\x90";  // four bytes, two characters
    struct Case {
        std::string commandLine;
        std::string quoted;
    } cases[] = {
        {withArguments, withArguments},
        {std::string(kMaxCommandLineChars, 'p'), std::string(kMaxCommandLineChars, 'p')},
        {std::string(kMaxCommandLineChars + 1, 'p'),
         std::string(kMaxCommandLineChars, 'p') + "... (" + std::to_string(kMaxCommandLineChars + 1) + " bytes)"},
        // Counted as Windows counts characters, not in bytes.
        {[&] {
             std::string s;
             for (int i = 0; i < 20000; ++i) s += cyrillic;
             return s;
         }(),
         ""},
        {std::string(kMaxCommandLineChars - 1, 'p') + emoji,
         std::string(kMaxCommandLineChars - 1, 'p') + "... (" + std::to_string(kMaxCommandLineChars + 3) + " bytes)"},
        {std::string(1 << 20, 'p'), std::string(kMaxCommandLineChars, 'p') + "... (1048576 bytes)"},
    };
    for (auto& c : cases) {
        if (c.quoted.empty()) c.quoted = c.commandLine;
        logged.clear();
        starter.failWith = c.commandLine;
        EXPECT_FALSE(Launch("Backup", c.commandLine));
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_EQ(logged[0], "Schedule:Backup Program:" + c.quoted + " <<<<<<<< ERROR >>>>>>>>")
            << c.commandLine.size() << " bytes";
    }
    // Started, the line is the record of what ran and stays whole.
    const std::string huge(1 << 20, 'q');
    logged.clear();
    EXPECT_TRUE(Launch("Long", huge));
    EXPECT_EQ(logged, std::vector<std::string>{"Schedule:Long Program:" + huge});
}

TEST_F(LaunchTest, WithLaunchLoggingOffNothingIsWritten) {
    EXPECT_TRUE(Launch("A", "prog.exe"));
    EXPECT_FALSE(Launch("B", "missing.exe"));
    EXPECT_TRUE(logged.empty());
}

TEST_F(LaunchTest, NothingEscapesEvenFromAFailingLog) {
    settings.LogLaunches = true;
    log = [](std::string_view) { throw std::runtime_error("disk full"); };
    EXPECT_FALSE(Launch("B", "missing.exe"));
    EXPECT_TRUE(Launch("A", "prog.exe"));
    log = nullptr;
    EXPECT_TRUE(Launch("A", "prog.exe"));
}

TEST_F(LaunchTest, TheLauncherBindsStarterSettingsAndLog) {
    Launcher launcher(starter, settings, log);
    settings.LogLaunches = true;  // read at each launch
    EXPECT_FALSE(launcher.LaunchProgram("N", "missing.exe", " ", "maximized"));
    EXPECT_EQ(logged, (std::vector<std::string>{"Schedule:N Program:missing.exe <<<<<<<< ERROR >>>>>>>>"}));
    EXPECT_EQ(starter.starts.at(0).show, ShowCommand::Maximized);
}

}  // namespace
}  // namespace pw::sched
