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

}  // namespace

TimePipeServer::TimePipeServer(Options options, Handler handler)
    : options_(std::move(options)), handler_(std::move(handler)) {}

TimePipeServer::~TimePipeServer() {
    Stop();
    Close();
}

bool TimePipeServer::Open() {
    if (!instances_.empty()) return true;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSecurity, SDDL_REVISION_1, &sd, nullptr))
        return false;
    SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
    const int count = options_.instances < 1 ? 1 : options_.instances;
    // Never resized from here on: the system holds on to each OVERLAPPED.
    instances_ = std::vector<Instance>(static_cast<size_t>(count));
    DWORD error = ERROR_SUCCESS;
    for (int i = 0; error == ERROR_SUCCESS && i < count; ++i) {
        // The first instance must be ours: a process that made the name
        // first could otherwise hear every client's request.
        const DWORD first = i == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
        Instance& in = instances_[static_cast<size_t>(i)];
        in.pipe = CreateNamedPipeW(
            options_.pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | first,
            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
            static_cast<DWORD>(count), static_cast<DWORD>(timehelper::kMaxReplyBytes),
            static_cast<DWORD>(timehelper::kMaxRequestBytes), 0, &sa);
        if (in.pipe == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            break;
        }
        in.ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!in.ov.hEvent) error = GetLastError();
    }
    LocalFree(sd);
    if (error != ERROR_SUCCESS) {
        Close();
        SetLastError(error);
        return false;
    }
    return true;
}

void TimePipeServer::Close() {
    for (Instance& in : instances_) {
        if (in.pipe != INVALID_HANDLE_VALUE) CloseHandle(in.pipe);
        if (in.ov.hEvent) CloseHandle(in.ov.hEvent);
    }
    instances_.clear();
}

bool TimePipeServer::Start() {
    if (thread_.joinable()) return true;
    if (!Open()) return false;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stop_) return false;
    thread_ = std::thread([this] { Serve(stop_); });
    return true;
}

void TimePipeServer::Stop() {
    if (!thread_.joinable()) return;
    SetEvent(stop_);
    thread_.join();
    CloseHandle(stop_);
    stop_ = nullptr;
}

void TimePipeServer::Serve(HANDLE stop, DWORD tickMs, const std::function<void()>& tick) {
    std::vector<HANDLE> events;
    std::vector<Instance*> owners;
    ULONGLONG lastTick = GetTickCount64();
    for (;;) {
        ULONGLONG now = GetTickCount64();
        bool again = false;
        for (Instance& in : instances_) {
            if (in.step != Step::Listening || in.pending) continue;
            if (in.deadline && now < in.deadline) continue;
            Listen(in);
            // A client served at once leaves the instance free again: the
            // others get their turn before it listens again.
            again = again || (in.step == Step::Listening && !in.pending && !in.deadline);
        }
        events.assign({stop});
        owners.assign({nullptr});
        now = GetTickCount64();
        ULONGLONG next = tick && tickMs != INFINITE ? lastTick + tickMs : 0;
        for (Instance& in : instances_) {
            if (in.pending) {
                events.push_back(in.ov.hEvent);
                owners.push_back(&in);
            }
            if (in.deadline && (!next || in.deadline < next)) next = in.deadline;
        }
        const DWORD wait = again ? 0 : !next ? INFINITE : next <= now ? 0 : static_cast<DWORD>(next - now);
        const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, wait);
        if (woke == WAIT_OBJECT_0) break;
        if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + events.size()) Finished(*owners[woke - WAIT_OBJECT_0]);
        now = GetTickCount64();
        for (Instance& in : instances_)
            if (in.pending && in.deadline && now >= in.deadline) Drop(in);
        if (tick && tickMs != INFINITE && now >= lastTick + tickMs) {
            lastTick = now;
            tick();
        }
    }
    for (Instance& in : instances_)
        if (in.pending) Drop(in);
}

namespace {

// Readies an instance's OVERLAPPED for its next step.
void Begin(OVERLAPPED& ov) {
    const HANDLE event = ov.hEvent;
    ov = OVERLAPPED{};
    ov.hEvent = event;
    ResetEvent(event);
}

}  // namespace

