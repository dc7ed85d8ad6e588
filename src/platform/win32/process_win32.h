#pragma once
// Process creation on Windows for the launcher (sched/launch.h). The
// program binds it once and hands the launcher to the clock tick's host
// and the editor's Test button:
//
//     pw::win::WinProcessStarter starter;
//     pw::sched::Launcher launcher(starter, settings,
//         [&eventLog](std::string_view m) { eventLog.Write(m); });
//     // TickHost::LaunchProgram(name, cmd, dir, state):
//     //     return launcher.LaunchProgram(name, cmd, dir, state);

#include <string>
#include <string_view>

#include "sched/launch.h"

namespace pw::win {

// Creates the process the command line names, with the show command and
// working directory, in a new console and the normal priority class, and
// does not wait for it. Raises ProcessError "Create Process Error #n: " +
// the system's message (with its line break) when it cannot.
void StartProcess(std::string_view commandLine, std::string_view workingDir, sched::ShowCommand show);

// The system's message text for an error number, as the system ends it
// (usually with CR LF); empty when the system has none.
std::string SystemErrorMessage(unsigned long errorNumber);

class WinProcessStarter : public sched::ProcessStarter {
public:
    void StartProcess(std::string_view commandLine, std::string_view workingDir, sched::ShowCommand show) override {
        win::StartProcess(commandLine, workingDir, show);
    }
};

}  // namespace pw::win
