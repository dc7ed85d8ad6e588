#include "platform/win32/helper_link_win32.h"

#include <windows.h>

#include "platform/win32/text.h"
#include "timehelper/protocol.h"

namespace pw::win {

namespace {

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

// What the pipe grants a user at this computer; asking for more (the
// generic rights) would be refused.
constexpr DWORD kPipeAccess = FILE_READ_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES |
                              READ_CONTROL | SYNCHRONIZE;

// Waits for one overlapped step until the deadline; false when it did not
// finish in time or failed (the step is then cancelled).
bool Finish(HANDLE pipe, OVERLAPPED& ov, ULONGLONG deadline, DWORD& bytes, DWORD& error) {
    const ULONGLONG now = GetTickCount64();
    const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    if (WaitForSingleObject(ov.hEvent, wait) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &ov, &bytes, TRUE);
        return false;
    }
    error = GetOverlappedResult(pipe, &ov, &bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
    return true;
}

// Starts one overlapped read or write and waits for it.
template <typename Start>
DWORD Step(HANDLE pipe, HANDLE event, ULONGLONG deadline, DWORD& bytes, Start start) {
    OVERLAPPED ov{};
    ov.hEvent = event;
    if (start(&ov)) return GetOverlappedResult(pipe, &ov, &bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return error;
    return Finish(pipe, ov, deadline, bytes, error) ? error : WAIT_TIMEOUT;
}

}  // namespace

timehelper::HelperState WinHelperLink::State() {
    using timehelper::HelperState;
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager.get()) return HelperState::NotInstalled;
    ScHandle service(OpenServiceW(manager.get(), Widen(timehelper::kServiceName).c_str(), SERVICE_QUERY_STATUS));
    if (!service.get())
        // Present but closed to this user: it is there, and the pipe tells
        // whether it answers.
        return GetLastError() == ERROR_ACCESS_DENIED ? HelperState::Stopped : HelperState::NotInstalled;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                              &needed))
        return HelperState::Stopped;
    return status.dwCurrentState == SERVICE_STOPPED ? HelperState::Stopped : HelperState::Running;
}

std::optional<std::string> WinHelperLink::Exchange(std::string_view request, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    const std::wstring name = Widen(pipeName_);
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (;;) {
        // Identification only: whoever answers on this name may learn who
        // asks, never act as the user.
        pipe = CreateFileW(name.c_str(), kPipeAccess, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) break;
        if (GetLastError() != ERROR_PIPE_BUSY) return std::nullopt;
        // Every instance is serving someone: wait for one within the time.
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return std::nullopt;
        // A wait that fails at once (the instance was taken again) must not
        // spin.
        if (!WaitNamedPipeW(name.c_str(), static_cast<DWORD>(deadline - now))) Sleep(10);
    }
    std::optional<std::string> reply;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (event && SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr)) {
        DWORD bytes = 0;
        const DWORD wrote = Step(pipe, event, deadline, bytes, [&](OVERLAPPED* ov) {
            return WriteFile(pipe, request.data(), static_cast<DWORD>(request.size()), nullptr, ov);
        });
        if (wrote == ERROR_SUCCESS && bytes == request.size()) {
            // One byte over the cap tells a reply too long from a full one.
            std::string buffer(timehelper::kMaxReplyBytes + 1, '\0');
            const DWORD read = Step(pipe, event, deadline, bytes, [&](OVERLAPPED* ov) {
                return ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, ov);
            });
            if (read == ERROR_SUCCESS && bytes > 0 && bytes <= timehelper::kMaxReplyBytes) {
                buffer.resize(bytes);
                reply = std::move(buffer);
            }
        }
    }
    if (event) CloseHandle(event);
    CloseHandle(pipe);
    return reply;
}

}  // namespace pw::win