void TimePipeServer::Listen(Instance& in) {
    in.step = Step::Listening;
    in.deadline = 0;
    Begin(in.ov);
    DWORD error = ConnectNamedPipe(in.pipe, &in.ov) ? ERROR_PIPE_CONNECTED : GetLastError();
    if (error == ERROR_IO_PENDING) {
        in.pending = true;
        return;
    }
    if (error == ERROR_PIPE_CONNECTED) {
        Read(in);
        return;
    }
    // A client that came and went before the connect frees the instance
    // at once; anything else is tried again a little later.
    DisconnectNamedPipe(in.pipe);
    if (error != ERROR_NO_DATA) in.deadline = GetTickCount64() + 1000;
}

void TimePipeServer::Read(Instance& in) {
    in.step = Step::Reading;
    in.deadline = GetTickCount64() + static_cast<ULONGLONG>(options_.requestTimeoutMs);
    Begin(in.ov);
    if (!ReadFile(in.pipe, in.request, sizeof in.request, nullptr, &in.ov)) {
        // ERROR_MORE_DATA: the message goes on past the limit.
        if (GetLastError() == ERROR_IO_PENDING)
            in.pending = true;
        else
            Drop(in);
        return;
    }
    DWORD got = 0;
    GetOverlappedResult(in.pipe, &in.ov, &got, FALSE);
    if (got == 0 || got > timehelper::kMaxRequestBytes) {
        Drop(in);
        return;
    }
    Answer(in, std::string_view(in.request, got));
}

void TimePipeServer::Answer(Instance& in, std::string_view request) {
    std::string reply;
    try {
        reply = handler_(request);
    } catch (...) {
        reply.clear();
    }
    Reply(in, std::move(reply));
}

void TimePipeServer::Reply(Instance& in, std::string reply) {
    if (reply.empty()) {
        Drop(in);
        return;
    }
    in.step = Step::Writing;
    in.deadline = GetTickCount64() + static_cast<ULONGLONG>(options_.replyTimeoutMs);
    in.reply = std::move(reply);
    Begin(in.ov);
    if (WriteFile(in.pipe, in.reply.data(), static_cast<DWORD>(in.reply.size()), nullptr, &in.ov))
        Drain(in);
    else if (GetLastError() == ERROR_IO_PENDING)
        in.pending = true;
    else
        Drop(in);
}

void TimePipeServer::Drain(Instance& in) {
    // Disconnecting throws away what the client has not read yet, so the
    // instance waits, within the reply's limit, for the client to hang up.
    in.step = Step::Draining;
    Begin(in.ov);
    if (!ReadFile(in.pipe, &in.drain, 1, nullptr, &in.ov) && GetLastError() == ERROR_IO_PENDING)
        in.pending = true;
    else
        Drop(in);
}

void TimePipeServer::Finished(Instance& in) {
    in.pending = false;
    DWORD bytes = 0;
    const DWORD error = GetOverlappedResult(in.pipe, &in.ov, &bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
    switch (in.step) {
        case Step::Listening:
            if (error == ERROR_SUCCESS || error == ERROR_PIPE_CONNECTED)
                Read(in);
            else
                Drop(in);
            break;
        case Step::Reading:
            if (error == ERROR_SUCCESS && bytes > 0 && bytes <= timehelper::kMaxRequestBytes)
                Answer(in, std::string_view(in.request, bytes));
            else
                Drop(in);
            break;
        case Step::Writing:
            if (error == ERROR_SUCCESS)
                Drain(in);
            else
                Drop(in);
            break;
        case Step::Draining: Drop(in); break;
    }
}

void TimePipeServer::Drop(Instance& in) {
    if (in.pending) {
        DWORD bytes;
        CancelIo(in.pipe);
        GetOverlappedResult(in.pipe, &in.ov, &bytes, TRUE);
        in.pending = false;
    }
    DisconnectNamedPipe(in.pipe);
    in.step = Step::Listening;
    in.deadline = 0;
    in.reply.clear();
}

}  // namespace pw::win
