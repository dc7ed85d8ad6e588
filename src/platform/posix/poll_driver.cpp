#include "platform/posix/poll_driver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "net/blocksock.h"
#include "platform/posix/bsd_sockets.h"
#include "platform/posix/sockaddr_util.h"

namespace pw::posix {

namespace {

int LastError() { return WinsockErrorOf(errno); }

}  // namespace

PollDriver::PollDriver(net::SocketApi& resolver) : resolver_(resolver) {}
PollDriver::PollDriver() : PollDriver(BsdSockets()) {}

PollDriver::~PollDriver() {
    for (auto& [id, socket] : sockets_) ::close(socket.fd);
}

bool PollDriver::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done()) return true;
        const auto now = Clock::now();
        if (now >= end) return false;
        auto until = end;
        for (const auto& [id, t] : timers_) until = std::min(until, t.due);
        RunOnce(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(until - now).count()));
    }
}

void PollDriver::RunOnce(int waitMs) {
    std::vector<pollfd> fds;
    std::vector<net::IoId> ids;
    for (const auto& [id, s] : sockets_) {
        short events = POLLIN;
        if (s.stream && (!s.connected || !s.outgoing.empty())) events = s.connected ? POLLIN | POLLOUT : POLLOUT;
        fds.push_back(pollfd{s.fd, events, 0});
        ids.push_back(id);
    }
    if (::poll(fds.data(), fds.size(), std::max(0, waitMs)) > 0)
        for (std::size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents) SocketReady(ids[i], fds[i].revents);
    const auto now = Clock::now();
    std::vector<net::IoId> due;
    for (const auto& [id, t] : timers_)
        if (t.due <= now) due.push_back(id);
    std::sort(due.begin(), due.end(), [this](net::IoId a, net::IoId b) { return timers_[a].due < timers_[b].due; });
    for (net::IoId id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end()) continue;
        auto fired = std::move(it->second.fired);
        timers_.erase(it);
        fired();
    }
}

net::IoId PollDriver::StartTimer(int ms, std::function<void()> fired) {
    const net::IoId id = next_++;
    timers_[id] = Timer{Clock::now() + std::chrono::milliseconds(std::max(0, ms)), std::move(fired)};
    return id;
}

net::IoId PollDriver::Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) {
    // The system's resolver, at once; the answer comes from the loop all
    // the same.
    const auto address = net::ResolveHost(resolver_, host);
    return StartTimer(0, [done = std::move(done), address] { done(address); });
}

net::IoId PollDriver::OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) {
    error = 0;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP);
    const sockaddr_in a = ToSockaddr(remote);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        error = LastError();
        if (fd >= 0) ::close(fd);
        return net::kNoIo;
    }
    const net::IoId id = next_++;
    sockets_[id] = Socket{fd, false, true, std::move(handlers), {}, {}};
    return id;
}

int PollDriver::SendDatagram(net::IoId id, net::Bytes datagram) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return net::kWsaNotSocket;
    return ::send(it->second.fd, datagram.data(), datagram.size(), MSG_NOSIGNAL) < 0 ? LastError() : 0;
}

net::IoId PollDriver::OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) {
    error = 0;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (fd < 0) {
        error = LastError();
        return net::kNoIo;
    }
    const net::IoId id = next_++;
    sockets_[id] = Socket{fd, true, false, {}, std::move(handlers), {}};
    const sockaddr_in a = ToSockaddr(remote);
    // Refused or not, the end comes when the socket becomes writable.
    ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return id;
}

void PollDriver::SendStream(net::IoId id, std::string_view bytes) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    it->second.outgoing.append(bytes);
}

net::IoId PollDriver::OpenPipe(const net::PipeTarget&, net::PipeHandlers, net::PipeOpening& how) {
    how = net::PipeOpening::Refused;
    return net::kNoIo;
}

void PollDriver::SocketReady(net::IoId id, short revents) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    Socket& s = it->second;
    if (!s.stream) {
        std::vector<std::uint8_t> buffer(net::kMaxDatagram);
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(s.fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) return;
            const int e = LastError();
            auto failed = s.datagram.failed;
            Close(id);
            failed(e);
            return;
        }
        buffer.resize(static_cast<std::size_t>(n));
        auto received = s.datagram.received;
        received(net::Bytes(buffer), FromSockaddr(from));
        return;
    }
    if (!s.connected) {
        int e = 0;
        socklen_t length = sizeof e;
        ::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &e, &length);
        auto connected = s.streamHandlers.connected;
        if (e != 0) {
            Close(id);
            connected(WinsockErrorOf(e) == net::kWsaConnectionReset ? net::kWsaConnectionRefused : WinsockErrorOf(e));
            return;
        }
        s.connected = true;
        connected(0);
        return;
    }
    if (revents & POLLOUT) Flush(id);
    it = sockets_.find(id);
    if (it == sockets_.end() || !(revents & (POLLIN | POLLHUP | POLLERR))) return;
    char buffer[4096];
    const ssize_t n = ::recv(it->second.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n > 0) {
        auto received = it->second.streamHandlers.received;
        received(std::string_view(buffer, static_cast<std::size_t>(n)));
        return;
    }
    const int e = n == 0 ? 0 : LastError();
    auto closed = it->second.streamHandlers.closed;
    Close(id);
    closed(e);
}

void PollDriver::Flush(net::IoId id) {
    Socket& s = sockets_[id];
    while (!s.outgoing.empty()) {
        const ssize_t n = ::send(s.fd, s.outgoing.data(), s.outgoing.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) return;
            const int e = LastError();
            auto closed = s.streamHandlers.closed;
            Close(id);
            closed(e);
            return;
        }
        s.outgoing.erase(0, static_cast<std::size_t>(n));
    }
}

void PollDriver::Close(net::IoId id) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    ::close(it->second.fd);
    sockets_.erase(it);
}

void PollDriver::Cancel(net::IoId id) {
    timers_.erase(id);
    Close(id);
}

}  // namespace pw::posix
