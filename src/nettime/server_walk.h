#pragma once
// The walk over a server list: which server is asked next, what each
// answer is logged as, when the walk ends. WalkSteps holds the rules and
// nothing else, so the time helper's waiting walk (SyncWithList) and the
// program's walk without waiting (ServerWalk) make the same decisions.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "net/io_driver.h"
#include "nettime/netsync.h"
#include "nettime/sntp_exchange.h"

namespace pw::nettime {

class WalkSteps {
public:
    // A server that sent a kiss-o'-death less than waitHours before now is
    // left out; one whose wait is over is forgotten by the back-off.
    WalkSteps(std::vector<std::string> servers, AutoSyncBackoff& backoff, std::int32_t waitHours, DateTime now);

    // Moves on to the next server to ask; false when there is none left.
    bool Next();
    const std::string& Server() const { return servers_[index_]; }
    // The current server's place in the list, from 1, and the list's length.
    std::size_t Number() const { return index_ + 1; }
    std::size_t Total() const { return servers_.size(); }

    // The current server's answer: logs its line (none for the refusal,
    // whose line the caller writes: the clock may yet be set another way;
    // none for an error, which ends the walk and is the caller's to log),
    // and notes a kiss-o'-death in the back-off. False when the walk ends
    // with it.
    bool Answered(SyncResult result, std::string offset, DateTime now, const LogWriter& log);

    // The last server asked (empty when every one was left alone), its
    // answer and its offset text.
    const WalkOutcome& Outcome() const { return outcome_; }

private:
    std::vector<std::string> servers_;
    AutoSyncBackoff& backoff_;
    std::int32_t waitHours_;
    DateTime now_;
    std::size_t index_ = 0;
    bool started_ = false;
    WalkOutcome outcome_;
};

// The walk without waiting: each server asked through an SntpExchange,
// one after the other, until one corrects the clock, the system refuses
// for lack of the right, or the list ends. A walk that is cancelled (or
// destroyed) says nothing more.
class ServerWalk {
public:
    struct Asking {
        std::size_t number = 0;
        std::size_t total = 0;
        std::string server;
    };
    struct Setup {
        std::vector<std::string> servers;
        AutoSyncBackoff& backoff;
        std::int32_t waitHours = 1;
        // Asked before each server.
        MaxCorrectionSource maxCorrection;
        // Each server's line.
        LogWriter log;
        // Told before each server is asked.
        std::function<void(const Asking&)> asking;
    };
    using Done = std::function<void(const WalkOutcome&)>;

    ServerWalk(net::IoDriver& driver, Clock& clock);

    // Starts the walk; done is called once when it ends, later, never from
    // inside Start. An error on the way ends it with SyncResult::Error.
    void Start(Setup setup, Done done);
    void Cancel();
    bool Running() const { return static_cast<bool>(done_); }

private:
    void AskNext();
    void Finish();

    net::IoDriver& driver_;
    Clock& clock_;
    SntpExchange exchange_;
    std::optional<Setup> setup_;
    std::optional<WalkOutcome> errorOutcome_;
    std::optional<WalkSteps> steps_;
    Done done_;
    net::IoHandle next_;
};

}  // namespace pw::nettime
