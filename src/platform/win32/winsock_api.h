#pragma once
// The socket calls over Windows Sockets.

#include "net/socket_api.h"

namespace pw::win {

class WinsockApi : public net::StreamSocketApi {
public:
    int Startup() override;
    void Cleanup() override;
    int OpenUdp(net::SocketHandle& out) override;
    void Close(net::SocketHandle s) override;
    int Bind(net::SocketHandle s, const net::Endpoint& local) override;
    int LocalEndpoint(net::SocketHandle s, net::Endpoint& out) override;
    int Connect(net::SocketHandle s, const net::Endpoint& remote) override;
    int Send(net::SocketHandle s, const std::uint8_t* data, std::size_t size) override;
    int SendTo(net::SocketHandle s, const std::uint8_t* data, std::size_t size, const net::Endpoint& to) override;
    int WaitReadable(net::SocketHandle s, int timeoutMs, bool& readable) override;
    int PendingSize(net::SocketHandle s, std::size_t& size) override;
    int Receive(net::SocketHandle s, std::uint8_t* buffer, std::size_t size, std::size_t& received,
                net::Endpoint* from) override;
    std::optional<std::uint16_t> ServicePort(const std::string& name) override;
    std::optional<std::uint32_t> ResolveIpv4(const std::string& host) override;

    int OpenTcp(net::SocketHandle& out) override;
    int StartConnect(net::SocketHandle s, const net::Endpoint& remote) override;
    int ConnectResult(net::SocketHandle s) override;
    int SendSome(net::SocketHandle s, const std::uint8_t* data, std::size_t size, std::size_t& sent) override;
    int ReceiveSome(net::SocketHandle s, std::uint8_t* buffer, std::size_t size, std::size_t& received) override;
};

// Waits for a socket on the user-interface thread while dispatching that
// thread's window messages, so timers and windows stay alive. A WM_QUIT
// met on the way is put back for the message loop and ends the wait with
// kWsaInterrupted.
class MessagePumpWaiter : public net::SocketWaiter {
public:
    int Wait(net::SocketHandle s, net::WaitFor what, int timeoutMs, bool& ready) override;
};

// The one instance the program shares; it holds no state of its own
// (Winsock counts its users).
WinsockApi& Winsock();

}  // namespace pw::win
