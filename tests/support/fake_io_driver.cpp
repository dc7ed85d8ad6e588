#include "support/fake_io_driver.h"

#include <algorithm>

namespace pw::test {

std::string EndpointText(const net::Endpoint& e) {
    const std::uint32_t a = e.address;
    return std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." + std::to_string(a >> 8 & 255) + "." +
           std::to_string(a & 255) + ":" + std::to_string(e.port);
}

FakeIoDriver::IoId FakeIoDriver::Open(const std::string& kind, const std::string& action) {
    const IoId id = next_++;
    open_.insert(id);
    last_[kind] = id;
    actions.push_back(action);
    return id;
}

FakeIoDriver::IoId FakeIoDriver::Last(const std::string& kind) const {
    auto it = last_.find(kind);
    return it == last_.end() ? net::kNoIo : it->second;
}

void FakeIoDriver::Queue(IoId owner, int delayMs, std::function<void()> run) {
    queue_.push_back(Event{now_ + std::max(0, delayMs), order_++, owner, std::move(run)});
}

bool FakeIoDriver::RunOne(int by) {
    auto first = queue_.end();
    for (auto it = queue_.begin(); it != queue_.end(); ++it)
        if (it->due <= by && (first == queue_.end() || it->due < first->due ||
                              (it->due == first->due && it->order < first->order)))
            first = it;
    if (first == queue_.end()) return false;
    Event e = std::move(*first);
    queue_.erase(first);
    now_ = std::max(now_, e.due);
    if (Live(e.owner)) e.run();
    return true;
}

void FakeIoDriver::RunReady() {
    while (RunOne(now_)) {
    }
}

void FakeIoDriver::RunFor(int ms) {
    const int end = now_ + ms;
    while (RunOne(end)) {
    }
    now_ = end;
}

bool FakeIoDriver::RunUntilIdle(int limitMs) {
    return RunUntil([this] { return queue_.empty(); }, limitMs);
}

bool FakeIoDriver::RunUntil(const std::function<bool()>& done, int limitMs) {
    const int end = now_ + limitMs;
    for (;;) {
        if (done()) return true;
        if (!RunOne(end)) {
            now_ = end;
            return done();
        }
    }
}

void FakeIoDriver::ResolveDone(IoId lookup, std::optional<std::uint32_t> address, int delayMs) {
    Queue(lookup, delayMs, [this, lookup, address] {
        auto done = lookups_[lookup];
        open_.erase(lookup);
        if (done) done(address);
    });
}

void FakeIoDriver::Deliver(IoId socket, std::vector<std::uint8_t> datagram, net::Endpoint from, int delayMs) {
    Queue(socket, delayMs, [this, socket, datagram = std::move(datagram), from] {
        auto received = datagramSockets_[socket].received;
        if (received) received(net::Bytes(datagram), from);
    });
}

void FakeIoDriver::FailDatagram(IoId socket, int error, int delayMs) {
    Queue(socket, delayMs, [this, socket, error] {
        auto failed = datagramSockets_[socket].failed;
        open_.erase(socket);
        if (failed) failed(error);
    });
}

void FakeIoDriver::Connected(IoId stream, int error, int delayMs) {
    Queue(stream, delayMs, [this, stream, error] {
        auto connected = streams_[stream].connected;
        if (error != 0) open_.erase(stream);
        if (connected) connected(error);
    });
}

void FakeIoDriver::StreamData(IoId stream, std::string bytes, int delayMs) {
    Queue(stream, delayMs, [this, stream, bytes = std::move(bytes)] {
        auto received = streams_[stream].received;
        if (received) received(bytes);
    });
}

void FakeIoDriver::StreamClosed(IoId stream, int error, int delayMs) {
    Queue(stream, delayMs, [this, stream, error] {
        auto closed = streams_[stream].closed;
        open_.erase(stream);
        if (closed) closed(error);
    });
}

void FakeIoDriver::PipeWritten(IoId pipe, int delayMs) {
    Queue(pipe, delayMs, [this, pipe] {
        auto written = pipes_[pipe].written;
        if (written) written();
    });
}

void FakeIoDriver::PipeMessage(IoId pipe, std::string message, bool whole, int delayMs) {
    Queue(pipe, delayMs, [this, pipe, message = std::move(message), whole] {
        auto received = pipes_[pipe].received;
        const std::size_t limit = pipeReadLimit_.count(pipe) ? pipeReadLimit_[pipe] : message.size();
        const bool fits = whole && message.size() <= limit;
        if (received) received(std::string_view(message).substr(0, limit), fits);
    });
}

void FakeIoDriver::PipeFailed(IoId pipe, int error, int delayMs) {
    Queue(pipe, delayMs, [this, pipe, error] {
        auto failed = pipes_[pipe].failed;
        open_.erase(pipe);
        if (failed) failed(error);
    });
}

std::string FakeIoDriver::HostOf(std::uint32_t address) const {
    for (const auto& [name, a] : hosts)
        if (a == address) return name;
    return EndpointText({address, 0}).substr(0, EndpointText({address, 0}).find(':'));
}

net::IoId FakeIoDriver::StartTimer(int ms, std::function<void()> fired) {
    const IoId id = Open("timer", "timer " + std::to_string(ms));
    timers_[id] = std::move(fired);
    Queue(id, ms, [this, id] {
        auto fired = timers_[id];
        open_.erase(id);
        if (fired) fired();
    });
    return id;
}

net::IoId FakeIoDriver::Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) {
    const IoId id = Open("resolve", "resolve " + host);
    lookups_[id] = std::move(done);
    if (silentNames.count(host)) return id;
    if (anyNameResolves && !hosts.count(host)) hosts[host] = 0x0A000001 + static_cast<std::uint32_t>(hosts.size());
    auto it = hosts.find(host);
    ResolveDone(id, it == hosts.end() ? std::nullopt : std::optional<std::uint32_t>(it->second));
    return id;
}

