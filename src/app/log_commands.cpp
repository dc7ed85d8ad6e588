#include "app/log_commands.h"

#include "common/open_with_shell.h"

namespace pw::app {

void butTrimLogClick(log::EventLog& log, const cfg::GlobalSettings& settings, Sound& sound, MessageBoxes& boxes) {
    const bool failed = log.Trim(settings.TrimLogDays).status == log::TrimOutcome::Status::Failed;
    sound.Beep();
    // A log that could not be read or replaced is still whole, but telling
    // the user it was trimmed would be a lie.
    boxes.Show(failed ? kTrimFailedNotice : "Log file trimmed.");
}

void mnuLogFileClick(log::EventLog& log, Shell& shell, Sound& sound, MessageBoxes& boxes) {
    if (log.Files().FileExists(log.Path())) {
        OpenWithShell(shell, log.Path());
        return;
    }
    sound.Beep();
    boxes.Show("Log file not found");
}

}  // namespace pw::app
