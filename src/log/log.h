#pragma once
// The event log: "plenwk.log" beside the executable, one line per event,
// appended in the order things happened. Each line is a time stamp, " - "
// and the message; the start banner is the one line without " - ".
//
// Which events are logged is decided by the callers (the log switches of
// the global settings); nothing here looks at them except the start
// banner's helper.

#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/datetime.h"
#include "common/files.h"
#include "common/locale.h"
#include "config/global_settings.h"
#include "log/trim.h"

namespace pw::log {

inline constexpr std::string_view kLogFileName = "plenwk.log";
inline constexpr std::string_view kTrimmedMessage = "Log file trimmed";

// exeDir is the executable's directory with its trailing separator; one is
// added when it is missing.
std::string LogFilePath(std::string_view exeDir);

// time stamp + " - " + message, each line break in the message (CR LF, CR
// or LF) written as one blank so that the event stays on one line.
std::string LogLine(DateTime now, const Locale& locale, std::string_view message);
// time stamp + " Started Plenwick -------------------------"
std::string StartBanner(DateTime now, const Locale& locale);

// Removes the leading lines dated before today's midnight minus
// trimLogDays (a negative value counts as 0, so nothing from today goes),
// then logs "Log file trimmed" when at least one line went. Never raises.
//
// The date of a line is its text up to the blank that ends the date: the
// first blank, or a later one when the locale's short date itself holds
// blanks ("5. 3. 2026"). Lines are read as follows:
// - no date text (empty line, leading blank, no blank at all): dated
//   1 January 2000, so removed when it reaches the top;
// - date text that does not read as a date in the current short date
//   format (the format was changed, or the line was edited): kept, unless
//   a line dated before the cutoff comes after it; lines are appended in
//   order, so anything above an old line is older still;
// - an empty file is left as it is: it has no line to remove, and the next
//   line is simply appended to it.
// A failure (file locked, read error, full disk) leaves the file exactly as
// it was and logs nothing.
TrimOutcome TrimLog(FileSystem& fs, const Locale& locale, std::string_view logPath, DateTime now, int trimLogDays);

// What other parts of the program write the log through. Holds the locale
// by reference, so a change of the regional settings shows in the next
// line.
class EventLog {
public:
    EventLog(FileSystem& fs, Clock& clock, const Locale& locale, std::string path);

    const std::string& Path() const { return path_; }
    FileSystem& Files() { return fs_; }

    // Appends time stamp + " - " + message; a line that cannot be written
    // is lost silently.
    void Write(std::string_view message);
    void WriteStartBanner();
    TrimOutcome Trim(int trimLogDays);

private:
    FileSystem& fs_;
    Clock& clock_;
    const Locale& locale_;
    std::string path_;
};

// At start: the banner, only when at least one log switch is on.
void WriteStartBannerIfLogging(EventLog& log, const cfg::GlobalSettings& settings);

}  // namespace pw::log
