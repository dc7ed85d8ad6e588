#pragma once
// The time helper's own logic, apart from the service and the pipe: its
// policy, its automatic correction, and its answer to a request.
//
// Handle may be called from several pipe threads at once and Tick from the
// service's thread: a status is answered at once even while an attempt is
// running, and attempts never overlap.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/store.h"
#include "config/values.h"
#include "nettime/netsync.h"
#include "timehelper/protocol.h"

namespace pw::timeservice {

inline constexpr std::int32_t kDefaultIntervalHours = 24;
// A Sync within this many seconds of the last attempt gets its result, if
// the policy is still the one it was made with; and the clock is never set
// twice within it.
inline constexpr int kMinSecondsBetweenAttempts = 60;

// The policy key's values. The server list and the maximum correction have
// the names, meaning and defaults of the user's own; the interval is the
// helper's own (the user's has no hours when the automatic step is off).
namespace policy {
inline constexpr cfg::TextValue TimeServers = cfg::global::TimeServers;
inline constexpr cfg::IntValue MaxCorrection = cfg::global::MaxCorrection;
inline constexpr cfg::IntValue SynchInterval{"SynchInterval", kDefaultIntervalHours, 0,
                                             cfg::global::AutoSynchInterval.max};
}  // namespace policy

// A failed attempt of the helper's own is tried again after this long.
inline constexpr std::int32_t kRetryHours = 1;

// Read from the policy key each time an attempt starts.
struct Policy {
    std::vector<std::string> servers{std::string(policy::TimeServers.def)};
    // Minutes; same meaning and default as the user's MaxCorrection.
    std::int32_t maxCorrectionMinutes = policy::MaxCorrection.def;
    // Hours between the helper's own corrections; 0 = only on request.
    std::int32_t intervalHours = kDefaultIntervalHours;

    // Whether an attempt under either would ask the same servers and set
    // the clock by the same rule (the interval only says when to ask).
    bool AsksAsDoes(const Policy& other) const {
        return servers == other.servers && maxCorrectionMinutes == other.maxCorrectionMinutes;
    }
};

// The policy from its key (null when the key is missing): defaults for
// what is missing or bad, one log line for each bad or missing thing.
Policy ReadPolicy(StoreKey* key, const nettime::LogWriter& log);

// What the helper works with. The service gives it the system clock, the
// Winsock sockets, the policy key under HKEY_LOCAL_MACHINE and its log;
// tests give it fakes.
struct HelperParts {
    Clock& clock;
    nettime::SocketFactory makeSocket;
    // Opens the policy key for reading; null when it is missing.
    std::function<std::unique_ptr<StoreKey>()> openPolicy;
    // One line in the helper's own log (time stamp added by the writer).
    nettime::LogWriter log;
};

class TimeHelper {
public:
    explicit TimeHelper(HelperParts parts);

    // One request's reply as sent back on the pipe; empty when the request
    // is not one (the pipe then drops the client).
    std::string Handle(std::string_view request);
    // The automatic correction: called by the service about once a minute.
    void Tick();

    timehelper::Status LastStatus();

private:
    // Both with attemptLock_ held.
    Policy CurrentPolicy();
    timehelper::Status Attempt(const Policy& policy);

    HelperParts parts_;
    std::mutex attemptLock_;  // one attempt at a time
    std::mutex statusLock_;   // guards status_ only
    timehelper::Status status_;
    // The policy the last attempt was made with.
    Policy attemptPolicy_;
    nettime::AutoSyncBackoff backoff_;
    // The policy's complaints as last logged, so that a bad value is
    // logged when it appears and not at every attempt.
    std::vector<std::string> complaints_;
};

}  // namespace pw::timeservice
