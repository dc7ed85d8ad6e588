#include "nettime/net_time_attempts.h"

#include <utility>

#include "common/datefmt.h"
#include "common/text.h"

namespace pw::nettime {

namespace {

// The first line of the memo that is not empty once trimmed.
std::optional<std::string> FirstServer(std::string_view memoText) {
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

// "Connect now"'s box for what its attempt (or the walk it joined) came to.
std::string ConnectNowAnswer(SyncResult result, std::string_view offset, std::string_view server,
                             const std::optional<timehelper::Status>& helped) {
    if (helped) return HelperAnswer(*helped);
    if (result == SyncResult::Corrected) return CorrectedAnswer(offset, server);
    if (result == SyncResult::Error) return "Error connecting to server.";
    return WithRightHint("Time not adjusted.", result == SyncResult::NoRight);
}

}  // namespace

std::string AskingLine(std::size_t number, std::size_t total, std::string_view server) {
    return "Asking " + std::to_string(number) + " of " + std::to_string(total) + ": " + std::string(server) +
           "\xE2\x80\xA6";
}

NetTimeAttempts::NetTimeAttempts(NetTimeParts parts)
    : p_(std::move(parts)),
      walk_(p_.driver, p_.clock),
      exchange_(p_.driver, p_.clock),
      helperSync_(p_.driver),
      helperStatus_(p_.driver) {}

NetTimeAttempts::~NetTimeAttempts() { Shutdown(); }

void NetTimeAttempts::Log(std::string_view message) {
    if (p_.settings.LogNetTime && p_.log) p_.log(message);
}

void NetTimeAttempts::Record() { RecordSynchTime(p_.settings, p_.store, p_.locale, p_.clock.Now()); }

void NetTimeAttempts::Changed() {
    if (changed_ && !shut_) changed_();
}

void NetTimeAttempts::SetProgress(std::string line) {
    progress_ = std::move(line);
    Changed();
}

void NetTimeAttempts::End() {
    kind_ = Kind::None;
    joined_ = false;
    progress_.clear();
    Changed();
}

void NetTimeAttempts::AskHelper(std::function<void(std::optional<timehelper::Status>)> then) {
    SetProgress(std::string(kAskingHelperLine));
    helperSync_.Start(p_.helper->Pipe(), timehelper::RequestText(timehelper::Request::Sync), kHelperSyncTimeoutMs,
                      [then = std::move(then)](std::optional<std::string> reply) {
                          then(reply ? timehelper::ParseStatus(*reply) : std::nullopt);
                      });
}

void NetTimeAttempts::AutoSynchronize() {
    if (shut_ || !p_.connection.IsInternetConnected()) return;
    cfg::GlobalSettings& s = p_.settings;
    if (!s.AutoSynchTime) return;
    const DateTime now = p_.clock.Now();
    if (!IsSyncDue(now, s.LastSynchTime, s.AutoSynchInterval)) return;
    // The same due rule as for a correction, so a clock set back ends the
    // wait too.
    const std::int32_t waitHours = BackoffHours(s.AutoSynchInterval);
    if (backoff_.refusedAt && !IsSyncDue(now, *backoff_.refusedAt, waitHours)) return;
    // Another attempt is under way; this step is due again next minute.
    if (kind_ != Kind::None) return;
    backoff_.refusedAt.reset();
    kind_ = Kind::Automatic;
    Changed();
    try {
        walk_.Start({ParseServerList(s.TimeServers), backoff_, waitHours, p_.maxCorrection,
                     [this](std::string_view m) { Log(m); },
                     [this](const ServerWalk::Asking& a) { SetProgress(AskingLine(a.number, a.total, a.server)); }},
                    [this](const WalkOutcome& outcome) { AutoWalked(outcome); });
    } catch (...) {
        AutoWalked(WalkOutcome{SyncResult::Error, {}, {}});
    }
}

void NetTimeAttempts::AutoWalked(const WalkOutcome& outcome) {
    try {
        switch (outcome.result) {
            case SyncResult::Corrected: Record(); break;
            case SyncResult::NoRight:
                if (p_.helper) {
                    AskHelper([this, outcome](std::optional<timehelper::Status> helped) {
                        try {
                            Log(helped ? HelperLine(*helped) : NotAdjustedLine(outcome.server, kNoRightReason));
                            if (helped && helped->clockSet) Record();
                            else backoff_.refusedAt = p_.clock.Now();
                        } catch (...) {
                            // Recorded or not, the attempt is over.
                        }
                        AutoEnded(outcome, helped);
                    });
                    return;
                }
                Log(NotAdjustedLine(outcome.server, kNoRightReason));
                backoff_.refusedAt = p_.clock.Now();
                break;
            case SyncResult::Error: Log(kUnknownErrorLine); break;
            case SyncResult::NotAdjusted:
            case SyncResult::KissOfDeath: break;
        }
    } catch (...) {
        // Not even the log line could be written; the next minute tries again.
    }
    AutoEnded(outcome, std::nullopt);
}

void NetTimeAttempts::AutoEnded(const WalkOutcome& outcome, const std::optional<timehelper::Status>& helped) {
    const bool joined = joined_;
    End();
    if (!joined) return;
    p_.sound.Beep();
    p_.boxes.Show(ConnectNowAnswer(outcome.result, outcome.offset, outcome.server, helped));
}

void NetTimeAttempts::ConnectNow(std::string_view memoText) {
    if (shut_) return;
    if (kind_ == Kind::Automatic) {
        if (!joined_) {
            joined_ = true;
            Changed();
        }
        return;
    }
    if (kind_ != Kind::None) return;
    try {
        const auto server = FirstServer(memoText);
        if (!server) {
            p_.sound.Beep();
            p_.boxes.Show("Error connecting to all servers.");
            return;
        }
        kind_ = Kind::ConnectNow;
        server_ = *server;
        SetProgress(AskingLine(1, 1, server_));
        exchange_.Start(server_, p_.maxCorrection(),
                        [this](SyncResult r, const std::string& offset) { ConnectNowAnswered(r, offset); });
    } catch (...) {
        ConnectNowEnded(SyncResult::Error, {}, {}, std::nullopt);
    }
}

void NetTimeAttempts::ConnectNowAnswered(SyncResult result, const std::string& offset) {
    try {
        if (result == SyncResult::NoRight && p_.helper) {
            AskHelper([this, offset](std::optional<timehelper::Status> helped) {
                try {
                    if (helped) {
                        Log(HelperLine(*helped));
                        if (helped->clockSet) Record();
                    }
                    ConnectNowEnded(SyncResult::NoRight, offset, server_, helped);
                } catch (...) {
                    ConnectNowEnded(SyncResult::Error, {}, {}, std::nullopt);
                }
            });
            return;
        }
        if (result == SyncResult::Corrected) {
            Log(CorrectedLine(offset, server_));
            Record();
        }
    } catch (...) {
        result = SyncResult::Error;
    }
    ConnectNowEnded(result, offset, server_, std::nullopt);
}

void NetTimeAttempts::ConnectNowEnded(SyncResult result, const std::string& offset, const std::string& server,
                                      const std::optional<timehelper::Status>& helped) {
    // Ended before the box, which is a loop of its own: the automatic step
    // and the buttons go on while it is up.
    const std::string answer = ConnectNowAnswer(result, offset, server, helped);
    End();
    p_.sound.Beep();
    p_.boxes.Show(answer);
}

void NetTimeAttempts::TestServers(NetTimeView& view) {
    if (shut_ || kind_ != Kind::None) return;
    kind_ = Kind::TestServers;
    testView_ = &view;
    testLines_ = SplitLines(view.TimeServersText());
    testNext_ = 0;
    report_.clear();
    passed_.clear();
    noRight_ = false;
    Changed();
    NextTest();
}

void NetTimeAttempts::NextTest() {
    const std::string total = std::to_string(testLines_.size());
    try {
        while (testNext_ < testLines_.size()) {
            const std::size_t n = testNext_++;
            testView_->SetTestServersCaption("Working ..." + std::to_string(n + 1) + "/" + total);
            const std::string_view server = TrimControls(testLines_[n]);
            if (server.empty()) continue;
            server_ = std::string(server);
            SetProgress(AskingLine(n + 1, testLines_.size(), server_));
            exchange_.Start(server_, p_.maxCorrection(), [this](SyncResult r, const std::string&) { TestAnswered(r); });
            return;
        }
    } catch (...) {
        TestsEnded(true);
        return;
    }
    TestsEnded(false);
}

void NetTimeAttempts::TestAnswered(SyncResult result) {
    if (result == SyncResult::Error) {
        TestsEnded(true);
        return;
    }
    if (result == SyncResult::Corrected) {
        report_.append("OK  : ").append(server_).append("\r\n");
        passed_.append(server_).append("\r\n");
    } else {
        report_.append("Fail: ").append(server_).append("\r\n");
        noRight_ = noRight_ || result == SyncResult::NoRight;
    }
    NextTest();
}

void NetTimeAttempts::TestsEnded(bool error) {
    progress_.clear();
    Changed();
    // The report's box is part of the test: the buttons stay greyed and
    // the memo takes the servers that passed only once it is closed.
    try {
        if (error) {
            p_.boxes.Show(report_);
            p_.boxes.Show("Unknown error while trying to connect.");
        } else {
            p_.sound.Beep();
            p_.boxes.Show(WithRightHint(report_, noRight_));
        }
    } catch (...) {
        // The caption and the memo below come back all the same.
    }
    if (shut_) return;
    NetTimeView& view = *testView_;
    const std::string passed = std::move(passed_);
    End();
    view.SetTestServersCaption(kTestServersCaption);
    // Inserted as the memo's first line: passed ends with CR LF, so the
    // list that passed is followed by an empty line, then the list as it
    // stands now (the user may have edited it while the report was shown).
    view.SetTimeServersText(passed + "\r\n" + view.TimeServersText());
}

std::string NetTimeAttempts::HelperStateLine(std::function<void(const std::string&)> later) {
    using timehelper::HelperState;
    const std::string head = "Time helper: ";
    const HelperState state = p_.helper ? p_.helper->State() : HelperState::NotInstalled;
    if (state == HelperState::NotInstalled) return head + "not installed";
    if (state == HelperState::Stopped) return head + "stopped";
    if (!shut_)
        helperStatus_.Start(p_.helper->Pipe(), timehelper::RequestText(timehelper::Request::Status),
                            kHelperStatusTimeoutMs, [this, head, later](std::optional<std::string> reply) {
                                const auto status = reply ? timehelper::ParseStatus(*reply) : std::nullopt;
                                if (!status || !later) return;
                                if (status->lastCorrectionUtc == 0) {
                                    later(head + "running, no correction yet");
                                    return;
                                }
                                const DateTime local =
                                    status->lastCorrectionUtc - p_.clock.ZoneBiasMinutes() / 1440.0;
                                later(head + "running, last correction " + DateTimeToText(local, p_.locale));
                            });
    return head + "running";
}

void NetTimeAttempts::Shutdown() {
    shut_ = true;
    walk_.Cancel();
    exchange_.Cancel();
    helperSync_.Cancel();
    helperStatus_.Cancel();
    kind_ = Kind::None;
    joined_ = false;
    progress_.clear();
}

}  // namespace pw::nettime
