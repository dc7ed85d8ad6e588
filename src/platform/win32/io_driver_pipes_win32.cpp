// The driver's pipe steps: each write or read is overlapped, and a short
// timer looks at the steps under way while there are any.
#include <exception>
#include <utility>

#include "platform/win32/io_driver_entries_win32.h"
#include "platform/win32/helper_link_win32.h"
#include "platform/win32/io_driver_win32.h"
#include "platform/win32/text.h"

namespace pw::win {

namespace {

// What the pipe grants a user at this computer; asking for more (the
// generic rights) would be refused.
constexpr DWORD kPipeAccess = FILE_READ_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES |
                              READ_CONTROL | SYNCHRONIZE;

}  // namespace

net::IoId WinIoDriver::OpenPipe(const net::PipeTarget& target, net::PipeHandlers handlers, net::PipeOpening& how) {
    how = net::PipeOpening::Refused;
    if (shut_ || !hwnd_) return net::kNoIo;
    // Identification only: whoever answers on this name may learn who
    // asks, never act as the user.
    HANDLE h = CreateFileW(Widen(target.name).c_str(), kPipeAccess, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_PIPE_BUSY) how = net::PipeOpening::Busy;
        return net::kNoIo;
    }
    bool trusted = target.serverService.empty();
    if (!trusted) {
        ULONG server = 0;
        const auto service = RunningServiceProcess(target.serverService);
        trusted = service && GetNamedPipeServerProcessId(h, &server) && server == *service;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    HANDLE event = trusted ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (!event || !SetNamedPipeHandleState(h, &mode, nullptr, nullptr)) {
        if (event) CloseHandle(event);
        CloseHandle(h);
        return net::kNoIo;
    }
    const net::IoId id = NewId();
    auto pipe = std::make_unique<Pipe>();
    pipe->h = h;
    pipe->event = event;
    pipe->handlers = std::move(handlers);
    pipes_[id] = std::move(pipe);
    how = net::PipeOpening::Opened;
    return id;
}

void WinIoDriver::WritePipe(net::IoId id, std::string_view message) {
    auto it = pipes_.find(id);
    if (it == pipes_.end() || it->second->step != Pipe::Step::None) return;
    Pipe& pipe = *it->second;
    pipe.buffer.assign(message);
    pipe.ov = OVERLAPPED{};
    pipe.ov.hEvent = pipe.event;
    pipe.step = Pipe::Step::Write;
    DWORD error = ERROR_SUCCESS;
    if (!WriteFile(pipe.h, pipe.buffer.data(), static_cast<DWORD>(pipe.buffer.size()), nullptr, &pipe.ov))
        error = GetLastError();
    // Done at once or not, the end is looked at from the loop.
    if (error != ERROR_SUCCESS && error != ERROR_IO_PENDING)
        Later(id, [this, id, error] { PipeStepDone(id, error, 0); });
    UpdatePipePoll();
}

void WinIoDriver::ReadPipe(net::IoId id, std::size_t maxBytes) {
    auto it = pipes_.find(id);
    if (it == pipes_.end() || it->second->step != Pipe::Step::None) return;
    Pipe& pipe = *it->second;
    // One byte over the limit tells a message too long from a full one.
    pipe.maxBytes = maxBytes;
    pipe.buffer.assign(maxBytes + 1, '\0');
    pipe.ov = OVERLAPPED{};
    pipe.ov.hEvent = pipe.event;
    pipe.step = Pipe::Step::Read;
    DWORD error = ERROR_SUCCESS;
    if (!ReadFile(pipe.h, pipe.buffer.data(), static_cast<DWORD>(pipe.buffer.size()), nullptr, &pipe.ov))
        error = GetLastError();
    if (error == ERROR_MORE_DATA) {
        const auto full = static_cast<DWORD>(pipe.buffer.size());
        Later(id, [this, id, full] { PipeStepDone(id, ERROR_MORE_DATA, full); });
    } else if (error != ERROR_SUCCESS && error != ERROR_IO_PENDING) {
        Later(id, [this, id, error] { PipeStepDone(id, error, 0); });
    }
    UpdatePipePoll();
}

void WinIoDriver::UpdatePipePoll() {
    bool pending = false;
    for (const auto& [id, pipe] : pipes_) pending = pending || pipe->step != Pipe::Step::None;
    if (pending && !pipePoll_) SetTimer(hwnd_, kPipePollTimer, kPipePollMs, nullptr);
    if (!pending && pipePoll_) KillTimer(hwnd_, kPipePollTimer);
    pipePoll_ = pending;
}

void WinIoDriver::PollPipes() {
    std::vector<net::IoId> ready;
    for (const auto& [id, pipe] : pipes_)
        if (pipe->step != Pipe::Step::None && WaitForSingleObject(pipe->event, 0) == WAIT_OBJECT_0) ready.push_back(id);
    for (net::IoId id : ready) {
        auto it = pipes_.find(id);
        if (it == pipes_.end()) continue;
        DWORD bytes = 0;
        const DWORD error =
            GetOverlappedResult(it->second->h, &it->second->ov, &bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
        PipeStepDone(id, error, bytes);
    }
    UpdatePipePoll();
}

void WinIoDriver::PipeStepDone(net::IoId id, DWORD error, DWORD bytes) {
    auto it = pipes_.find(id);
    if (it == pipes_.end()) return;
    Pipe& pipe = *it->second;
    // Both the poll and an error found at the start may report a step.
    if (pipe.step == Pipe::Step::None) return;
    const Pipe::Step step = std::exchange(pipe.step, Pipe::Step::None);
    ResetEvent(pipe.event);
    UpdatePipePoll();
    if (step == Pipe::Step::Write && error == ERROR_SUCCESS && bytes == pipe.buffer.size()) {
        auto written = pipe.handlers.written;
        Run(written);
        return;
    }
    if (step == Pipe::Step::Read && (error == ERROR_SUCCESS || error == ERROR_MORE_DATA)) {
        const std::size_t n = bytes < pipe.maxBytes ? bytes : pipe.maxBytes;
        const bool whole = error == ERROR_SUCCESS && bytes <= pipe.maxBytes;
        const std::string message = pipe.buffer.substr(0, n);
        auto received = pipe.handlers.received;
        Run([&] { received(message, whole); });
        return;
    }
    auto failed = pipe.handlers.failed;
    ClosePipe(id);
    Run([&] { failed(static_cast<int>(error == ERROR_SUCCESS ? ERROR_BROKEN_PIPE : error)); });
}

void WinIoDriver::ClosePipe(net::IoId id) {
    auto it = pipes_.find(id);
    if (it == pipes_.end()) return;
    Pipe& pipe = *it->second;
    if (pipe.step != Pipe::Step::None) {
        // The buffer and the OVERLAPPED must outlive the step: cancelling a
        // pipe step ends it at once, and the wait only collects that end.
        CancelIoEx(pipe.h, &pipe.ov);
        DWORD bytes = 0;
        GetOverlappedResult(pipe.h, &pipe.ov, &bytes, TRUE);
    }
    CloseHandle(pipe.event);
    CloseHandle(pipe.h);
    pipes_.erase(it);
    UpdatePipePoll();
}

}  // namespace pw::win
