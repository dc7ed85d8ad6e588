#include "nettime/netsync_dialog.h"

#include <cstdint>
#include <optional>

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
        if (result == SyncResult::Corrected) {
            if (d.settings.LogNetTime && d.log) d.log("NetTime: " + offset + " from " + *server);
            RecordSynchTime(d.settings, d.store, d.locale, d.sync.clock.Now());
            d.sound.Beep();
            d.boxes.Show("Time corrected by: " + offset + " from " + *server);
        } else {
            d.sound.Beep();
            d.boxes.Show(WithRightHint("Time not adjusted.", result == SyncResult::NoRight));
        }
    } catch (...) {
        d.sound.Beep();
        d.boxes.Show("Error connecting to server.");
    }
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
