#include "platform/win32/time_pipe_server.h"

#include <sddl.h>

#include "timehelper/protocol.h"

namespace pw::win {

namespace {

// Network logons are refused outright; the service itself (its account and
// the pipe's owner), the system and administrators get everything; users
// logged on at this computer may read and write messages and switch to
// message mode, but not create instances of their own (FILE_APPEND_DATA
// is FILE_CREATE_PIPE_INSTANCE on a pipe), so they cannot stand in for the
// helper.
constexpr wchar_t kPipeSecurity[] =
    L"D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;LS)(A;;GA;;;OW)(A;;0x120183;;;IU)";

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

TimePipeServer::TimePipeServer(Options options, Handler handler)
    : options_(std::move(options)), handler_(std::move(handler)) {}

TimePipeServer::~TimePipeServer() { Stop(); }

bool TimePipeServer::Start() {
    if (!threads_.empty()) return true;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSecurity, SDDL_REVISION_1, &sd, nullptr))
        return false;
    SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
    std::vector<HANDLE> pipes;
    const int count = options_.instances < 1 ? 1 : options_.instances;
    for (int i = 0; i < count; ++i) {
        // The first instance must be ours: a process that made the name
        // first could otherwise hear every client's request.
        const DWORD first = i == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
        HANDLE pipe = CreateNamedPipeW(
            options_.pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | first,
            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
            static_cast<DWORD>(count), static_cast<DWORD>(timehelper::kMaxReplyBytes),
            static_cast<DWORD>(timehelper::kMaxRequestBytes), 0, &sa);
        if (pipe == INVALID_HANDLE_VALUE) break;
        pipes.push_back(pipe);
    }
    LocalFree(sd);
    if (static_cast<int>(pipes.size()) != count) {
        for (HANDLE p : pipes) CloseHandle(p);
        return false;
    }
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (HANDLE p : pipes) threads_.emplace_back([this, p] { Serve(p); });
    return true;
}

void TimePipeServer::Stop() {
    if (threads_.empty()) return;
    SetEvent(stop_);
    for (auto& t : threads_) t.join();
    threads_.clear();
    CloseHandle(stop_);
    stop_ = nullptr;
}

bool TimePipeServer::Finish(HANDLE pipe, OVERLAPPED& ov, DWORD timeoutMs, DWORD& bytes, DWORD& error) {
    const HANDLE events[2] = {ov.hEvent, stop_};
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, timeoutMs);
    if (woke != WAIT_OBJECT_0) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &ov, &bytes, TRUE);
        return false;
    }
    error = GetOverlappedResult(pipe, &ov, &bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
    return true;
}

void TimePipeServer::Serve(HANDLE pipe) {
    Handle owned(pipe);
    Handle ioEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    while (WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
        OVERLAPPED ov{};
        ov.hEvent = ioEvent.get();
        bool connected = ConnectNamedPipe(pipe, &ov) != FALSE;
        if (!connected) {
            const DWORD error = GetLastError();
            if (error == ERROR_PIPE_CONNECTED)
                connected = true;
            else if (error == ERROR_IO_PENDING) {
                DWORD bytes = 0, result = 0;
                if (!Finish(pipe, ov, INFINITE, bytes, result)) break;
                connected = result == ERROR_SUCCESS;
            }
        }
        if (connected) ServeClient(pipe, ioEvent.get());
        // Also after a client that came and went before the connect.
        DisconnectNamedPipe(pipe);
    }
}

void TimePipeServer::ServeClient(HANDLE pipe, HANDLE ioEvent) {
    // One byte over the limit tells an oversized request from a full one
    // even where the system does not report the rest of the message.
    char request[timehelper::kMaxRequestBytes + 1];
    OVERLAPPED ov{};
    ov.hEvent = ioEvent;
    DWORD got = 0, error = ERROR_SUCCESS;
    if (!ReadFile(pipe, request, sizeof request, &got, &ov)) {
        error = GetLastError();
        if (error == ERROR_IO_PENDING && !Finish(pipe, ov, static_cast<DWORD>(options_.requestTimeoutMs), got, error)) return;
    } else if (!GetOverlappedResult(pipe, &ov, &got, FALSE))
        error = GetLastError();
    // ERROR_MORE_DATA: the message goes on past the limit.
    if (error != ERROR_SUCCESS || got == 0 || got > timehelper::kMaxRequestBytes) return;

    std::string reply;
    try {
        reply = handler_(std::string_view(request, got));
    } catch (...) {
        return;
    }
    if (reply.empty()) return;

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(options_.replyTimeoutMs);
    auto left = [deadline] {
        const ULONGLONG now = GetTickCount64();
        return now >= deadline ? DWORD{0} : static_cast<DWORD>(deadline - now);
    };
    ov = OVERLAPPED{};
    ov.hEvent = ioEvent;
    DWORD wrote = 0;
    if (!WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), &wrote, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING || !Finish(pipe, ov, left(), wrote, error)) return;
    }
    // Disconnecting throws away what the client has not read yet, so the
    // instance waits, within the same limit, for the client to hang up.
    char more;
    ov = OVERLAPPED{};
    ov.hEvent = ioEvent;
    if (!ReadFile(pipe, &more, 1, &got, &ov) && GetLastError() == ERROR_IO_PENDING)
        Finish(pipe, ov, left(), got, error);
}

}  // namespace pw::win
