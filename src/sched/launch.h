#pragma once
// Starting a schedule's program: the window state names the show command,
// the process starter creates the process without waiting for it, and the
// launch is logged when LogLaunches is on. Nothing here fails visibly; the
// caller gets true or false.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/global_settings.h"
#include "sched/log_line.h"

namespace pw::sched {

// The show commands, numbered as Windows numbers them.
enum class ShowCommand : int {
    Hide = 0,
    Normal = 1,
    Minimized = 2,
    Maximized = 3,
};

// "normal", "minimized", "maximized", "hidden", compared exactly. Any other
// text (only an edited registry or a restored backup holds one) shows the
// program normally, as a missing WindowState does.
ShowCommand ShowCommandFor(std::string_view windowState);

// The working directory to hand to process creation: none when the text
// holds nothing but blanks (the new program then starts in this program's
// directory), otherwise the text as it is, blanks included.
std::optional<std::string> WorkingDirArgument(std::string_view workingDir);

// "Create Process Error #" + number + ": " + the system's message for it.
std::string CreateProcessErrorText(unsigned long errorNumber, std::string_view systemMessage);

// Creates a process from a command line. Raises ProcessError with the
// text of CreateProcessErrorText when it cannot.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    virtual void StartProcess(std::string_view commandLine, std::string_view workingDir, ShowCommand show) = 0;
};

// The longest command line process creation takes, in characters.
inline constexpr std::size_t kMaxCommandLineChars = 32767;

// Starts the program of a schedule and, when LogLaunches is on, writes
// "Schedule:" name " Program:" command line, with " <<<<<<<< ERROR >>>>>>>>"
// added when the program could not be started (the command line then whole
// up to kMaxCommandLineChars, and cut beyond as QuotedValueUpTo cuts it).
// True when it was started.
bool LaunchProgram(ProcessStarter& starter, const cfg::GlobalSettings& settings, const LogLineWriter& log,
                   std::string_view scheduleName, std::string_view commandLine, std::string_view workingDir,
                   std::string_view windowState);

// LaunchProgram bound to the program's starter, settings and log, for the
// clock tick's host and the editor's Test button.
class Launcher {
public:
    Launcher(ProcessStarter& starter, const cfg::GlobalSettings& settings, LogLineWriter log)
        : starter_(starter), settings_(settings), log_(std::move(log)) {}
    bool LaunchProgram(std::string_view scheduleName, std::string_view commandLine, std::string_view workingDir,
                       std::string_view windowState) {
        return sched::LaunchProgram(starter_, settings_, log_, scheduleName, commandLine, workingDir, windowState);
    }

private:
    ProcessStarter& starter_;
    const cfg::GlobalSettings& settings_;
    LogLineWriter log_;
};

}  // namespace pw::sched
