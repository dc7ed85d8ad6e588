#pragma once
// The time helper's named pipe: local interactive users send one request
// message and get one reply message. A few instances are served at once,
// each on its own thread, and every step with a client has a time limit,
// so a client that is slow, silent, greedy or malformed holds one instance
// for a few seconds at most and never the others.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

    // Creates the instances and starts serving. False when the pipe cannot
    // be made, also when another process already holds its name.
    bool Start();
    // Ends every client at once and waits for the threads.
    void Stop();

private:
    void Serve(HANDLE pipe);
    void ServeClient(HANDLE pipe, HANDLE ioEvent);
    // Waits for one overlapped step up to timeoutMs or the stop; false
    // when it did not finish (the step is then cancelled).
    bool Finish(HANDLE pipe, OVERLAPPED& ov, DWORD timeoutMs, DWORD& bytes, DWORD& error);

    Options options_;
    Handler handler_;
    HANDLE stop_ = nullptr;
    std::vector<std::thread> threads_;
};

}  // namespace pw::win
