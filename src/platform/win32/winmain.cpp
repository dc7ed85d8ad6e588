// Program entry of plenwick.exe.
#include <windows.h>

#include "common/errors.h"
#include "config/global_settings.h"
#include "platform/win32/registry_store.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    pw::win::RegistryStore store;
    pw::cfg::GlobalSettings settings;
    try {
        pw::cfg::LoadGlobalSettings(store, settings);
    } catch (const pw::AppError& e) {
        MessageBoxA(nullptr, e.what(), "Plenwick", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
