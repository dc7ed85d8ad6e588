#pragma once
// Log writing and viewing as the clock window needs them, until the event
// log's own routines take their place.

#include <string>
#include <string_view>

#include "common/datetime.h"
#include "common/files.h"
#include "common/locale.h"
#include "common/services.h"

namespace pw::app {

// Time stamp + " - " + message.
std::string MakeLogLine(DateTime now, const Locale& loc, std::string_view message);
// Opens the log with the shell, or beeps and says "Log file not found".
void OpenLogFile(FileSystem& files, Shell& shell, Sound& sound, MessageBoxes& boxes, const std::string& logPath);

}  // namespace pw::app
