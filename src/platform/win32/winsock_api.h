#pragma once
// The socket calls over Windows Sockets, as the blocking UDP sockets of the
// time helper service make them.

#include "net/socket_api.h"

namespace pw::win {

class WinsockApi : public net::SocketApi {
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
};

// The one instance the program shares; it holds no state of its own
// (Winsock counts its users).
WinsockApi& Winsock();

}  // namespace pw::win
