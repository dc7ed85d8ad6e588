#include "platform/win32/winsock_api.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <chrono>
#include <climits>

namespace pw::win {

namespace {

SOCKET Sock(net::SocketHandle s) { return static_cast<SOCKET>(s); }

sockaddr_in ToSockaddr(const net::Endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.address);
    a.sin_port = htons(e.port);
    return a;
}

net::Endpoint FromSockaddr(const sockaddr_in& a) {
    return net::Endpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

int Checked(int result) { return result == SOCKET_ERROR ? WSAGetLastError() : 0; }

// Winsock takes int lengths.
int Length(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace

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
    return Checked(send(Sock(s), reinterpret_cast<const char*>(data), Length(size), 0));
}

int WinsockApi::SendTo(net::SocketHandle s, const std::uint8_t* data, std::size_t size, const net::Endpoint& to) {
    sockaddr_in a = ToSockaddr(to);
    return Checked(sendto(Sock(s), reinterpret_cast<const char*>(data), Length(size), 0,
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
    int r = recvfrom(Sock(s), reinterpret_cast<char*>(buffer), Length(size), 0, reinterpret_cast<sockaddr*>(&a), &len);
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

int WinsockApi::OpenTcp(net::SocketHandle& out) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return WSAGetLastError();
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        int e = WSAGetLastError();
        closesocket(s);
        return e;
    }
    out = static_cast<net::SocketHandle>(s);
    return 0;
}

int WinsockApi::StartConnect(net::SocketHandle s, const net::Endpoint& remote) {
    sockaddr_in a = ToSockaddr(remote);
    return Checked(connect(Sock(s), reinterpret_cast<sockaddr*>(&a), sizeof a));
}

int WinsockApi::ConnectResult(net::SocketHandle s) {
    int e = 0;
    int len = sizeof e;
    if (int f = Checked(getsockopt(Sock(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&e), &len))) return f;
    return e;
}

int WinsockApi::SendSome(net::SocketHandle s, const std::uint8_t* data, std::size_t size, std::size_t& sent) {
    int r = send(Sock(s), reinterpret_cast<const char*>(data), Length(size), 0);
    sent = r == SOCKET_ERROR ? 0 : static_cast<std::size_t>(r);
    return r == SOCKET_ERROR ? WSAGetLastError() : 0;
}

int WinsockApi::ReceiveSome(net::SocketHandle s, std::uint8_t* buffer, std::size_t size, std::size_t& received) {
    int r = recv(Sock(s), reinterpret_cast<char*>(buffer), Length(size), 0);
    received = r == SOCKET_ERROR ? 0 : static_cast<std::size_t>(r);
    return r == SOCKET_ERROR ? WSAGetLastError() : 0;
}

int MessagePumpWaiter::Wait(net::SocketHandle s, net::WaitFor what, int timeoutMs, bool& ready) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    // The socket is looked at between short waits for messages: select()
    // cannot wait for messages and MsgWaitForMultipleObjects cannot wait
    // for a Winsock 1.1 socket, and a few wake-ups a second cost nothing.
    constexpr DWORD kSlice = 20;
    ready = false;
    for (;;) {
        fd_set readySet, failSet;
        FD_ZERO(&readySet);
        FD_ZERO(&failSet);
        FD_SET(Sock(s), &readySet);
        // A connect that failed shows in the exception set, not as writable.
        FD_SET(Sock(s), &failSet);
        timeval now{0, 0};
        int r = what == net::WaitFor::Readable ? select(0, &readySet, nullptr, &failSet, &now)
                                               : select(0, nullptr, &readySet, &failSet, &now);
        if (r == SOCKET_ERROR) return WSAGetLastError();
        if (r > 0) {
            ready = true;
            return 0;
        }
        DWORD wait = kSlice;
        if (timeoutMs >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return 0;
            if (left < static_cast<long long>(wait)) wait = static_cast<DWORD>(left);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        // Looked at after every slice: a pending quit need not wake the wait.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return net::kWsaInterrupted;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace pw::win
