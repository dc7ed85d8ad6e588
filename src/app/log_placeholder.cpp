#include "app/log_placeholder.h"

#include "common/datefmt.h"

namespace pw::app {

std::string MakeLogLine(DateTime now, const Locale& loc, std::string_view message) {
    return LogTimeStamp(now, loc) + " - " + std::string(message);
}

void OpenLogFile(FileSystem& files, Shell& shell, Sound& sound, MessageBoxes& boxes, const std::string& logPath) {
    if (files.FileExists(logPath)) {
        shell.Open(logPath);
        return;
    }
    sound.Beep();
    boxes.Show("Log file not found");
}

}  // namespace pw::app
