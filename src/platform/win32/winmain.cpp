// Program entry of plenwick.exe.
#include <windows.h>

#include "common/errors.h"
#include "config/global_settings.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"

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
    return 0;
}
