#pragma once
// Keeping the computer's clock right from a list of time servers: one
// attempt against one server, the description of the difference found,
// and the automatic step the clock tick runs at each change of the minute.
//
// Everything runs on the caller's thread and blocks it while a server is
// asked (up to kSyncTimeoutMs per server). Nothing here shows anything to
// the user; the settings dialog's buttons are in nettime/netsync_dialog.h.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/datetime.h"
#include "common/locale.h"
#include "common/store.h"
#include "config/global_settings.h"
#include "nettime/blocksock.h"

namespace pw::net {

// How long one server is waited for.
inline constexpr int kSyncTimeoutMs = 5000;

// A fresh socket for each attempt; the attempt owns and closes it.
using SocketFactory = std::function<std::unique_ptr<DatagramSocket>()>;
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

// One attempt against one server: asks it for the time and lets the SNTP
// client set the clock when the difference is within the maximum
// correction. True when the clock was corrected: within the maximum, and
// the system took the new time.
// offsetText is set whenever the server gave a valid reply, and left alone
// otherwise. Errors of the socket factory or the correction source pass
// through.
bool SyncWithServer(const SyncContext& ctx, std::string_view server, std::string& offsetText);

// A difference in days as the user reads it: "+ 0 days, 00:01:30",
// "- 1 days, 02:03:04". Rounded to the nearest millisecond, which is then
// dropped; a remainder that rounds up to a whole day counts as one more day.
std::string OffsetText(double days);

// Server names, one per line (CR LF, CR or LF), with blanks and control
// characters around them removed; empty lines are skipped, order and
// duplicates kept.
std::vector<std::string> ParseServerList(std::string_view text);
// One line of a server list without the blanks and control characters
// around it.
std::string_view TrimServerLine(std::string_view line);

// The due rule of the automatic step: not due while now lies at or after
// the last correction and no more than intervalHours after it. A last
// correction in the future (the clock was set back) makes it due.
bool IsSyncDue(DateTime now, DateTime lastSynch, std::int32_t intervalHours);

// The stored MaxCorrection, read at each attempt and brought into its
// range: the correction source for as long as there is no settings dialog
// whose field says it. A value of the wrong type raises StoreError.
MaxCorrectionSource StoredMaxCorrection(Store& store);

// After a correction: LastSynchTime := now, in the global settings and in
// the store as date-time text. A store that refuses the write is not
// reported; the global settings keep the new time all the same, so the
// automatic step is not due again at once.
void RecordSynchTime(cfg::GlobalSettings& settings, Store& store, const Locale& locale, DateTime now);

// What the automatic step needs besides one attempt's context.
struct AutoSyncContext {
    SyncContext sync;
    ConnectionState& connection;
    cfg::GlobalSettings& settings;
    Store& store;
    const Locale& locale;
    LogWriter log;
};

// The automatic synchronization, run by the clock tick at each change of
// the minute. Asks for the connection first (every time), then looks at
// AutoSynchTime and the due rule, then walks the global server list until
// one server corrects the clock. Logs, when LogNetTime is on, one line per
// server tried ("NetTime: " + offset + " from " + server, or "NetTime: Time
// not adjusted from " + server) and "NetTime: Unknown error" when an error
// ends the walk. Never raises: the rest of the tick's pass goes on.
//
// A server that does not answer costs kSyncTimeoutMs, and the walk adds
// these up, so a list of dead servers blocks the caller that much longer.
void AutoSynchronize(AutoSyncContext& ctx);

}  // namespace pw::net