net::IoId FakeIoDriver::OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) {
    error = openError;
    if (error != 0) {
        actions.push_back("udp " + EndpointText(remote) + " failed " + std::to_string(error));
        return net::kNoIo;
    }
    const IoId id = Open("udp", "udp " + EndpointText(remote));
    datagramSockets_[id] = std::move(handlers);
    remotes_[id] = remote;
    return id;
}

int FakeIoDriver::SendDatagram(IoId socket, net::Bytes datagram) {
    actions.push_back("send #" + std::to_string(socket) + " " + std::to_string(datagram.size()));
    if (!open_.count(socket)) return net::kWsaNotSocket;
    datagrams.push_back(Datagram{socket, remotes_[socket], {datagram.begin(), datagram.end()}});
    if (datagramSent) datagramSent(socket, remotes_[socket], datagrams.back().bytes);
    return 0;
}

net::IoId FakeIoDriver::OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) {
    error = openError;
    if (error != 0) {
        actions.push_back("tcp " + EndpointText(remote) + " failed " + std::to_string(error));
        return net::kNoIo;
    }
    const IoId id = Open("tcp", "tcp " + EndpointText(remote));
    streams_[id] = std::move(handlers);
    if (streamOpened) streamOpened(id, remote);
    return id;
}

void FakeIoDriver::SendStream(IoId stream, std::string_view bytes) {
    actions.push_back("write #" + std::to_string(stream) + " " + std::to_string(bytes.size()));
    if (open_.count(stream) && streamSent) streamSent(stream, std::string(bytes));
}

net::IoId FakeIoDriver::OpenPipe(const net::PipeTarget& target, net::PipeHandlers handlers, net::PipeOpening& how) {
    how = pipeOpening ? pipeOpening(target) : net::PipeOpening::Refused;
    if (how != net::PipeOpening::Opened) {
        actions.push_back(std::string("pipe ") + target.name + (how == net::PipeOpening::Busy ? " busy" : " refused"));
        return net::kNoIo;
    }
    const IoId id = Open("pipe", "pipe " + target.name);
    pipes_[id] = std::move(handlers);
    return id;
}

void FakeIoDriver::WritePipe(IoId pipe, std::string_view message) {
    actions.push_back("pipe-write #" + std::to_string(pipe) + " " + std::string(message.substr(0, message.find('\n'))));
    if (open_.count(pipe) && pipeWritten) pipeWritten(pipe, std::string(message));
}

void FakeIoDriver::ReadPipe(IoId pipe, std::size_t maxBytes) {
    actions.push_back("pipe-read #" + std::to_string(pipe) + " " + std::to_string(maxBytes));
    pipeReadLimit_[pipe] = maxBytes;
}

void FakeIoDriver::Cancel(IoId id) {
    if (!open_.count(id)) return;
    actions.push_back("cancel #" + std::to_string(id));
    open_.erase(id);
}

}  // namespace pw::test
