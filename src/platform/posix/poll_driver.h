#pragma once
// The driver natively, for the tests that talk to real servers on the
// loopback interface (lighttpd, the tests' own HTTP and NTP servers):
// timers and sockets looked after with poll(), run by RunUntil. Name
// lookups are answered at once from the system's resolver, and there are
// no pipes: the time helper is a Windows service.

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "net/io_driver.h"
#include "net/socket_api.h"

namespace pw::posix {

class PollDriver : public net::IoDriver {
public:
    // Names are asked of resolver's system resolver (a test's may know none).
    explicit PollDriver(net::SocketApi& resolver);
    PollDriver();
    ~PollDriver() override;
    PollDriver(const PollDriver&) = delete;
    PollDriver& operator=(const PollDriver&) = delete;

    // Runs timers and sockets until done() holds or timeoutMs have passed;
    // true when it held.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs);

    net::IoId StartTimer(int ms, std::function<void()> fired) override;
    net::IoId Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) override;
    net::IoId OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) override;
    int SendDatagram(net::IoId socket, net::Bytes datagram) override;
    net::IoId OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) override;
    void SendStream(net::IoId stream, std::string_view bytes) override;
    net::IoId OpenPipe(const net::PipeTarget& target, net::PipeHandlers handlers, net::PipeOpening& how) override;
    void WritePipe(net::IoId, std::string_view) override {}
    void ReadPipe(net::IoId, std::size_t) override {}
    void Cancel(net::IoId id) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        Clock::time_point due;
        std::function<void()> fired;
    };
    struct Socket {
        int fd = -1;
        bool stream = false;
        bool connected = false;
        net::DatagramHandlers datagram;
        net::StreamHandlers streamHandlers;
        std::string outgoing;
    };

    // One round: what is due and what is ready, waiting at most waitMs.
    void RunOnce(int waitMs);
    void SocketReady(net::IoId id, short revents);
    void Flush(net::IoId id);
    void Close(net::IoId id);

    net::SocketApi& resolver_;
    net::IoId next_ = 1;
    std::map<net::IoId, Timer> timers_;
    std::map<net::IoId, Socket> sockets_;
};

}  // namespace pw::posix
