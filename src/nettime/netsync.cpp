#include "nettime/netsync.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "config/date_values.h"
#include "config/value_access.h"
#include "config/values.h"
#include "nettime/server_walk.h"
#include "nettime/sntp.h"

namespace pw::nettime {

namespace {

constexpr double kMinutesPerDay = 1440.0;
constexpr double kMsPerDay = 86400000.0;

}  // namespace

DateTime UtcBefore(Clock& clock) { return clock.Now() + clock.ZoneBiasMinutes() / kMinutesPerDay; }

void PrepareClient(TSNTPSend& client, std::string_view server, std::int32_t maxCorrectionMinutes) {
    client.Host = std::string(server);
    client.TimeoutMs = kSyncTimeoutMs;
    client.MaxApplyDiff = maxCorrectionMinutes * 60.0;
    client.ApplyTime = true;
}

SyncResult ResultOf(const TSNTPSend& client, bool valid, DateTime utcBefore, std::string& offsetText) {
    if (!valid) {
        // Of the kiss codes only these three ask the client to stop; the
        // others carry news a simple client has no use for.
        const std::string& kiss = client.KissCode;
        return kiss == "RATE" || kiss == "DENY" || kiss == "RSTR" ? SyncResult::KissOfDeath : SyncResult::NotAdjusted;
    }
    offsetText = OffsetText(client.ServerTime - utcBefore);
    // Corrected is what the client did, not a second check of the limit:
    // the difference above is taken before the lookup and the round trip,
    // so near the limit it can disagree with the client's own, and only the
    // client knows whether the system took the new time. Telling the user
    // "corrected" for a clock that stayed wrong would also stop the
    // automatic attempts for a whole interval.
    if (!client.SetResult) return SyncResult::NotAdjusted;
    switch (*client.SetResult) {
        case ClockSet::Done: return SyncResult::Corrected;
        case ClockSet::NoRight: return SyncResult::NoRight;
        case ClockSet::Failed: break;
    }
    return SyncResult::NotAdjusted;
}

SyncResult SyncWithServer(const SyncContext& ctx, std::string_view server, std::string& offsetText) {
    TSNTPSend client(ctx.clock, ctx.makeSocket());
    PrepareClient(client, server, ctx.maxCorrection());
    const DateTime utcBefore = UtcBefore(ctx.clock);
    const bool valid = client.QueryTime();
    return ResultOf(client, valid, utcBefore, offsetText);
}

std::string OffsetText(double days) {
    const char* sign = days >= 0 ? "+ " : "- ";
    double a = std::fabs(days);
    // A difference the clocks cannot have; written as no difference rather
    // than converted into an undefined integer.
    if (!std::isfinite(a) || a >= 1e15) a = 0;
    double whole = std::floor(a);
    auto ms = static_cast<std::int64_t>(std::round((a - whole) * kMsPerDay));
    // 23:59:59.9996 rounds to a whole day: one more day and 00:00:00, never
    // an hour 24.
    if (ms >= static_cast<std::int64_t>(kMsPerDay)) {
        whole += 1;
        ms -= static_cast<std::int64_t>(kMsPerDay);
    }
    const std::int64_t seconds = ms / 1000;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%.0f days, %02d:%02d:%02d", sign, whole,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return buffer;
}

std::vector<std::string> ParseServerList(std::string_view text) {
    std::vector<std::string> servers;
    for (const std::string& line : SplitLines(text)) {
        std::string_view name = TrimControls(line);
        if (!name.empty()) servers.emplace_back(name);
    }
    return servers;
}

bool IsSyncDue(DateTime now, DateTime lastSynch, std::int32_t intervalHours) {
    return !(now >= lastSynch && now - lastSynch <= intervalHours / 24.0);
}

void RecordSynchTime(cfg::GlobalSettings& settings, Store& store, const Locale& locale, DateTime now) {
    settings.LastSynchTime = now;
    try {
        cfg::WriteDateTime(store, cfg::kSettingsKey, cfg::global::LastSynchTime, now, locale);
    } catch (const AppError&) {
        // The correction stands; only the record of it is lost, and the next
        // start reads the older time, which at worst costs one early attempt.
    }
}

std::int32_t BackoffHours(std::int32_t intervalHours) { return std::max<std::int32_t>(intervalHours, 1); }

std::string CorrectedLine(std::string_view offset, std::string_view server) {
    return "NetTime: " + std::string(offset) + " from " + std::string(server);
}

std::string NotAdjustedLine(std::string_view server, std::string_view reason) {
    std::string line = "NetTime: Time not adjusted";
    if (!server.empty()) line += " from " + QuotedValueUpTo(server, kMaxHostNameChars);
    if (!reason.empty()) line.append(" (").append(reason).append(")");
    return line;
}

WalkOutcome SyncWithList(const SyncContext& ctx, const std::vector<std::string>& servers, AutoSyncBackoff& backoff,
                         std::int32_t waitHours, const LogWriter& log) {
    WalkSteps walk(servers, backoff, waitHours, ctx.clock.Now());
    while (walk.Next()) {
        std::string offset;
        const SyncResult result = SyncWithServer(ctx, walk.Server(), offset);
        if (!walk.Answered(result, std::move(offset), ctx.clock.Now(), log)) break;
    }
    return walk.Outcome();
}

std::string HelperLine(const timehelper::Status& status) {
    const std::string line = status.clockSet ? CorrectedLine(status.offsetText, status.server)
                                             : NotAdjustedLine(status.server, status.whyNot);
    return line + std::string(kByTimeHelper);
}

}  // namespace pw::nettime
