#pragma once
// A UDP server on 127.0.0.1 for socket and SNTP tests, running on its own
// thread: it hands each request to the test's function and sends back the
// datagrams that function returns, each from the port the request went to
// or from a second port of its own. Without a function it never answers,
// like a dead time server.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "net/socket_api.h"

namespace pw::test {

struct Outgoing {
    std::vector<std::uint8_t> datagram;
    bool fromOtherPort = false;
};

class UdpResponder {
public:
    using Handler = std::function<std::vector<Outgoing>(const std::vector<std::uint8_t>& request)>;

    UdpResponder(net::SocketApi& api, Handler handler);
    ~UdpResponder();
    UdpResponder(const UdpResponder&) = delete;
    UdpResponder& operator=(const UdpResponder&) = delete;

    // False when the sockets could not be set up.
    bool Ok() const { return ok_; }
    std::uint16_t Port() const { return port_; }
    std::uint16_t OtherPort() const { return otherPort_; }
    int Requests() const { return requests_; }
    // Where the last request came from.
    net::Endpoint LastClient();

private:
    void Run();
    bool OpenBound(net::SocketHandle& s, std::uint16_t& port);

    net::SocketApi& api_;
    Handler handler_;
    bool started_ = false;
    bool ok_ = false;
    net::SocketHandle main_ = net::kNoSocket;
    net::SocketHandle other_ = net::kNoSocket;
    std::uint16_t port_ = 0;
    std::uint16_t otherPort_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    net::Endpoint lastClient_;
    std::thread thread_;
};

}  // namespace pw::test
