#include "ui/net_time_group.h"

#include "common/errors.h"

namespace pw::ui {

void NetTimeGroup::Follow() {
    parts_.view.SetText(Ctl::butTestTimeServers, nettime::kTestServersCaption);
    if (parts_.netTime) parts_.netTime->OnChange([this] { Changed(); });
    Changed();
}

void NetTimeGroup::Changed() {
    auto& v = parts_.view;
    using Kind = nettime::NetTimeAttempts::Kind;
    const Kind running = parts_.netTime ? parts_.netTime->Running() : Kind::None;
    const bool waiting = parts_.netTime && parts_.netTime->ConnectNowWaiting();
    // An automatic walk may be joined; a click already waiting, or a test
    // under way, may not.
    v.SetEnabled(Ctl::butConnectNow, !waiting && running != Kind::TestServers);
    v.SetEnabled(Ctl::butTestTimeServers, running == Kind::None);
    v.SetText(Ctl::lblNetTimeProgress, parts_.netTime ? parts_.netTime->ProgressLine() : std::string());
    // The helper may have made the correction the click asked for.
    if (connectNowWaiting_ && !waiting && v.DialogVisible()) {
        try {
            ShowTimeHelperState();
        } catch (const AppError& e) {
            parts_.app.boxes.ShowError(e.what());
        }
    }
    connectNowWaiting_ = waiting;
}

void NetTimeGroup::Click(Ctl c) {
    if (!parts_.netTime) return;
    if (c == Ctl::butConnectNow) parts_.netTime->ConnectNow(TimeServersText());
    if (c == Ctl::butTestTimeServers) parts_.netTime->TestServers(*this);
}

void NetTimeGroup::ShowTimeHelperState() {
    if (!parts_.netTime) {
        parts_.view.SetText(Ctl::lblTimeHelper, "Time helper: not installed");
        return;
    }
    parts_.view.SetText(Ctl::lblTimeHelper, parts_.netTime->HelperStateLine([this](const std::string& line) {
        parts_.view.SetText(Ctl::lblTimeHelper, line);
    }));
}

std::string NetTimeGroup::TimeServersText() { return parts_.view.Text(Ctl::memoTimeServers); }
void NetTimeGroup::SetTimeServersText(std::string_view text) { parts_.view.SetText(Ctl::memoTimeServers, text); }
void NetTimeGroup::SetTestServersCaption(std::string_view caption) {
    parts_.view.SetText(Ctl::butTestTimeServers, caption);
}

}  // namespace pw::ui
