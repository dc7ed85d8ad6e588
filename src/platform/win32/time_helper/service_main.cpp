// Program entry of plenwick-time.exe, the time helper service: the service
// manager starts it as LocalService with the right to set the clock; it
// answers the user's program on its pipe and corrects the clock at its own
// interval. "/install" and "/uninstall" are for its setup.
#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/global_settings.h"
#include "log/log.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/net_sync_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/text.h"
#include "platform/win32/time_helper/service_setup.h"
#include "platform/win32/time_pipe_server.h"
#include "platform/win32/win_files.h"
#include "timeservice/helper.h"
#include "timehelper/names.h"

namespace {

namespace th = pw::timehelper;

constexpr DWORD kTickMs = 60 * 1000;
// Users may read the log; only the service, the system and administrators
// write there. Protected, so the looser rights of the program data folder
// above (users may add files there) do not reach in.
constexpr wchar_t kDataFolderSecurity[] =
    L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;LS)(A;OICI;FRFX;;;BU)";

SERVICE_STATUS_HANDLE statusHandle = nullptr;
SERVICE_STATUS status{SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR, 0, 0, 0};
HANDLE stopEvent = nullptr;

void Report(DWORD state, DWORD exitCode = NO_ERROR) {
    status.dwCurrentState = state;
    status.dwWin32ExitCode = exitCode;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    status.dwWaitHint = pending ? 10000 : 0;
    status.dwCheckPoint = pending ? status.dwCheckPoint + 1 : 0;
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            Report(SERVICE_STOP_PENDING);
            SetEvent(stopEvent);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
        default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// Whatever else the account brings goes for good, so a fault in the
// service cannot use it: only the right to set the clock (enabled when the
// clock is set) and the one to walk folders remain.
void KeepOnlyTimePrivileges() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    LUID systemTime{}, changeNotify{};
    if (size && GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size) &&
        LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &systemTime) &&
        LookupPrivilegeValueW(nullptr, SE_CHANGE_NOTIFY_NAME, &changeNotify)) {
        auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
        auto same = [](const LUID& a, const LUID& b) { return a.LowPart == b.LowPart && a.HighPart == b.HighPart; };
        DWORD removed = 0;
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID luid = privileges->Privileges[i].Luid;
            if (same(luid, systemTime) || same(luid, changeNotify)) continue;
            privileges->Privileges[removed++] = {luid, SE_PRIVILEGE_REMOVED};
        }
        privileges->PrivilegeCount = removed;
        if (removed) AdjustTokenPrivileges(token, FALSE, privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
}

// %ProgramData%\Plenwick, made with its rights, or given them when it is
// there already. Empty when the common folder is unknown.
std::wstring PrepareDataFolder() {
    wchar_t common[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) return {};
    const std::wstring folder = std::wstring(common) + L"\\" + pw::win::Widen(th::kDataFolder);
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kDataFolderSecurity, SDDL_REVISION_1, &sd, nullptr)) {
        SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
        if (!CreateDirectoryW(folder.c_str(), &sa) && GetLastError() == ERROR_ALREADY_EXISTS)
            SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
    }
    return folder;
}

// The helper's work until the service is told to stop; the service's exit
// code.
DWORD Run() {
    pw::win::SystemClock clock;
    pw::win::WinFileSystem files;
    const pw::Locale locale = pw::win::ReadUserLocale();
    const std::wstring folder = PrepareDataFolder();
    if (folder.empty()) return ERROR_PATH_NOT_FOUND;
    pw::log::EventLog log(files, clock, locale, pw::win::Narrow(folder) + "\\" + std::string(th::kLogFileName));
    auto writeLog = [&](std::string_view line) { log.Write(line); };
    // Trimmed as the program trims its own, with its default age.
    const int trimDays = pw::cfg::GlobalSettings{}.TrimLogDays;
    auto trim = [&] { log.Trim(trimDays); };
    trim();

    // The policy's documented place is the one an administrator's registry
    // tools show; on 64-bit Windows that is the 64-bit view, not this 32-bit
    // program's redirected one.
    pw::win::RegistryStore store(KEY_WOW64_64KEY);
    pw::timeservice::TimeHelper helper({clock, pw::win::WinsockSocketFactory(),
                           [&store] { return store.Open(pw::Root::LocalMachine, th::kPolicyKey, pw::OpenMode::Read); },
                           writeLog});
    pw::win::TimePipeServer server({pw::win::Widen(th::kPipeName)},
                                   [&helper](std::string_view request) { return helper.Handle(request); });
    if (!server.Open()) {
        const DWORD error = GetLastError();
        writeLog("The time helper could not open its pipe (error " + std::to_string(error) + ").");
        return error ? error : ERROR_PIPE_BUSY;
    }
    Report(SERVICE_RUNNING);
    SYSTEMTIME day;
    GetSystemTime(&day);
    helper.Tick();
    // This thread serves the pipe and keeps the time: the service starts no
    // thread of its own.
    server.Serve(stopEvent, kTickMs, [&] {
        helper.Tick();
        SYSTEMTIME now;
        GetSystemTime(&now);
        if (now.wDay != day.wDay) {
            day = now;
            trim();
        }
    });
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    statusHandle = RegisterServiceCtrlHandlerExW(pw::win::Widen(th::kServiceName).c_str(), Control, nullptr);
    if (!statusHandle) return;
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_START_PENDING);
    const DWORD exitCode = stopEvent ? Run() : GetLastError();
    Report(SERVICE_STOPPED, exitCode);
}

int Finish(const wchar_t* what, DWORD error) {
    if (error != ERROR_SUCCESS) std::fwprintf(stderr, L"plenwick-time: %ls failed (error %lu).\n", what, error);
    return static_cast<int>(error);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring arg = argc > 1 ? argv[1] : L"";
    if (argc == 2 && lstrcmpiW(arg.c_str(), L"/install") == 0)
        return Finish(L"installing the service", pw::win::timehelper::InstallService(pw::win::ExecutableFilePath()));
    if (argc == 2 && lstrcmpiW(arg.c_str(), L"/uninstall") == 0)
        return Finish(L"removing the service", pw::win::timehelper::UninstallService());
    if (argc > 1) {
        std::fwprintf(stderr, L"Usage: plenwick-time [/install | /uninstall]\n");
        return ERROR_INVALID_PARAMETER;
    }
    KeepOnlyTimePrivileges();
    std::wstring name = pw::win::Widen(th::kServiceName);
    const SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
            std::fwprintf(stderr, L"plenwick-time runs as a service; the service manager starts it.\n");
        return static_cast<int>(error);
    }
    return 0;
}
