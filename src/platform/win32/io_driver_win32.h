#pragma once
// The driver on Windows: one message-only window on the window thread.
// Sockets report to it through WSAAsyncSelect, name lookups through
// WSAAsyncGetHostByName, timers are SetTimer's; a pipe step is overlapped
// and looked at by a short timer while one is under way. Nothing here
// waits, and nothing starts a thread of the program's own, so every
// handler runs from the program's one message loop, between two messages.

#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/io_driver.h"

namespace pw::win {

class WinIoDriver : public net::IoDriver {
public:
    WinIoDriver();
    ~WinIoDriver() override;
    WinIoDriver(const WinIoDriver&) = delete;
    WinIoDriver& operator=(const WinIoDriver&) = delete;

    // What a handler raised, for the program's error box (the driver's
    // window procedure lets nothing through); unset, it is dropped.
    void OnError(std::function<void(const char*)> report) { report_ = std::move(report); }

    // The program is ending: everything under way stops at once (sockets
    // closed, lookups and pipe steps cancelled), no handler runs again, and
    // whatever is started later fails.
    void Shutdown();

    // For tests and tools, which have no loop of their own: dispatches the
    // thread's messages until done() holds or timeoutMs have passed; true
    // when it held. A WM_QUIT ends it and stays queued. The program never
    // calls it: its one message loop serves the driver.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs);

    // net::IoDriver
    net::IoId StartTimer(int ms, std::function<void()> fired) override;
    net::IoId Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) override;
    net::IoId OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) override;
    int SendDatagram(net::IoId socket, net::Bytes datagram) override;
    net::IoId OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) override;
    void SendStream(net::IoId stream, std::string_view bytes) override;
    net::IoId OpenPipe(const net::PipeTarget& target, net::PipeHandlers handlers, net::PipeOpening& how) override;
    void WritePipe(net::IoId pipe, std::string_view message) override;
    void ReadPipe(net::IoId pipe, std::size_t maxBytes) override;
    void Cancel(net::IoId id) override;

private:
    struct Socket;
    struct Lookup;
    struct Pipe;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Runs a handler; what it raises goes to the error report.
    void Run(const std::function<void()>& handler);
    // Runs fn for owner from the loop, unless owner has ended by then.
    void Later(net::IoId owner, std::function<void()> fn);
    bool Winsock();
    net::IoId NewId() { return next_++; }

    void SocketEvent(net::IoId id, WPARAM socket, LPARAM lp);
    void DatagramReadable(net::IoId id);
    void StreamReadable(net::IoId id, bool closing, int closeError);
    void FlushStream(net::IoId id);
    // Ends a socket's entry and closes it.
    void CloseSocket(net::IoId id);

    void PollPipes();
    void PipeStepDone(net::IoId id, DWORD error, DWORD bytes);
    void ClosePipe(net::IoId id);
    void UpdatePipePoll();

    HWND hwnd_ = nullptr;
    bool winsock_ = false;
    bool shut_ = false;
    net::IoId next_ = 1;
    std::function<void(const char*)> report_;
    std::map<net::IoId, std::function<void()>> timers_;
    std::map<net::IoId, std::unique_ptr<Lookup>> lookups_;
    std::vector<std::unique_ptr<Lookup>> retiredLookups_;
    std::map<net::IoId, std::unique_ptr<Socket>> sockets_;
    std::map<net::IoId, std::unique_ptr<Pipe>> pipes_;
    std::deque<std::pair<net::IoId, std::function<void()>>> later_;
    bool pipePoll_ = false;
};

}  // namespace pw::win
