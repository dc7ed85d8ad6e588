#pragma once
// The buttons of the settings dialog's " Net time " group, "Connect now"
// and "Test servers". The group's fields are ordinary option rows of the
// dialog (ui/option_rows.h); the buttons read the server list through
// NetTimeView.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/locale.h"
#include "common/services.h"
#include "common/store.h"
#include "config/global_settings.h"
#include "config/values.h"
#include "nettime/netsync.h"

namespace pw::net {

inline constexpr std::string_view kTestServersCaption = "Test servers";

// The dialog's controls as the buttons see them.
class NetTimeView {
public:
    virtual ~NetTimeView() = default;
    // memoTimeServers' current text, saved or not; lines end with CR LF.
    virtual std::string TimeServersText() = 0;
    virtual void SetTimeServersText(std::string_view text) = 0;
    // butTestTimeServers' caption. The window should repaint the button at
    // once: the walk blocks the message loop.
    virtual void SetTestServersCaption(std::string_view caption) = 0;
};

struct NetTimeDialog {
    NetTimeView& view;
    // The clock window's global settings.
    cfg::GlobalSettings& settings;
    Store& store;
    const Locale& locale;
    // The attempt's context; its correction source is the dialog's
    // maximum-correction field.
    SyncContext sync;
    LogWriter log;
    Sound& sound;
    MessageBoxes& boxes;
    // Asked by "Connect now" when the system refuses for lack of the
    // right; may be null.
    timehelper::HelperLink* helper = nullptr;
};

// "Connect now": one attempt with the first server of the memo, answered
// by a beep and a message box; a correction is logged (when LogNetTime is
// on) and recorded in LastSynchTime. Does not look at the connection state
// or AutoSynchTime. When the system refuses for lack of the right and the
// time helper answers, the box, the log line and LastSynchTime tell what
// the helper did instead.
void butConnectNowClick(NetTimeDialog& d);

// "Test servers": one full attempt with every server of the memo (each one
// that passes has also set the clock), counting the lines in the button's
// caption, then a report of "OK  : " and "Fail: " lines. The servers that
// passed are put at the top of the memo, followed by an empty line. Writes
// no log line and leaves LastSynchTime alone.
void butTestTimeServersClick(NetTimeDialog& d);

// How long the dialog waits for the time helper's status: it answers at
// once, and the dialog's window waits with it.
inline constexpr int kHelperStatusTimeoutMs = 1000;

// The net-time group's line of the time helper's state (null: none), with
// the local date and time of its last correction while it runs.
std::string HelperStateLine(timehelper::HelperLink* helper, Clock& clock, const Locale& locale);

}  // namespace pw::net
