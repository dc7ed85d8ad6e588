// A stand-in for the time helper service for bench/clock_answers.sh: it
// runs as the service of the helper's name, takes every client on the
// helper's pipe, reads its request and never answers, as a helper hung in
// its work would. Installed and started with the service manager:
//   sc create PlenwickTime binpath= "...\bench_helper_silent_win32.exe"
//   sc start PlenwickTime
// and ended with "sc stop" (or the end of the Wine session).
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/text.h"
#include "timehelper/names.h"

namespace {

SERVICE_STATUS_HANDLE statusHandle = nullptr;

void Report(DWORD state) {
    SERVICE_STATUS s{};
    s.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    s.dwCurrentState = state;
    s.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(statusHandle, &s);
}

void WINAPI Control(DWORD control) {
    if (control != SERVICE_CONTROL_STOP) return;
    Report(SERVICE_STOPPED);
    ExitProcess(0);
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    const std::wstring service = pw::win::Widen(pw::timehelper::kServiceName);
    statusHandle = RegisterServiceCtrlHandlerW(service.c_str(), Control);
    Report(SERVICE_RUNNING);
    const std::wstring pipe = pw::win::Widen(pw::timehelper::kPipeName);
    std::vector<HANDLE> held;  // every client, answered never
    for (;;) {
        HANDLE p = CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX,
                                    PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                    4096, 4096, 0, nullptr);
        if (p == INVALID_HANDLE_VALUE) {
            Sleep(100);
            continue;
        }
        if (!ConnectNamedPipe(p, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
            CloseHandle(p);
            continue;
        }
        char request[64];
        DWORD n = 0;
        ReadFile(p, request, sizeof request, &n, nullptr);
        held.push_back(p);
    }
}

}  // namespace

int main() {
    static std::wstring name = pw::win::Widen(pw::timehelper::kServiceName);
    SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
