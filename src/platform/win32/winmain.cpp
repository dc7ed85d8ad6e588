// Program entry of plenwick.exe: the single-instance guard, then every part
// of the program made with what it needs, the three windows in their order
// (the clock window, the settings dialog and the reminder window), the
// clock's timer started last, then the message loop until "Exit".
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/startup.h"
#include "platform/win32/clock_window_win32.h"
#include "platform/win32/helper_link_win32.h"
#include "platform/win32/instance_mutex.h"
#include "platform/win32/io_driver_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/net_sync_win32.h"
#include "nettime/net_time_attempts.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/reminder_window_win32.h"
#include "platform/win32/settings_dialog_win32.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/text.h"
#include "platform/win32/version_win32.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_services.h"
#include "log/log.h"
#include "sched/launch.h"
#include "sched/snooze.h"
#include "update/update_check.h"

// The runtime's own handler for an uncaught exception prints the demangled
// type name to a console this program does not have, and brings a C++
// name demangler a third the size of the program along. Every handler
// catches at the window procedure, so reaching this is a bug: end at once.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// The runtime has already split the command line; the shell's splitter
// would load the shell at start-up for this alone.
std::optional<std::string> FirstArgument() {
    if (__argc > 1 && __wargv && __wargv[1]) return pw::win::Narrow(__wargv[1]);
    return std::nullopt;
}

// The delay-loaded DLLs (and any other the program loads by name) come
// from the program's folder and the system folder only, never from the
// current folder or PATH, where a planted copy would run with the user's
// rights. Windows 7 has the call only with an update, hence the lookup.
void LoadDllsFromSafeFoldersOnly() {
    using SetDirsFn = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (auto set = reinterpret_cast<SetDirsFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
            set(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    LoadDllsFromSafeFoldersOnly();
    // Held until the process ends.
    pw::win::InstanceMutexes mutexes;
    const auto first = FirstArgument();
    if (pw::app::ClaimInstance(mutexes, first ? std::optional<std::string_view>(*first) : std::nullopt) ==
        pw::app::InstanceDecision::End)
        return 0;

    pw::win::RegistryStore store;
    // Every part holds this one locale; the clock window reads it again when
    // the user changes the regional settings.
    pw::win::UserLocale userLocale;
    const pw::Locale& locale = userLocale.Current();
    pw::win::SystemClock clock;
    pw::win::WinFileSystem files;
    pw::win::WinSound sound;
    pw::win::WinMessageBoxes boxes;
    pw::win::WinShell shell;
    const pw::AppServices app{store, clock, locale, files, sound, boxes, shell};

    const std::string programDir = files.ExecutableDirectory();
    const pw::ProgramVersion version = pw::win::ReadProgramVersion();

    // Every part is made here with what it needs, before the window that
    // drives them; the clock's timer starts only when all of them exist.
    // What they share: the settings, loaded when the clock window is
    // created and changed by the settings dialog, and the event log.
    pw::cfg::GlobalSettings settings;
    pw::log::EventLog eventLog(files, clock, locale, pw::log::LogFilePath(programDir));
    const pw::sched::LogLineWriter writeLog = [&eventLog](std::string_view message) { eventLog.Write(message); };

    pw::win::WinProcessStarter starter;
    pw::sched::Launcher launcher(starter, settings, writeLog);

    // Made with the clock window's settings, created after it. Not owned by
    // the clock window: the windows of a minimized owner are hidden, and
    // reminders must show while the clock sits in the tray.
    pw::win::ReminderWindowWin32 reminders(store, settings, writeLog, boxes, version);
    pw::sched::SnoozeQueue snoozes(store, locale);
    reminders.Logic().AttachSnooze(&snoozes, &clock);
    bool remindersMade = false;
    const pw::app::ShowRemindersFn showReminders = [&](const std::vector<std::string>& items) {
        if (remindersMade) reminders.ShowReminders(items);
    };

    // Time servers, the time helper and the update server are asked through
    // it: nothing on this thread waits for them.
    pw::win::WinIoDriver driver;
    driver.OnError([&boxes](const char* what) { boxes.ShowError(what); });
    pw::update::UpdateChecker updates({app, driver}, version);

    // The synchronization takes its limit from the settings for every
    // server. Where the program lacks the right to set the clock, the
    // machine's time helper service may do it; it answers on its pipe if it
    // is installed.
    pw::win::WinConnectionState connection;
    pw::win::WinHelperLink timeHelper;
    pw::nettime::NetTimeAttempts netTime({app, driver, connection, settings,
                                      [&settings] { return settings.MaxCorrection; }, writeLog, &timeHelper});

    pw::win::ClockWindowWin32 clockWindow(app, programDir,
                                          {.settings = settings,
                                           .log = eventLog,
                                           .showReminders = showReminders,
                                           .launcher = launcher,
                                           .autoSynchronize = [&netTime] { netTime.AutoSynchronize(); },
                                           // At "Exit" nothing under way may answer any more: no
                                           // box, no log line, no clock set after it.
                                           .atExit =
                                               [&] {
                                                   netTime.Shutdown();
                                                   updates.Shutdown();
                                                   driver.Shutdown();
                                               }});
    if (!clockWindow.Create(instance)) return 1;
    clockWindow.FollowRegionalSettings(userLocale);
    auto& clockLogic = clockWindow.Logic();
    boxes.SetOwner(clockWindow.Handle());

    // Created hidden; its schedule writes reach the tick's memory at once.
    pw::win::SettingsDialogWin32 settingsWindow({
        .app = app.WithStore(clockLogic.Tick().ScheduleWriter()),
        .clockWindow = clockLogic,
        .version = version,
        .executablePath = pw::win::Narrow(pw::win::ExecutableFilePath()),
        .checkForUpdates = [&updates] { updates.butCheckForUpdateClick(); },
        .launcher = launcher,
        .showReminders = showReminders,
        .netTime = &netTime,
    });
    clockLogic.ConnectDialog(settingsWindow.Logic());
    if (!settingsWindow.Create(instance, clockWindow.Handle())) {
        boxes.ShowError("The settings dialog could not be created.");
        return 1;
    }
    boxes.SetDialog([&settingsWindow] { return settingsWindow.Handle(); });

    // Without it (no rich edit control on the system) the clock still runs
    // and starts programs; the user is told once that reminders cannot
    // show. The clock is not running yet: the box's loop runs no pass.
    remindersMade = reminders.Create(instance);
    if (!remindersMade) boxes.ShowError("The reminder window could not be created; reminders will not be shown.");

    clockLogic.StartClock();
    clockWindow.ShowAtStart();
    settingsWindow.BuildLater(1000);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Tab, the arrow keys, Enter, Esc and mnemonics of the dialog.
        if (settingsWindow.IsDialogMessage(msg)) continue;
        if (reminders.IsDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
