// Started by the launch tests: writes what it was started with (its
// working directory, the show command and flags of its startup
// information, its command line) to the file named by its first argument,
// as UTF-8 lines "dir=", "show=", "flags=", "cmd=".
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/text.h"

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;

    wchar_t dir[MAX_PATH * 2];
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(std::size(dir)), dir);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);

    std::string out = "dir=" + pw::win::Narrow(std::wstring_view(dir, n)) + "\n";
    out += "show=" + std::to_string(si.wShowWindow) + "\n";
    out += "flags=" + std::to_string(si.dwFlags) + "\n";
    out += "cmd=" + pw::win::Narrow(GetCommandLineW()) + "\n";

    // Written beside the target and renamed, so the test never reads half a file.
    const std::wstring target = argv[1];
    const std::wstring temp = target + L".part";
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(f);
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
