#include "platform/posix/bsd_sockets.h"
#include "platform/posix/sockaddr_util.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace pw::posix {

namespace {

int Fd(net::SocketHandle s) { return static_cast<int>(s); }

int LastError() { return WinsockErrorOf(errno); }


}  // namespace

int WinsockErrorOf(int e) {
    switch (e) {
        case 0: return 0;
        case EINTR: return net::kWsaInterrupted;
        case EBADF: return 10009;
        case EACCES: return net::kWsaAccessDenied;
        case EPERM: return net::kWsaAccessDenied;
        case EFAULT: return 10014;
        case EINVAL: return net::kWsaInvalidArgument;
        case EMFILE: return 10024;
        case EAGAIN: return net::kWsaWouldBlock;
        case EINPROGRESS: return 10036;
        case EALREADY: return 10037;
        case ENOTSOCK: return net::kWsaNotSocket;
        case EDESTADDRREQ: return net::kWsaDestAddressRequired;
        case EMSGSIZE: return net::kWsaMessageSize;
        case EPROTOTYPE: return 10041;
        case ENOPROTOOPT: return 10042;
        case EPROTONOSUPPORT: return 10043;
        case EOPNOTSUPP: return 10045;
        case EAFNOSUPPORT: return 10047;
        case EADDRINUSE: return 10048;
        case EADDRNOTAVAIL: return net::kWsaAddressNotAvailable;
        case ENETDOWN: return 10050;
        case ENETUNREACH: return net::kWsaNetworkUnreachable;
        case ENETRESET: return 10052;
        case ECONNABORTED: return 10053;
        // Winsock reports an ICMP port unreachable on a UDP socket as a
        // reset, Linux as a refusal; the program sees Winsock's number.
        case ECONNRESET:
        case ECONNREFUSED: return net::kWsaConnectionReset;
        case ENOBUFS: return net::kWsaNoBuffers;
        case EISCONN: return 10056;
        case ENOTCONN: return 10057;
        case ETIMEDOUT: return net::kWsaTimedOut;
        case EHOSTDOWN: return 10064;
        case EHOSTUNREACH: return net::kWsaHostUnreachable;
        default: return e;
    }
}

BsdSocketApi& BsdSockets() {
    static BsdSocketApi api;
    return api;
}

int BsdSocketApi::OpenUdp(net::SocketHandle& out) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) return LastError();
    out = fd;
    return 0;
}

void BsdSocketApi::Close(net::SocketHandle s) { ::close(Fd(s)); }

int BsdSocketApi::Bind(net::SocketHandle s, const net::Endpoint& local) {
    sockaddr_in a = ToSockaddr(local);
    return ::bind(Fd(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : LastError();
}

int BsdSocketApi::LocalEndpoint(net::SocketHandle s, net::Endpoint& out) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getsockname(Fd(s), reinterpret_cast<sockaddr*>(&a), &len) != 0) return LastError();
    out = FromSockaddr(a);
    return 0;
}

int BsdSocketApi::Connect(net::SocketHandle s, const net::Endpoint& remote) {
    sockaddr_in a = ToSockaddr(remote);
    return ::connect(Fd(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : LastError();
}

int BsdSocketApi::Send(net::SocketHandle s, const std::uint8_t* data, std::size_t size) {
    ssize_t r;
    do r = ::send(Fd(s), data, size, MSG_NOSIGNAL);
    while (r < 0 && errno == EINTR);
    return r < 0 ? LastError() : 0;
}

int BsdSocketApi::SendTo(net::SocketHandle s, const std::uint8_t* data, std::size_t size, const net::Endpoint& to) {
    sockaddr_in a = ToSockaddr(to);
    ssize_t r;
    do r = ::sendto(Fd(s), data, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a), sizeof a);
    while (r < 0 && errno == EINTR);
    return r < 0 ? LastError() : 0;
}

namespace {

// poll() for one event, restarted after a signal with the time left.
int PollFor(int fd, short events, int timeoutMs, bool& ready) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    pollfd p{fd, events, 0};
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        int r = ::poll(&p, 1, wait);
        if (r >= 0) {
            // An error or hang-up counts as ready: the call that follows is
            // where it shows.
            ready = r > 0;
            return 0;
        }
        if (errno != EINTR) return LastError();
    }
}

}  // namespace

int BsdSocketApi::WaitReadable(net::SocketHandle s, int timeoutMs, bool& readable) {
    return PollFor(Fd(s), POLLIN, timeoutMs, readable);
}

int BsdSocketApi::PendingSize(net::SocketHandle s, std::size_t& size) {
    int n = 0;
    if (::ioctl(Fd(s), FIONREAD, &n) != 0) return LastError();
    size = n > 0 ? static_cast<std::size_t>(n) : 0;
    return 0;
}

int BsdSocketApi::Receive(net::SocketHandle s, std::uint8_t* buffer, std::size_t size, std::size_t& received,
                          net::Endpoint* from) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ssize_t r;
    // MSG_TRUNC returns the datagram's real length, so a cut datagram is
    // reported as Winsock does.
    do r = ::recvfrom(Fd(s), buffer, size, MSG_TRUNC, reinterpret_cast<sockaddr*>(&a), &len);
    while (r < 0 && errno == EINTR);
    if (r < 0) {
        received = 0;
        return LastError();
    }
    if (from) *from = FromSockaddr(a);
    if (static_cast<std::size_t>(r) > size) {
        received = size;
        return net::kWsaMessageSize;
    }
    received = static_cast<std::size_t>(r);
    return 0;
}

std::optional<std::uint16_t> BsdSocketApi::ServicePort(const std::string& name) {
    servent* se = ::getservbyname(name.c_str(), "udp");
    if (!se) return std::nullopt;
    return ntohs(static_cast<std::uint16_t>(se->s_port));
}

std::optional<std::uint32_t> BsdSocketApi::ResolveIpv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
    std::optional<std::uint32_t> address;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            address = ntohl(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
            break;
        }
    }
    ::freeaddrinfo(list);
    return address;
}

}  // namespace pw::posix
