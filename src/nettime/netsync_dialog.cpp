#include "nettime/netsync_dialog.h"

#include <cstdint>
#include <optional>

#include "common/datefmt.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "config/value_access.h"

namespace pw::net {

namespace {

// The first line of the memo that is not empty once trimmed.
std::optional<std::string> FirstServer(const std::string& memoText) {
    for (const std::string& line : SplitLines(memoText)) {
        std::string_view name = TrimControls(line);
        if (!name.empty()) return std::string(name);
    }
    return std::nullopt;
}

// A refusal for lack of the right is the one failure the user can mend,
// so the answer says how below its usual text.
std::string WithRightHint(std::string text, bool noRight) {
    if (!noRight) return text;
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    text += kRunAsAdministrator;
    return text;
}

std::string CorrectedAnswer(std::string_view offset, std::string_view server) {
    return "Time corrected by: " + std::string(offset) + " from " + std::string(server);
}

std::string HelperAnswer(const timehelper::Status& s) {
    if (s.clockSet) return CorrectedAnswer(s.offsetText, s.server) + std::string(kByTimeHelper);
    std::string text = "Time not adjusted" + std::string(kByTimeHelper) + ".";
    if (!s.whyNot.empty()) text += "\r\n" + (s.server.empty() ? std::string() : s.server + ": ") + s.whyNot;
    return text;
}

}  // namespace

void butConnectNowClick(NetTimeDialog& d) {
    try {
        const auto server = FirstServer(d.view.TimeServersText());
        if (!server) {
            d.sound.Beep();
            d.boxes.Show("Error connecting to all servers.");
            return;
        }
        std::string offset;
        const SyncResult result = SyncWithServer(d.sync, *server, offset);
        const auto helped = result == SyncResult::NoRight ? SyncByHelper(d.helper) : std::nullopt;
        if (helped) {
            if (d.settings.LogNetTime && d.log) d.log(HelperLine(*helped));
            if (helped->clockSet) RecordSynchTime(d.settings, d.store, d.locale, d.sync.clock.Now());
            d.sound.Beep();
            d.boxes.Show(HelperAnswer(*helped));
        } else if (result == SyncResult::Corrected) {
            if (d.settings.LogNetTime && d.log) d.log(CorrectedLine(offset, *server));
            RecordSynchTime(d.settings, d.store, d.locale, d.sync.clock.Now());
            d.sound.Beep();
            d.boxes.Show(CorrectedAnswer(offset, *server));
        } else {
            d.sound.Beep();
            d.boxes.Show(WithRightHint("Time not adjusted.", result == SyncResult::NoRight));
        }
    } catch (...) {
        d.sound.Beep();
        d.boxes.Show("Error connecting to server.");
    }
}

std::string HelperStateLine(timehelper::HelperLink* helper, Clock& clock, const Locale& locale) {
    using timehelper::HelperState;
    const HelperState state = helper ? helper->State() : HelperState::NotInstalled;
    if (state == HelperState::NotInstalled) return "Time helper: not installed";
    if (state == HelperState::Stopped) return "Time helper: stopped";
    const auto reply = helper->Exchange(timehelper::RequestText(timehelper::Request::Status), kHelperStatusTimeoutMs);
    const auto status = reply ? timehelper::ParseStatus(*reply) : std::nullopt;
    if (!status) return "Time helper: running";
    if (status->lastCorrectionUtc == 0) return "Time helper: running, no correction yet";
    const DateTime local = status->lastCorrectionUtc - clock.ZoneBiasMinutes() / 1440.0;
    return "Time helper: running, last correction " + DateTimeToText(local, locale);
}

void butTestTimeServersClick(NetTimeDialog& d) {
    std::string report, passed;
    bool noRight = false;
    try {
        const std::vector<std::string> lines = SplitLines(d.view.TimeServersText());
        const std::string total = std::to_string(lines.size());
        for (std::size_t n = 0; n < lines.size(); ++n) {
            d.view.SetTestServersCaption("Working ..." + std::to_string(n + 1) + "/" + total);
            const std::string_view server = TrimControls(lines[n]);
            if (server.empty()) continue;
            std::string offset;
            const SyncResult result = SyncWithServer(d.sync, server, offset);
            if (result == SyncResult::Corrected) {
                report.append("OK  : ").append(server).append("\r\n");
                passed.append(server).append("\r\n");
            } else {
                report.append("Fail: ").append(server).append("\r\n");
                noRight = noRight || result == SyncResult::NoRight;
            }
        }
        d.sound.Beep();
        d.boxes.Show(WithRightHint(report, noRight));
    } catch (...) {
        d.boxes.Show(report);
        d.boxes.Show("Unknown error while trying to connect.");
    }
    d.view.SetTestServersCaption(kTestServersCaption);
    // Inserted as the memo's first line: passed ends with CR LF, so the
    // list that passed is followed by an empty line, then the list as it
    // stands now (the user may have edited it while the report was shown).
    d.view.SetTimeServersText(passed + "\r\n" + d.view.TimeServersText());
}

}  // namespace pw::net
