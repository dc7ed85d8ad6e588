#include "platform/win32/time_helper/service_setup.h"

#include <cstdint>
#include <vector>

#include "common/store.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"
#include "timehelper/names.h"

namespace pw::win::timehelper {

namespace {

using pw::timehelper::kServiceDisplayName;
using pw::timehelper::kServiceName;

constexpr wchar_t kAccount[] = L"NT AUTHORITY\\LocalService";
constexpr wchar_t kDescription[] =
    L"Sets this computer's clock from the time servers an administrator chose, when Plenwick asks and at "
    L"its own interval. Without it, Plenwick can set the clock only when it runs as administrator.";
// The right to set the clock, and the one every process needs to walk
// folders; the service manager strips the account's others.
constexpr wchar_t kPrivileges[] = L"SeSystemtimePrivilege\0SeChangeNotifyPrivilege\0";
constexpr DWORD kRestartDelayMs = 60 * 1000;
constexpr DWORD kFailureResetSeconds = 24 * 60 * 60;
constexpr DWORD kStopWaitMs = 20 * 1000;
constexpr std::string_view kServicesKey = "System\\CurrentControlSet\\Services\\";

class ScHandle {
public:
    explicit ScHandle(SC_HANDLE h) : h_(h) {}
    ~ScHandle() {
        if (h_) CloseServiceHandle(h_);
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    SC_HANDLE get() const { return h_; }

private:
    SC_HANDLE h_;
};

std::vector<std::uint8_t> Bytes(std::initializer_list<DWORD> words) {
    std::vector<std::uint8_t> out;
    for (DWORD w : words)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    return out;
}

// Whether the service manager kept the restarts (one may take them and
// keep nothing).
bool KeptFailureActions(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!QueryServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(), needed, &needed)) return false;
    return reinterpret_cast<SERVICE_FAILURE_ACTIONSW*>(buffer.data())->cActions == 3;
}

DWORD Configure(SC_HANDLE service) {
    SERVICE_DESCRIPTIONW description{const_cast<wchar_t*>(kDescription)};
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    // The list ends in two NULs: the literal's own and the one above.
    SERVICE_REQUIRED_PRIVILEGES_INFOW privileges{const_cast<wchar_t*>(kPrivileges)};
    SC_ACTION restart[3] = {{SC_ACTION_RESTART, kRestartDelayMs},
                            {SC_ACTION_RESTART, kRestartDelayMs},
                            {SC_ACTION_RESTART, kRestartDelayMs}};
    SERVICE_FAILURE_ACTIONSW failure{kFailureResetSeconds, nullptr, nullptr, 3, restart};
    // Also when it stops with an error of its own (its pipe taken), not
    // only when it crashes.
    SERVICE_FAILURE_ACTIONS_FLAG onError{TRUE};

    // Each setting as the service manager keeps it in the service's key,
    // for one that does not take or keep it itself (Wine's knows only
    // some); it reads that key when it starts.
    const auto* privilegeBytes = reinterpret_cast<const std::uint8_t*>(kPrivileges);
    // The stored form of the restarts: period, two absent texts, the count
    // and the place of the actions, then each action's kind and delay.
    std::vector<std::uint8_t> actions = Bytes({kFailureResetSeconds, 0, 0, 3, 0x14});
    for (const SC_ACTION& a : restart) {
        const auto one = Bytes({static_cast<DWORD>(a.Type), a.Delay});
        actions.insert(actions.end(), one.begin(), one.end());
    }
    struct Setting {
        DWORD level;
        void* info;
        const char* valueName;
        StoreValue stored;
    };
    const Setting settings[] = {
        {SERVICE_CONFIG_DESCRIPTION, &description, nullptr, {}},
        {SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed, "DelayedAutostart", StoreValue::Dword(1)},
        {SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO, &privileges, "RequiredPrivileges",
         StoreValue::Raw(regtype::MultiSz, {privilegeBytes, privilegeBytes + sizeof kPrivileges})},
        {SERVICE_CONFIG_FAILURE_ACTIONS, &failure, "FailureActions", StoreValue::Raw(regtype::Binary, actions)},
        {SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onError, "FailureActionsOnNonCrashFailures", StoreValue::Dword(1)},
    };
    RegistryStore registry;
    const std::string keyPath = std::string(kServicesKey) + std::string(kServiceName);
    for (const Setting& s : settings) {
        if (ChangeServiceConfig2W(service, s.level, s.info)) {
            if (s.level != SERVICE_CONFIG_FAILURE_ACTIONS || KeptFailureActions(service)) continue;
        } else if (GetLastError() != ERROR_INVALID_LEVEL || !s.valueName)
            return GetLastError();
        auto key = registry.Open(Root::LocalMachine, keyPath, OpenMode::ReadWrite);
        if (!key || !key->SetValue(s.valueName, s.stored)) return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

}  // namespace

DWORD InstallService(const std::wstring& exePath) {
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager.get()) return GetLastError();
    const std::wstring name = Widen(kServiceName);
    const std::wstring display = Widen(kServiceDisplayName);
    // Quoted: Program Files has a blank, and an unquoted path would let
    // "C:\Program.exe" run as the service.
    const std::wstring command = L"\"" + exePath + L"\"";
    const DWORD access = SERVICE_CHANGE_CONFIG | SERVICE_QUERY_CONFIG;
    ScHandle service(CreateServiceW(manager.get(), name.c_str(), display.c_str(), access, SERVICE_WIN32_OWN_PROCESS,
                                    SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                    nullptr, kAccount, L""));
    if (service.get()) return Configure(service.get());
    if (GetLastError() != ERROR_SERVICE_EXISTS) return GetLastError();
    // Installed again over an older one: all of it as a new one would be.
    ScHandle existing(OpenServiceW(manager.get(), name.c_str(), access));
    if (!existing.get()) return GetLastError();
    if (!ChangeServiceConfigW(existing.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                              command.c_str(), nullptr, nullptr, nullptr, kAccount, L"", display.c_str()))
        return GetLastError();
    return Configure(existing.get());
}

DWORD UninstallService() {
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager.get()) return GetLastError();
    ScHandle service(
        OpenServiceW(manager.get(), Widen(kServiceName).c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service.get()) return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? ERROR_SUCCESS : GetLastError();
    SERVICE_STATUS status{};
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        const ULONGLONG deadline = GetTickCount64() + kStopWaitMs;
        while (QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED &&
               GetTickCount64() < deadline)
            Sleep(200);
    }
    // A service still running is deleted when it stops; its files may then
    // still be in use, which the setup reports.
    return DeleteService(service.get()) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace pw::win::timehelper
