#pragma once
// Every attempt to correct the clock runs here, one at a time, without
// waiting: the automatic step of each new minute, "Connect now" and
// "Test servers" of the settings dialog's " Net time " group, and the
// time helper asked where the program lacks the right to set the clock.
// Each starts its exchanges through the driver and returns at once; its
// result is logged, recorded and answered when its last exchange ends.
//
// Two attempts never run at once. The automatic step leaves a minute out
// while another attempt runs (the due rule brings it back the next
// minute); "Connect now" during an automatic walk joins it and answers
// with its outcome; "Test servers" starts only when nothing runs (the
// dialog greys the buttons meanwhile). Shutdown, at exit, ends everything
// under way: no box, no log line and no clock set comes afterwards.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_services.h"
#include "config/global_settings.h"
#include "net/io_driver.h"
#include "nettime/netsync.h"
#include "nettime/server_walk.h"
#include "nettime/sntp_exchange.h"
#include "timehelper/helper_exchange.h"
#include "timehelper/link.h"
#include "timehelper/protocol.h"

namespace pw::nettime {

inline constexpr std::string_view kTestServersCaption = "Test servers";
// While a server is asked: "Asking 2 of 3: " + server + an ellipsis.
std::string AskingLine(std::size_t number, std::size_t total, std::string_view server);
inline constexpr std::string_view kAskingHelperLine = "Asking the time helper\xE2\x80\xA6";

// How long the dialog waits for the time helper's status: it answers at
// once.
inline constexpr int kHelperStatusTimeoutMs = 1000;

// The net-time group as "Test servers" sees it.
class NetTimeView {
public:
    virtual ~NetTimeView() = default;
    // memoTimeServers' current text, saved or not; lines end with CR LF.
    virtual std::string TimeServersText() = 0;
    virtual void SetTimeServersText(std::string_view text) = 0;
    // butTestTimeServers' caption.
    virtual void SetTestServersCaption(std::string_view caption) = 0;
};

struct NetTimeParts : AppServices {
    net::IoDriver& driver;
    ConnectionState& connection;
    // The clock window's global settings.
    cfg::GlobalSettings& settings;
    // The maximum correction the settings hold, read for each server.
    MaxCorrectionSource maxCorrection;
    // Writes a line to the event log; asked only while LogNetTime is on.
    LogWriter log;
    // The time helper, where the program may lack the right; may be null.
    timehelper::HelperLink* helper = nullptr;
};

class NetTimeAttempts {
public:
    enum class Kind { None, Automatic, ConnectNow, TestServers };

    explicit NetTimeAttempts(NetTimeParts parts);
    ~NetTimeAttempts();
    NetTimeAttempts(const NetTimeAttempts&) = delete;
    NetTimeAttempts& operator=(const NetTimeAttempts&) = delete;

    // The automatic synchronization, run by the clock tick at each change
    // of the minute. Asks for the connection first (every time), then
    // looks at AutoSynchTime and the due rule, then starts walking the
    // global server list and returns; the walk logs, when LogNetTime is
    // on, one line per server tried and "NetTime: Unknown error" when an
    // error ends it. Nothing is shown unless "Connect now" joined it.
    //
    // A dead server or a difference beyond the maximum is tried again at
    // the next minute. Two answers wait for BackoffHours instead:
    // - the system refuses to set the clock for lack of the right: the walk
    //   ends with "... (no right to set the clock)" behind the line, and no
    //   server is asked until then. When the time helper answers instead,
    //   its line is logged in place of that one; a correction it made
    //   counts as the program's own, and anything else waits as the
    //   refusal would;
    // - a server sends a kiss-o'-death: that server is left alone until
    //   then and the walk goes on with the next.
    void AutoSynchronize();

    // "Connect now": one attempt with the first server of the memo, answered
    // by a beep and a message box when it ends (the dialog may have been
    // closed meanwhile); a correction is logged (when LogNetTime is on) and
    // recorded in LastSynchTime. Does not look at the connection state or
    // AutoSynchTime. When the system refuses for lack of the right and the
    // time helper answers, the box, the log line and LastSynchTime tell
    // what the helper did instead. During an automatic walk it joins that
    // walk and answers with its outcome.
    void ConnectNow(std::string_view memoText);

    // "Test servers": one full attempt with every line of the memo (each
    // server that passes has also set the clock), counting the lines in the
    // button's caption, then a report of "OK  : " and "Fail: " lines. The
    // servers that passed are put at the top of the memo, followed by an
    // empty line. Writes no log line and leaves LastSynchTime alone. The
    // view must outlive the attempt.
    void TestServers(NetTimeView& view);

    // The net-time group's line of the time helper's state, at once; while
    // it runs, the date and time of its last correction follow through
    // later, when the helper has said.
    std::string HelperStateLine(std::function<void(const std::string&)> later);

    // The program ends: everything under way stops and says nothing more.
    void Shutdown();

    Kind Running() const { return kind_; }
    // Whether "Connect now" has a click waiting for the running attempt's
    // answer (its own or the joined walk's).
    bool ConnectNowWaiting() const { return kind_ == Kind::ConnectNow || joined_; }
    // Which server is being asked, empty while none is.
    const std::string& ProgressLine() const { return progress_; }
    // Called whenever Running, ConnectNowWaiting or ProgressLine change.
    void OnChange(std::function<void()> changed) { changed_ = std::move(changed); }

private:
    void Log(std::string_view message);
    void Record();
    void SetProgress(std::string line);
    void Changed();
    void End();
    // Asks the helper for a "SYNC"; then(status or nothing).
    void AskHelper(std::function<void(std::optional<timehelper::Status>)> then);

    void AutoWalked(const WalkOutcome& outcome);
    void AutoEnded(const WalkOutcome& outcome, const std::optional<timehelper::Status>& helped);
    void ConnectNowAnswered(SyncResult result, const std::string& offset);
    void ConnectNowEnded(SyncResult result, const std::string& offset, const std::string& server,
                         const std::optional<timehelper::Status>& helped);
    void NextTest();
    void TestAnswered(SyncResult result);
    void TestsEnded(bool error);

    NetTimeParts p_;
    ServerWalk walk_;
    SntpExchange exchange_;
    timehelper::HelperExchange helperSync_;
    timehelper::HelperExchange helperStatus_;
    AutoSyncBackoff backoff_;
    Kind kind_ = Kind::None;
    bool joined_ = false;
    bool shut_ = false;
    std::string progress_;
    std::function<void()> changed_;
    // "Connect now"'s server, "Test servers"' lines and findings.
    std::string server_;
    NetTimeView* testView_ = nullptr;
    std::vector<std::string> testLines_;
    std::size_t testNext_ = 0;
    std::string report_;
    std::string passed_;
    bool noRight_ = false;
};

}  // namespace pw::nettime
