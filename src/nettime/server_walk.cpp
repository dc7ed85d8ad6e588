#include "nettime/server_walk.h"

#include <utility>

namespace pw::nettime {

WalkSteps::WalkSteps(std::vector<std::string> servers, AutoSyncBackoff& backoff, std::int32_t waitHours, DateTime now)
    : servers_(std::move(servers)), backoff_(backoff), waitHours_(waitHours), now_(now) {}

bool WalkSteps::Next() {
    for (index_ = started_ ? index_ + 1 : 0, started_ = true; index_ < servers_.size(); ++index_) {
        const std::string& server = servers_[index_];
        if (auto kissed = backoff_.kissedAt.find(server); kissed != backoff_.kissedAt.end()) {
            if (!IsSyncDue(now_, kissed->second, waitHours_)) continue;
            backoff_.kissedAt.erase(kissed);
        }
        outcome_ = WalkOutcome{SyncResult::NotAdjusted, server, {}};
        return true;
    }
    return false;
}

bool WalkSteps::Answered(SyncResult result, std::string offset, DateTime now, const LogWriter& log) {
    const std::string& server = Server();
    outcome_.result = result;
    outcome_.offset = std::move(offset);
    switch (result) {
        case SyncResult::Corrected: log(CorrectedLine(outcome_.offset, server)); return false;
        case SyncResult::NoRight:
        case SyncResult::Error: return false;
        case SyncResult::KissOfDeath:
            log(NotAdjustedLine(server, kKissReason));
            backoff_.kissedAt[server] = now;
            return true;
        case SyncResult::NotAdjusted: log(NotAdjustedLine(server)); return true;
    }
    return true;
}

ServerWalk::ServerWalk(net::IoDriver& driver, Clock& clock)
    : driver_(driver), clock_(clock), exchange_(driver, clock), next_(driver) {}

void ServerWalk::Start(Setup setup, Done done) {
    Cancel();
    steps_.emplace(setup.servers, setup.backoff, setup.waitHours, clock_.Now());
    setup_.emplace(std::move(setup));
    done_ = std::move(done);
    // From the loop, so that an empty list ends later too.
    next_.Set(driver_.StartTimer(0, [this] { AskNext(); }));
}

void ServerWalk::AskNext() {
    if (!done_) return;
    next_.Reset();
    try {
        if (!steps_->Next()) {
            Finish();
            return;
        }
        if (setup_->asking) setup_->asking({steps_->Number(), steps_->Total(), steps_->Server()});
        exchange_.Start(steps_->Server(), setup_->maxCorrection(), [this](SyncResult r, const std::string& offset) {
            try {
                if (steps_->Answered(r, offset, clock_.Now(), setup_->log)) {
                    AskNext();
                    return;
                }
            } catch (...) {
                errorOutcome_ = WalkOutcome{SyncResult::Error, steps_->Server(), {}};
            }
            Finish();
        });
    } catch (...) {
        errorOutcome_ = WalkOutcome{SyncResult::Error, steps_->Outcome().server, {}};
        Finish();
    }
}

void ServerWalk::Finish() {
    const WalkOutcome outcome = errorOutcome_ ? *errorOutcome_ : steps_->Outcome();
    errorOutcome_.reset();
    Done done = std::exchange(done_, nullptr);
    // The last thing done: the caller may start another walk in it.
    if (done) done(outcome);
}

void ServerWalk::Cancel() {
    done_ = nullptr;
    errorOutcome_.reset();
    exchange_.Cancel();
    next_.Reset();
}

}  // namespace pw::nettime
