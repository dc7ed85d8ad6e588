// Windows: the registry (run it under Wine with scripts/wine-run), files in
// the temporary folder.
#include <windows.h>
#include <psapi.h>

#include "backup.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"
#include "platform/win32/win_files.h"

namespace {

PROCESS_MEMORY_COUNTERS Counters() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c;
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) return 1;
    pw::win::RegistryStore store;
    pw::win::WinFileSystem fs;
    // The peak cannot be reset here; the sizes run in growing order, so
    // the peak after each step is that step's own.
    pw::bench::MemoryProbe mem{[] {}, [] { return Counters().PeakPagefileUsage / 1048576.0; },
                               [] { return Counters().PagefileUsage / 1048576.0; }};
    return pw::bench::RunBackup(store, fs, pw::win::Narrow(temp), mem, "registry");
}
