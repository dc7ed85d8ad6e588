#include "platform/win32/process_win32.h"

#include <windows.h>

#include "common/errors.h"
#include "platform/win32/text.h"

namespace pw::win {

std::string SystemErrorMessage(unsigned long errorNumber) {
    // 4096 bytes of text at most. Inserts are ignored: the caller has no
    // arguments for a message that expects some.
    wchar_t buffer[2048];
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorNumber,
                                   0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    return n == 0 ? std::string() : Narrow(std::wstring_view(buffer, n));
}

void StartProcess(std::string_view commandLine, std::string_view workingDir, sched::ShowCommand show) {
    // CreateProcessW may write into the command line, so it gets its own
    // buffer.
    std::wstring command = Widen(commandLine);
    command.push_back(L'\0');
    const auto dir = sched::WorkingDirArgument(workingDir);
    const std::wstring wideDir = dir ? Widen(*dir) : std::wstring();

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                        nullptr, dir ? wideDir.c_str() : nullptr, &si, &pi)) {
        const DWORD error = GetLastError();
        throw ProcessError(sched::CreateProcessErrorText(error, SystemErrorMessage(error)));
    }
    // The program runs on its own; nothing here follows it.
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace pw::win
