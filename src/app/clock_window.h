#pragma once
// The clock window's logic: creation and destruction, the once-a-second
// display refresh, the pop-up menu with its states, the tray, and the
// clock tick it owns. The window itself is a ClockView.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clock_view.h"
#include "app/dialog_link.h"
#include "common/app_services.h"
#include "common/clock.h"
#include "common/files.h"
#include "common/locale.h"
#include "common/services.h"
#include "common/store.h"
#include "config/global_settings.h"
#include "log/log.h"
#include "sched/clock_tick.h"
#include "sched/launch.h"
#include "sched/log_line.h"
#include "app/reminder_window.h"

namespace pw::app {

// The outer width at 96 pixels per inch; scaled to the monitor's.
inline constexpr int kClockWidth = 112;
inline constexpr int kTimerInterval = 1000;
// Font sizes of the labels: the date starts each refresh at 9 points, the
// 24-hour time is always 14; the 12-hour time shrinks from a character
// height of 17 pixels at 96 pixels per inch and never grows back. Points
// grow with the resolution as the window's width does, so a text that fits
// at 100 % fits at every scaling.
inline constexpr int kDateFontPoints = 9;
inline constexpr int kTimeFontPoints24 = 14;
inline constexpr int kTimeFontPixels12 = 17;
// A label never goes below this size, so a text that fits at no size (a
// very long date pattern) ends the fitting instead of shrinking forever.
inline constexpr int kMinFontPoints = 1;
inline constexpr int kHelpTopic = 10;
inline constexpr std::string_view kHelpFileName = "plenwk.htm";

// left = (clientWidth - labelWidth) / 2, halves to the even neighbour, + 1.
int CentredLeft(int clientWidth, int labelWidth);
bool FitsCentred(int clientWidth, int labelWidth);
// The rect moved back into the work area: left edge, top edge, then right
// and bottom, so a window larger than the area ends at its right or bottom.
ScreenRect KeepInside(ScreenRect window, const ScreenRect& workArea);

using ShowRemindersFn = std::function<void(const std::vector<std::string>&)>;

// The parts of the program the clock window drives, all made before it.
struct ClockWindowLinks {
    // The settings every part reads; the clock window loads them at its
    // creation and the settings dialog changes them.
    cfg::GlobalSettings& settings;
    log::EventLog& log;
    // Shows the reminders of a pass. Where the reminder window could not be
    // made it shows nothing: the user has been told once that reminders
    // cannot show, and the clock runs without.
    ShowRemindersFn showReminders = {};
    sched::Launcher& launcher;
    // The automatic time synchronization, run at each change of the minute;
    // none (as in tests of the window alone): a pass does not synchronize.
    std::function<void()> autoSynchronize = {};
    // What ends with the program: run first at exit, so that nothing under
    // way (a time server asked, an update check) answers afterwards.
    std::function<void()> atExit = {};
};

struct ClockWindowParts {
    AppServices app;
    ClockView& view;
    // The executable's directory with its trailing separator.
    std::string programDir;
    ClockWindowLinks links;
};

class ClockWindow {
public:
    explicit ClockWindow(ClockWindowParts parts);
    ~ClockWindow();
    ClockWindow(const ClockWindow&) = delete;
    ClockWindow& operator=(const ClockWindow&) = delete;

    void FormCreate();
    void FormDestroy();
    void RefreshClockDisplay();
    // The window went to a monitor of another resolution, or its scaling
    // changed: the width follows it, and the 12-hour time fits itself again
    // from its starting size.
    void DpiChanged();
    // The user's regional settings changed: the locale every part holds
    // has been replaced. What was made from the old one is made again as a
    // start makes it (the clock's default date form and its 12-hour size,
    // the schedules read from their stored texts, what the settings dialog
    // shows), and the clock shows the new form at once. Nothing is written
    // to the store.
    void RegionalSettingsChanged();
    // The timer's event: one tick of the engine.
    void ClockTimer();

    // The settings dialog, made after this window: it is owned by it and
    // acts on it, so it cannot come first. Until then the menu's dialog
    // commands do nothing.
    void ConnectDialog(SettingsDialogLink& dialog) { dialog_ = &dialog; }
    // The clock's timer, started by the program once every part is made:
    // a pass (and the box of a start-up error, whose loop runs passes)
    // never meets a part missing.
    void StartClock() { parts_.view.SetTimerInterval(kTimerInterval); }

    // Menu, tray and mouse commands.
    void OnCommand(MenuCommand command);
    void lblDateDblClick();
    void mnuOptionsClick();
    void mnuAboutClick();
    void mnuHelpClick();
    void mnuLogFileClick();
    void mnuDisableSchedClick();
    void mnuTrayClick();
    void TrayIconDblClick();
    void mnuCloseClick();

    // Opens the help document at a topic; says so when it cannot.
    void ShowHelpTopic(int topic);
    // Writes time stamp + " - " + message to the log.
    void WriteLogLine(std::string_view message);
    // The same, for the reminder window and the launcher.
    sched::LogLineWriter LogWriter() {
        return [this](std::string_view message) { WriteLogLine(message); };
    }
    void SetCaption(std::string_view caption) { parts_.view.SetCaption(caption); }
    // The settings dialog's "Always on top".
    void SetTopmost(bool topmost) { parts_.view.SetTopmost(topmost); }
    log::EventLog& Log() { return parts_.links.log; }

    cfg::GlobalSettings& Settings() { return parts_.links.settings; }
    const std::string& LogPath() const;
    const std::string& HelpPath() const { return helpPath_; }
    bool SchedulesDisabled() const;
    bool RestoreEnabled() const { return restoreEnabled_; }
    bool TrayEnabled() const { return trayEnabled_; }
    int DateFontSize() const { return dateFont_; }
    int TimeFontSize() const { return timeFont_; }
    sched::ClockTick& Tick() { return *tick_; }

private:
    class TickHost;

    // A read of the store whose failure shows the program's error box and
    // gives the value's default.
    template <class Value>
    auto ReadOrDefault(const Value& v);
    void SetMenuState(bool restoreEnabled);
    // The 12-hour time's size as at a start, from which it shrinks to fit.
    void ResetTimeFont();

    ClockWindowParts parts_;
    std::string helpPath_;
    // The date form "default" stood for at the last refresh.
    std::string defaultDateFormat_;
    int dateFont_ = kDateFontPoints;
    int timeFont_ = kTimeFontPoints24;
    bool restoreEnabled_ = false;
    bool trayEnabled_ = true;
    SettingsDialogLink* dialog_ = nullptr;
    std::unique_ptr<TickHost> host_;
    std::unique_ptr<sched::ClockTick> tick_;
};

}  // namespace pw::app
