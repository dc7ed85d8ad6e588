#include "platform/win32/helper_link_win32.h"

#include <windows.h>

#include "platform/win32/service_handle.h"
#include "platform/win32/text.h"

namespace pw::win {

namespace {

// The service's state and process as the service manager reports them;
// nothing when it is not there, or not open to this user (which
// ERROR_ACCESS_DENIED tells).
std::optional<SERVICE_STATUS_PROCESS> QueryService(const std::string& name, DWORD& error) {
    error = ERROR_SUCCESS;
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle service(manager.get() ? OpenServiceW(manager.get(), Widen(name).c_str(), SERVICE_QUERY_STATUS)
                                   : nullptr);
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (service.get() && QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                              sizeof status, &needed))
        return status;
    error = GetLastError();
    return std::nullopt;
}

}  // namespace

timehelper::HelperState WinHelperLink::State() {
    using timehelper::HelperState;
    DWORD error;
    const auto status = QueryService(serviceName_, error);
    if (!status)
        // Present but closed to this user: it is there, and the pipe tells
        // whether it answers.
        return error == ERROR_ACCESS_DENIED ? HelperState::Stopped : HelperState::NotInstalled;
    return status->dwCurrentState == SERVICE_STOPPED ? HelperState::Stopped : HelperState::Running;
}

std::optional<unsigned long> RunningServiceProcess(std::string_view serviceName) {
    DWORD error;
    const auto status = QueryService(std::string(serviceName), error);
    if (!status || status->dwCurrentState == SERVICE_STOPPED || status->dwProcessId == 0) return std::nullopt;
    return status->dwProcessId;
}

}  // namespace pw::win
