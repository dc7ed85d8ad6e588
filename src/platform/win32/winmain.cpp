// Program entry of plenwick.exe.
#include <windows.h>

#include "common/errors.h"
#include "config/global_settings.h"
#include "log/log.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/text.h"
#include "platform/win32/win_files.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    pw::win::RegistryStore store;
    const pw::Locale locale = pw::win::ReadUserLocale();
    pw::cfg::GlobalSettings settings;
    try {
        pw::cfg::LoadGlobalSettings(store, locale, settings);
    } catch (const pw::AppError& e) {
        // The text may quote a stored date in the user's own script.
        MessageBoxW(nullptr, pw::win::Widen(e.what()).c_str(), L"Plenwick", MB_OK | MB_ICONERROR);
        return 1;
    }
    pw::win::SystemClock clock;
    pw::win::WinFileSystem files;
    pw::log::EventLog eventLog(files, clock, locale, pw::log::LogFilePath(files.ExecutableDirectory()));
    pw::log::WriteStartBannerIfLogging(eventLog, settings);
    return 0;
}
