// Runs the automatic time synchronization for the end-to-end tests, with
// the real clock, the registry and the event log beside this program:
//   netsync_tool auto <port>   one automatic step; every listed server is
//                              asked at <port> of its address instead of
//                              the "ntp" port, so a test server can listen
//                              on a free high port
//   netsync_tool since         seconds since the stored LastSynchTime, read
//                              in the user's regional settings
// Setting the clock is left to Windows, which refuses it when the process
// may not change the time; the tests run without that right. Prints what
// happened; the exit code is 0 unless the arguments were wrong or the
// settings could not be read.
#include <windows.h>

#include "config/value_access.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../support/real_socket_helpers.h"
#include "common/datefmt.h"
#include "common/errors.h"
#include "config/date_values.h"
#include "config/global_settings.h"
#include "log/log.h"
#include "nettime/net_time_attempts.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/net_sync_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_services.h"
#include "platform/win32/io_driver_win32.h"

int main(int argc, char** argv) {
    using namespace pw;
    if (argc < 2) return 2;
    const std::string command = argv[1];
    win::RegistryStore store;
    win::SystemClock clock;
    const Locale locale = win::ReadUserLocale();
    try {
        if (command == "auto" && argc == 3) {
            const auto port = static_cast<std::uint16_t>(std::strtol(argv[2], nullptr, 10));
            cfg::GlobalSettings settings;
            cfg::LoadGlobalSettings(store, locale, settings);
            win::WinFileSystem fs;
            log::EventLog eventLog(fs, clock, locale, log::LogFilePath(fs.ExecutableDirectory()));
            win::WinConnectionState connection;
            win::WinSound sound;
            win::WinMessageBoxes boxes;
            win::WinShell shell;
            win::WinIoDriver driver;
            test::RedirectedDriver redirected(driver, port);
            nettime::NetTimeAttempts attempts({AppServices{store, clock, locale, fs, sound, boxes, shell}, redirected,
                                           connection, settings,
                                           [&store] { return cfg::Read(store, cfg::kSettingsKey, cfg::global::MaxCorrection); },
                                           [&eventLog](std::string_view m) { eventLog.Write(m); }});
            std::printf("connected: %s\n", win::IsInternetConnected() ? "yes" : "no");
            attempts.AutoSynchronize();
            driver.RunUntil([&] { return attempts.Running() == nettime::NetTimeAttempts::Kind::None; }, 120000);
            std::printf("LastSynchTime: %s\n", DateTimeToText(settings.LastSynchTime, locale).c_str());
            return 0;
        }
        if (command == "since" && argc == 2) {
            DateTime last = cfg::ReadDateTime(store, cfg::kSettingsKey, cfg::global::LastSynchTime, locale);
            std::printf("since: %.3f\n", (clock.Now() - last) * 86400.0);
            return 0;
        }
    } catch (const AppError& e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
    return 2;
}
