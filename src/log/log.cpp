#include "log/log.h"

#include <algorithm>
#include <exception>
#include <functional>

#include "common/datefmt.h"
#include "common/version.h"

namespace pw::log {

namespace {

// Blanks inside the locale's written short date, taken from a time stamp
// so that it counts exactly what LogLine writes.
std::size_t BlanksInDate(DateTime now, const Locale& locale) {
    std::string stamp = LogTimeStamp(now, locale);
    auto blanks = static_cast<std::size_t>(std::count(stamp.begin(), stamp.end(), ' '));
    return blanks > 0 ? blanks - 1 : 0;
}

// Reads the dates of leading lines. Consecutive lines mostly share their
// date text, so the last reading is kept and reused.
class DateClassifier {
public:
    DateClassifier(FileSystem& fs, const Locale& locale, DateTime cutoff, std::size_t blanksInDate)
        : fs_(fs), locale_(locale), cutoff_(cutoff), blanks_(blanksInDate) {}

    LineAge operator()(std::string_view head, bool complete) {
        if (head.empty() || head[0] == ' ') return LineAge::Undated;
        std::size_t end = head.find(' ');
        if (end == std::string_view::npos) return complete ? LineAge::Undated : LineAge::Unreadable;
        for (std::size_t i = 0; i < blanks_; ++i) {
            end = head.find(' ', end + 1);
            if (end == std::string_view::npos) return LineAge::Unreadable;
        }
        std::string_view text = head.substr(0, end);
        if (!hasLast_ || text != lastText_) {
            lastText_.assign(text);
            hasLast_ = true;
            DateTime d = 0;
            if (!TryTextToDate(fs_.FromFileText(text), locale_, d))
                lastAge_ = LineAge::Unreadable;
            else
                lastAge_ = DateOf(d) < cutoff_ ? LineAge::Old : LineAge::Recent;
        }
        return lastAge_;
    }

private:
    FileSystem& fs_;
    const Locale& locale_;
    DateTime cutoff_;
    std::size_t blanks_;
    std::string lastText_;
    bool hasLast_ = false;
    LineAge lastAge_ = LineAge::Unreadable;
};

}  // namespace

std::string LogFilePath(std::string_view exeDir) {
    std::string path(exeDir);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += kLogFileName;
    return path;
}

std::string LogLine(DateTime now, const Locale& locale, std::string_view message) {
    std::string line = LogTimeStamp(now, locale);
    line += " - ";
    // A break inside the message would start a line without a time stamp,
    // which trimming reads as undated. CR LF is one break, one blank.
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
        line += c == '\r' || c == '\n' ? ' ' : c;
    }
    return line;
}

std::string StartBanner(DateTime now, const Locale& locale) {
    return LogTimeStamp(now, locale) + " Started " + std::string(kAppTitle) + " -------------------------";
}

TrimOutcome TrimLog(FileSystem& fs, const Locale& locale, std::string_view logPath, DateTime now, int trimLogDays) {
    try {
        const DateTime cutoff = DateOf(now) - std::max(trimLogDays, 0);
        DateClassifier classify(fs, locale, cutoff, BlanksInDate(now, locale));
        TrimOutcome out = TrimLeadingLines(fs, logPath, std::ref(classify));
        if (out.status == TrimOutcome::Status::Trimmed) AppendLine(fs, logPath, LogLine(now, locale, kTrimmedMessage));
        return out;
    } catch (const std::exception&) {
        // Out of memory, most likely. The file is whole: any new file was
        // abandoned before it replaced the log.
        TrimOutcome out;
        out.status = TrimOutcome::Status::Failed;
        return out;
    }
}

EventLog::EventLog(FileSystem& fs, Clock& clock, const Locale& locale, std::string path)
    : fs_(fs), clock_(clock), locale_(locale), path_(std::move(path)) {}

void EventLog::Write(std::string_view message) {
    try {
        AppendLine(fs_, path_, LogLine(clock_.Now(), locale_, message));
    } catch (const std::exception&) {
    }
}

void EventLog::WriteStartBanner() {
    try {
        AppendLine(fs_, path_, StartBanner(clock_.Now(), locale_));
    } catch (const std::exception&) {
    }
}

TrimOutcome EventLog::Trim(int trimLogDays) { return TrimLog(fs_, locale_, path_, clock_.Now(), trimLogDays); }

void WriteStartBannerIfLogging(EventLog& log, const cfg::GlobalSettings& settings) {
    if (settings.AnyLogSwitch()) log.WriteStartBanner();
}

}  // namespace pw::log
