#pragma once
// The time helper's named pipe: local interactive users send one request
// message and get one reply message. A few instances are served at once
// and every step with a client has a time limit, so a client that is slow,
// silent, greedy or malformed holds one instance for a few seconds at most
// and never the others.
//
// One thread does all of it: the pipe's input and output, overlapped, and
// the answers, so every pending operation belongs to the thread that
// cancels it. An answer that takes a while (an attempt at the servers,
// seconds at most) holds up the others only that long. The emulators that
// run 32-bit Windows programs on 64-bit systems without 32-bit support
// lose the completions of a thread's overlapped operations once another
// thread has started after it, and crash when two threads start together:
// the service serves on its own thread and starts none.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "timehelper/protocol.h"

namespace pw::win {

class TimePipeServer {
public:
    // The reply to one request; empty drops the client without one.
    using Handler = std::function<std::string(std::string_view request)>;

    struct Options {
        std::wstring pipeName;
        int instances = 4;
        // For the whole request to arrive.
        int requestTimeoutMs = 2000;
        // For the client to take the reply and hang up.
        int replyTimeoutMs = 2000;
    };

    TimePipeServer(Options options, Handler handler);
    ~TimePipeServer();
    TimePipeServer(const TimePipeServer&) = delete;
    TimePipeServer& operator=(const TimePipeServer&) = delete;

    // Creates the instances. False when the pipe cannot be made, also when
    // another process already holds its name.
    bool Open();
    // Serves on the calling thread until stop is set, calling tick every
    // tickMs between clients.
    void Serve(HANDLE stop, DWORD tickMs = INFINITE, const std::function<void()>& tick = {});

    // Open, and Serve on a thread of its own until Stop.
    bool Start();
    void Stop();

private:
    enum class Step { Listening, Reading, Writing, Draining };
    struct Instance {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        OVERLAPPED ov{};
        Step step = Step::Listening;
        bool pending = false;
        // GetTickCount64 time by which the pending step must be done, or
        // before which a failed listen is not tried again; 0 for none.
        ULONGLONG deadline = 0;
        // One byte over the limit tells an oversized request from a full
        // one even where the system does not report the rest of the
        // message.
        char request[::pw::timehelper::kMaxRequestBytes + 1];
        std::string reply;
        char drain = 0;
    };
    // Each starts a step and, when it finishes at once, goes on to the
    // next; a step left pending is finished in Finished.
    void Listen(Instance& in);
    void Read(Instance& in);
    void Answer(Instance& in, std::string_view request);
    void Reply(Instance& in, std::string reply);
    void Drain(Instance& in);
    void Finished(Instance& in);
    void Close();
    // Cancels what is pending, lets the client go and listens again.
    void Drop(Instance& in);

    Options options_;
    Handler handler_;
    std::vector<Instance> instances_;
    HANDLE stop_ = nullptr;
    std::thread thread_;
};

}  // namespace pw::win
