#include "platform/win32/winsock_api.h"

#include "net/blocksock.h"
#include "platform/win32/net_sync_win32.h"
#include "platform/win32/winsock_util.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <climits>

namespace pw::win {

namespace {

SOCKET Sock(net::SocketHandle s) { return static_cast<SOCKET>(s); }


int Checked(int result) { return result == SOCKET_ERROR ? WSAGetLastError() : 0; }

}  // namespace

nettime::SocketFactory WinsockSocketFactory() {
    return [] { return std::make_unique<net::TUDPBlockSocket>(Winsock()); };
}

WinsockApi& Winsock() {
    static WinsockApi api;
    return api;
}

int WinsockApi::Startup() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data);
}

void WinsockApi::Cleanup() { WSACleanup(); }

int WinsockApi::OpenUdp(net::SocketHandle& out) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return WSAGetLastError();
    out = static_cast<net::SocketHandle>(s);
    return 0;
}

void WinsockApi::Close(net::SocketHandle s) { closesocket(Sock(s)); }

int WinsockApi::Bind(net::SocketHandle s, const net::Endpoint& local) {
    sockaddr_in a = ToSockaddr(local);
    return Checked(bind(Sock(s), reinterpret_cast<sockaddr*>(&a), sizeof a));
}

int WinsockApi::LocalEndpoint(net::SocketHandle s, net::Endpoint& out) {
    sockaddr_in a{};
    int len = sizeof a;
    if (int e = Checked(getsockname(Sock(s), reinterpret_cast<sockaddr*>(&a), &len))) return e;
    out = FromSockaddr(a);
    return 0;
}

int WinsockApi::Connect(net::SocketHandle s, const net::Endpoint& remote) {
    sockaddr_in a = ToSockaddr(remote);
    return Checked(connect(Sock(s), reinterpret_cast<sockaddr*>(&a), sizeof a));
}

int WinsockApi::Send(net::SocketHandle s, const std::uint8_t* data, std::size_t size) {
    return Checked(send(Sock(s), reinterpret_cast<const char*>(data), SocketLength(size), 0));
}

int WinsockApi::SendTo(net::SocketHandle s, const std::uint8_t* data, std::size_t size, const net::Endpoint& to) {
    sockaddr_in a = ToSockaddr(to);
    return Checked(sendto(Sock(s), reinterpret_cast<const char*>(data), SocketLength(size), 0,
                          reinterpret_cast<sockaddr*>(&a), sizeof a));
}

int WinsockApi::WaitReadable(net::SocketHandle s, int timeoutMs, bool& readable) {
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(Sock(s), &readSet);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int r = select(0, &readSet, nullptr, nullptr, timeoutMs < 0 ? nullptr : &tv);
    if (r == SOCKET_ERROR) return WSAGetLastError();
    readable = r > 0;
    return 0;
}

int WinsockApi::PendingSize(net::SocketHandle s, std::size_t& size) {
    u_long n = 0;
    if (int e = Checked(ioctlsocket(Sock(s), FIONREAD, &n))) return e;
    size = n;
    return 0;
}

int WinsockApi::Receive(net::SocketHandle s, std::uint8_t* buffer, std::size_t size, std::size_t& received,
                        net::Endpoint* from) {
    sockaddr_in a{};
    int len = sizeof a;
    int r = recvfrom(Sock(s), reinterpret_cast<char*>(buffer), SocketLength(size), 0, reinterpret_cast<sockaddr*>(&a), &len);
    if (r == SOCKET_ERROR) {
        int e = WSAGetLastError();
        // A cut datagram still fills the buffer.
        received = e == WSAEMSGSIZE ? size : 0;
        if (e == WSAEMSGSIZE && from) *from = FromSockaddr(a);
        return e;
    }
    if (from) *from = FromSockaddr(a);
    received = static_cast<std::size_t>(r);
    return 0;
}

std::optional<std::uint16_t> WinsockApi::ServicePort(const std::string& name) {
    servent* se = getservbyname(name.c_str(), "udp");
    if (!se) return std::nullopt;
    return ntohs(static_cast<u_short>(se->s_port));
}

std::optional<std::uint32_t> WinsockApi::ResolveIpv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
    std::optional<std::uint32_t> address;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            address = ntohl(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
            break;
        }
    }
    freeaddrinfo(list);
    return address;
}

}  // namespace pw::win
