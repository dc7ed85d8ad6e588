#pragma once
// The net-time controls of the settings dialog: the " Net time " group
// (server list, automatic connection and its interval, maximum correction,
// "Connect now", "Test servers") and the "Log net time events" check box.
// The handlers keep the global settings and the store up to date and do
// what the buttons do; the dialog's window code only maps its controls to
// NetTimeView and calls them.

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

// The dialog's controls as the handlers see them.
class NetTimeView {
public:
    virtual ~NetTimeView() = default;
    // memoTimeServers' current text, saved or not; lines end with CR LF.
    virtual std::string TimeServersText() = 0;
    virtual void SetTimeServersText(std::string_view text) = 0;
    // butTestTimeServers' caption. The window should repaint the button at
    // once: the walk blocks the message loop.
    virtual void SetTestServersCaption(std::string_view caption) = 0;
    virtual bool AutoSynchTimeChecked() = 0;
    virtual void SetAutoSynchIntervalEnabled(bool enabled) = 0;
    // The texts of the spin boxes spinAutoSynchInterval and MaxCorrection.
    virtual std::string AutoSynchIntervalText() = 0;
    virtual std::string MaxCorrectionText() = 0;
    virtual bool LogNetTimeChecked() = 0;
};

// The MaxCorrection field as the correction source, read at each attempt.
MaxCorrectionSource MaxCorrectionFromView(NetTimeView& view);

struct NetTimeDialog {
    NetTimeView& view;
    // The clock window's global settings.
    cfg::GlobalSettings& settings;
    Store& store;
    const Locale& locale;
    // The attempt's context; its correction source is normally
    // MaxCorrectionFromView(view).
    SyncContext sync;
    LogWriter log;
    Sound& sound;
    MessageBoxes& boxes;
};

// Control handlers. A store that refuses a write is not reported; the
// global settings take the new value all the same.
void memoTimeServersExit(NetTimeDialog& d);
void chkAutoSynchTimeClick(NetTimeDialog& d);
void spinAutoSynchIntervalChange(NetTimeDialog& d);
// On change and on leaving the field.
void MaxCorrectionChange(NetTimeDialog& d);
void MaxCorrectionExit(NetTimeDialog& d);
void chkLogNetTimeClick(NetTimeDialog& d);

// "Connect now": one attempt with the first server of the memo, answered
// by a beep and a message box; a correction is logged (when LogNetTime is
// on) and recorded in LastSynchTime. Does not look at the connection state
// or AutoSynchTime.
void butConnectNowClick(NetTimeDialog& d);

// "Test servers": one full attempt with every server of the memo (each one
// that passes has also set the clock), counting the lines in the button's
// caption, then a report of "OK  : " and "Fail: " lines. The servers that
// passed are put at the top of the memo, followed by an empty line. Writes
// no log line and leaves LastSynchTime alone.
void butTestTimeServersClick(NetTimeDialog& d);

}  // namespace pw::net
