#include "timeservice/helper.h"

#include <algorithm>

#include "timehelper/names.h"

namespace pw::timeservice {

namespace {

constexpr std::string_view kPolicyLinePrefix = "Time helper policy: ";
// Why the clock was not set, besides the reasons the program's own log
// lines give.
constexpr std::string_view kNoReplyReason = "no valid reply";
constexpr std::string_view kBeyondMaximumReason = "beyond the maximum correction";
constexpr std::string_view kUnknownErrorReason = "unknown error";

using Complain = std::function<void(std::string_view name, std::string_view what, std::string_view used)>;

// A number from the policy: a 32-bit integer within the value's range.
std::int32_t ReadNumber(StoreKey& key, const cfg::IntValue& value, const Complain& complain) {
    const auto stored = key.GetValue(value.name);
    const std::string def = std::to_string(value.def);
    if (!stored) {
        complain(value.name, "is missing", def);
        return value.def;
    }
    if (stored->type != regtype::Dword || stored->bytes.size() != 4) {
        complain(value.name, "is not a number", def);
        return value.def;
    }
    const auto& b = stored->bytes;
    const auto n = static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                             std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
    if (n < value.min || n > value.max) {
        complain(value.name,
                 "is not from " + std::to_string(value.min) + " to " + std::to_string(value.max), def);
        return value.def;
    }
    return n;
}

// Whether now lies less than seconds after then (not before it: a clock
// set back does not keep the helper from asking).
bool Within(DateTime now, DateTime then, int seconds) {
    const double elapsed = (now - then) * static_cast<double>(kSecondsPerDay);
    return elapsed >= 0 && elapsed < seconds;
}

}  // namespace

Policy ReadPolicy(StoreKey* key, const nettime::LogWriter& log) {
    Policy p;
    auto line = [&](const std::string& text) {
        if (log) log(std::string(kPolicyLinePrefix) + text);
    };
    if (!key) {
        line("no key HKEY_LOCAL_MACHINE\\" + std::string(timehelper::kPolicyKey) + "; using the defaults");
        return p;
    }
    const Complain complain = [&](std::string_view name, std::string_view what, std::string_view used) {
        line("\"" + std::string(name) + "\" " + std::string(what) + "; using " + std::string(used));
    };
    const auto servers = key->GetValue(policy::TimeServers.name);
    if (!servers)
        complain(policy::TimeServers.name, "is missing", policy::TimeServers.def);
    else if (auto list = servers->IsText() ? nettime::ParseServerList(servers->text) : std::vector<std::string>{};
             list.empty())
        complain(policy::TimeServers.name, "names no server", policy::TimeServers.def);
    else
        p.servers = std::move(list);
    p.maxCorrectionMinutes = ReadNumber(*key, policy::MaxCorrection, complain);
    p.intervalHours = ReadNumber(*key, policy::SynchInterval, complain);
    return p;
}

TimeHelper::TimeHelper(HelperParts parts) : parts_(std::move(parts)) {}

timehelper::Status TimeHelper::LastStatus() {
    std::lock_guard lock(statusLock_);
    return status_;
}

std::string TimeHelper::Handle(std::string_view request) {
    const auto r = timehelper::ParseRequest(request);
    if (!r) return {};
    // A status never waits for an attempt under way.
    if (*r == timehelper::Request::Status) return timehelper::StatusText(LastStatus());
    std::lock_guard lock(attemptLock_);
    const Policy policy = CurrentPolicy();
    const timehelper::Status last = LastStatus();
    const DateTime now = parts_.clock.UtcNow();
    // Also the answer to those who asked while the attempt they waited for
    // ran: each client may ask, the servers are asked once. An answer made
    // under another policy (other servers, another maximum) is not the
    // answer to this one.
    if (last.attempted && Within(now, last.lastAttemptUtc, kMinSecondsBetweenAttempts) &&
        policy.AsksAsDoes(attemptPolicy_))
        return timehelper::StatusText(last);
    // Whatever the policy, the clock is set at most once a minute: set
    // moments ago, it is right by the last correction's answer.
    if (last.attempted && Within(now, last.lastCorrectionUtc, kMinSecondsBetweenAttempts)) return timehelper::StatusText(last);
    return timehelper::StatusText(Attempt(policy));
}

void TimeHelper::Tick() {
    // An attempt on request is under way; the next tick looks again.
    std::unique_lock lock(attemptLock_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    const Policy policy = CurrentPolicy();
    if (policy.intervalHours == 0) return;
    const timehelper::Status last = LastStatus();
    if (last.attempted) {
        const DateTime now = parts_.clock.UtcNow();
        if (!nettime::IsSyncDue(now, last.lastCorrectionUtc, policy.intervalHours)) return;
        if (!nettime::IsSyncDue(now, last.lastAttemptUtc, kRetryHours)) return;
    }
    Attempt(policy);
}

Policy TimeHelper::CurrentPolicy() {
    std::vector<std::string> complaints;
    Policy policy;
    try {
        std::unique_ptr<StoreKey> key = parts_.openPolicy ? parts_.openPolicy() : nullptr;
        policy = ReadPolicy(key.get(), [&](std::string_view m) { complaints.emplace_back(m); });
    } catch (...) {
        policy = Policy{};
        complaints = {std::string(kPolicyLinePrefix) + "could not be read; using the defaults"};
    }
    for (const std::string& c : complaints)
        if (std::find(complaints_.begin(), complaints_.end(), c) == complaints_.end() && parts_.log) parts_.log(c);
    complaints_ = std::move(complaints);
    return policy;
}

timehelper::Status TimeHelper::Attempt(const Policy& policy) {
    Clock& clock = parts_.clock;
    attemptPolicy_ = policy;
    timehelper::Status s;
    s.attempted = true;
    s.lastCorrectionUtc = LastStatus().lastCorrectionUtc;
    const nettime::LogWriter log = [this](std::string_view m) {
        if (parts_.log) parts_.log(m);
    };
    try {
        const nettime::SyncContext ctx{clock, parts_.makeSocket, [&policy] { return policy.maxCorrectionMinutes; }};
        const nettime::WalkOutcome outcome =
            nettime::SyncWithList(ctx, policy.servers, backoff_, nettime::BackoffHours(policy.intervalHours), log);
        s.server = outcome.server;
        s.offsetText = outcome.offset;
        switch (outcome.result) {
            case nettime::SyncResult::Corrected: s.clockSet = true; break;
            case nettime::SyncResult::NoRight:
                s.whyNot = nettime::kNoRightReason;
                log(nettime::NotAdjustedLine(outcome.server, s.whyNot));
                break;
            case nettime::SyncResult::KissOfDeath: s.whyNot = nettime::kKissReason; break;
            case nettime::SyncResult::Error: s.whyNot = kUnknownErrorReason; break;
            case nettime::SyncResult::NotAdjusted:
                if (outcome.server.empty()) {
                    // Every server asked to be left alone a while ago.
                    s.whyNot = nettime::kKissReason;
                    log(nettime::NotAdjustedLine({}, s.whyNot));
                } else {
                    s.whyNot = outcome.offset.empty() ? kNoReplyReason : kBeyondMaximumReason;
                }
                break;
        }
    } catch (...) {
        s.clockSet = false;
        s.whyNot = kUnknownErrorReason;
        try {
            log(nettime::kUnknownErrorLine);
        } catch (...) {
            // The status below still tells the clients.
        }
    }
    // Taken after the correction, so the minute between attempts counts in
    // the corrected time.
    s.lastAttemptUtc = clock.UtcNow();
    if (s.clockSet) s.lastCorrectionUtc = s.lastAttemptUtc;
    std::lock_guard lock(statusLock_);
    status_ = s;
    return s;
}

}  // namespace pw::timeservice
