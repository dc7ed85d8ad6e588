#include "sched/launch.h"

#include <iterator>

#include "common/errors.h"
#include "config/values.h"

namespace pw::sched {

ShowCommand ShowCommandFor(std::string_view windowState) {
    // In the order of the names: normal, minimized, maximized, hidden.
    constexpr ShowCommand kCommands[] = {ShowCommand::Normal, ShowCommand::Minimized, ShowCommand::Maximized,
                                         ShowCommand::Hide};
    static_assert(std::size(kCommands) == cfg::kWindowStates.size());
    for (std::size_t i = 0; i < cfg::kWindowStates.size(); ++i)
        if (windowState == cfg::kWindowStates[i]) return kCommands[i];
    return ShowCommand::Normal;
}

std::optional<std::string> WorkingDirArgument(std::string_view workingDir) {
    // Blanks in the sense of the usual trim: the space and every control
    // character, so a directory of tabs counts as none too.
    for (unsigned char c : workingDir)
        if (c > ' ') return std::string(workingDir);
    return std::nullopt;
}

std::string CreateProcessErrorText(unsigned long errorNumber, std::string_view systemMessage) {
    std::string text = "Create Process Error #" + std::to_string(errorNumber) + ": ";
    text += systemMessage;
    return text;
}

bool LaunchProgram(ProcessStarter& starter, const cfg::GlobalSettings& settings, const LogLineWriter& log,
                   std::string_view scheduleName, std::string_view commandLine, std::string_view workingDir,
                   std::string_view windowState) {
    bool started = false;
    // Whatever the starter throws (its ProcessError, or anything else from
    // deeper down) is a program that did not start; none of it may end the
    // clock tick.
    try {
        starter.StartProcess(commandLine, workingDir, ShowCommandFor(windowState));
        started = true;
    } catch (...) {
        started = false;
    }
    if (settings.LogLaunches && log) {
        std::string line = "Schedule:";
        line += scheduleName;
        line += " Program:";
        // This line is where the user finds out what failed, so a command
        // line Windows could have taken is quoted whole; only a longer one
        // (anything may be stored, and the line repeats at each due minute)
        // is cut.
        line += started ? std::string(commandLine) : QuotedValueUpTo(commandLine, kMaxCommandLineChars);
        if (!started) line += " <<<<<<<< ERROR >>>>>>>>";
        try {
            log(line);
        } catch (...) {
            // The log drops its own errors; a writer that throws changes nothing.
        }
    }
    return started;
}

}  // namespace pw::sched
