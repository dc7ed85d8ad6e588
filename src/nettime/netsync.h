#pragma once
// Keeping the computer's clock right from a list of time servers: one
// attempt against one server, the description of the difference found,
// and the automatic step the clock tick runs at each change of the minute.
//
// SyncWithServer and SyncWithList wait for each server (up to
// kSyncTimeoutMs), on the time helper service's own thread; the program
// asks without waiting (nettime/net_time_attempts.h), with the same rules.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_services.h"
#include "common/clock.h"
#include "common/datetime.h"
#include "common/locale.h"
#include "common/store.h"
#include "common/text.h"
#include "common/version.h"
#include "config/global_settings.h"
#include "net/blocksock.h"
#include "timehelper/link.h"
#include "timehelper/protocol.h"

namespace pw::nettime {

// How long one server is waited for.
inline constexpr int kSyncTimeoutMs = 5000;

// A fresh socket for each attempt; the attempt owns and closes it.
using SocketFactory = std::function<std::unique_ptr<net::DatagramSocket>()>;
// The largest difference that is corrected, in minutes, 0 meaning no
// maximum. Asked once per attempt, so a change in the settings dialog
// counts from the next attempt on.
using MaxCorrectionSource = std::function<std::int32_t()>;
// Writes one message to the event log; the writer adds the time stamp and
// drops its own errors.
using LogWriter = std::function<void(std::string_view message)>;

// What one attempt needs.
struct SyncContext {
    Clock& clock;
    SocketFactory makeSocket;
    MaxCorrectionSource maxCorrection;
};

// Whether the system reports a working Internet connection.
class ConnectionState {
public:
    virtual ~ConnectionState() = default;
    virtual bool IsInternetConnected() = 0;
};

// What one attempt came to.
enum class SyncResult {
    // Within the maximum correction, and the system took the new time.
    Corrected,
    // No reply, an invalid one, a difference beyond the maximum, or a set
    // the system refused for a reason other than the right.
    NotAdjusted,
    // Within the maximum, but the program has no right to set the clock.
    NoRight,
    // The server answered with a kiss-o'-death (RATE, DENY or RSTR): it
    // asks not to be asked again for a while.
    KissOfDeath,
    // An error ended the attempt. Only attempts that run without waiting
    // (nettime/sntp_exchange.h) report it; a waiting one raises the error.
    Error,
};

// The line the buttons add below their answer when the clock could not be
// set for lack of the right.
inline constexpr std::string_view kRunAsAdministratorTail = " must run as administrator to set the clock.";
inline constexpr std::string_view kRunAsAdministrator = Joined<kAppTitle, kRunAsAdministratorTail>;

// Why a clock was not set, as the log line ends it in brackets; the time
// helper reports the same words.
inline constexpr std::string_view kNoRightReason = "no right to set the clock";
inline constexpr std::string_view kKissReason = "the server asks to be left alone";
// The line when an error ends an attempt.
inline constexpr std::string_view kUnknownErrorLine = "NetTime: Unknown error";
// Added to the program's log line of an attempt the time helper made.
inline constexpr std::string_view kByTimeHelper = " (by the time helper)";

// The longest host name there is; a longer server line names no server.
inline constexpr std::size_t kMaxHostNameChars = 253;

// The event log's lines of one attempt: "NetTime: " + offset + " from " +
// server, and "NetTime: Time not adjusted from " + the server, whole up to
// kMaxHostNameChars and cut beyond, with the reason in brackets when there
// is one (no server: none named).
std::string CorrectedLine(std::string_view offset, std::string_view server);
std::string NotAdjustedLine(std::string_view server, std::string_view reason = {});

class TSNTPSend;

// The local clock read as UTC before an attempt: what the offset text
// measures the server's time against.
DateTime UtcBefore(Clock& clock);
// A client set up for one attempt against server: the time limit per
// server, the maximum correction (minutes, 0 none), and the clock set when
// within it.
void PrepareClient(TSNTPSend& client, std::string_view server, std::int32_t maxCorrectionMinutes);
// What the client's verdict on a reply (valid: its QueryTime or TakeReply
// said so) comes to; offsetText is set when the reply was valid.
SyncResult ResultOf(const TSNTPSend& client, bool valid, DateTime utcBefore, std::string& offsetText);

// One attempt against one server: asks it for the time and lets the SNTP
// client set the clock when the difference is within the maximum
// correction. offsetText is set whenever the server gave a valid reply,
// and left alone otherwise. Errors of the socket factory or the
// correction source pass through.
SyncResult SyncWithServer(const SyncContext& ctx, std::string_view server, std::string& offsetText);

// A difference in days as the user reads it: "+ 0 days, 00:01:30",
// "- 1 days, 02:03:04". Rounded to the nearest millisecond, which is then
// dropped; a remainder that rounds up to a whole day counts as one more day.
std::string OffsetText(double days);

// Server names, one per line (CR LF, CR or LF), with blanks and control
// characters around them removed; empty lines are skipped, order and
// duplicates kept.
std::vector<std::string> ParseServerList(std::string_view text);

// The due rule of the automatic step: not due while now lies at or after
// the last correction and no more than intervalHours after it. A last
// correction in the future (the clock was set back) makes it due.
bool IsSyncDue(DateTime now, DateTime lastSynch, std::int32_t intervalHours);


// After a correction: LastSynchTime := now, in the global settings and in
// the store as date-time text. A store that refuses the write is not
// reported; the global settings keep the new time all the same, so the
// automatic step is not due again at once.
void RecordSynchTime(cfg::GlobalSettings& settings, Store& store, const Locale& locale, DateTime now);

// What the automatic step remembers from one minute to the next, in
// memory only: when the system last refused to set the clock for lack of
// the right, and which servers sent a kiss-o'-death, when.
struct AutoSyncBackoff {
    std::optional<DateTime> refusedAt;
    std::map<std::string, DateTime, std::less<>> kissedAt;
};

// What a walk over a server list came to: the last server asked (empty
// when every one was left alone), its answer, and its offset text (empty
// without a valid reply).
struct WalkOutcome {
    SyncResult result = SyncResult::NotAdjusted;
    std::string server;
    std::string offset;
};

// Asks servers in order until one corrects the clock or the system refuses
// for lack of the right. A server that sent a kiss-o'-death less than
// waitHours ago is skipped, one that sends one now is noted in the
// back-off. Logs one line per server asked, except for the refusal, whose
// line the caller writes: the clock may yet be set another way. Errors of
// the attempt pass through.
WalkOutcome SyncWithList(const SyncContext& ctx, const std::vector<std::string>& servers, AutoSyncBackoff& backoff,
                         std::int32_t waitHours, const LogWriter& log);

// How long the program gives the time helper to answer a "SYNC": it asks
// its own servers one after the other, kSyncTimeoutMs each.
inline constexpr int kHelperSyncTimeoutMs = 6 * kSyncTimeoutMs;

// The program's log line of the helper's attempt, with kByTimeHelper.
std::string HelperLine(const timehelper::Status& status);

// How long the automatic step leaves a refusal or a kiss-o'-death alone:
// its interval, and at least an hour.
std::int32_t BackoffHours(std::int32_t intervalHours);

}  // namespace pw::nettime
