#pragma once
// What every page of the settings dialog works with: the program's
// services, the parts of the program its controls act on, and the view.

#include <functional>
#include <string>
#include <string_view>

#include "app/clock_window.h"
#include "common/app_services.h"
#include "common/version.h"
#include "config/values.h"
#include "nettime/net_time_attempts.h"
#include "sched/launch.h"
#include "ui/dialog_view.h"

namespace pw::ui {

// The folder of a file path, with its trailing separator; empty for a bare
// name.
std::string FolderOf(std::string_view path);

// What the dialog works with besides its controls; the Win32 layer is
// handed the same and adds itself as the view.
struct SettingsDialogServices {
    AppServices app;
    app::ClockWindow& clockWindow;
    ProgramVersion version = {};
    // The executable's full path, for the start-with-Windows entry.
    std::string executablePath = {};
    // "Check for updates": asks the update server and answers the user.
    std::function<void()> checkForUpdates = {};
    // The editor's "Test" button starts a program or shows a reminder
    // through them; no reminder window (it could not be made): a reminder's
    // test shows nothing.
    sched::Launcher& launcher;
    app::ShowRemindersFn showReminders = {};
    // The attempts at correcting the clock: "Connect now", "Test servers"
    // and the time helper's line go through them, and the group shows what
    // they are doing. None: the buttons do nothing.
    nettime::NetTimeAttempts* netTime = nullptr;
};

struct SettingsDialogParts : SettingsDialogServices {
    DialogView& view;
};

// Leaving an integer field brings its text into the value's range.
void BringIntoRange(DialogView& view, Ctl control, const cfg::IntValue& value);

}  // namespace pw::ui
