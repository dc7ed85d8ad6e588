#include "net/blocksock.h"

#include <algorithm>
#include <string>

namespace pw::net {

TBlockSocket::TBlockSocket(SocketApi& api) : api_(api) {
    started_ = Track(api_.Startup()) == 0;
}

TBlockSocket::~TBlockSocket() {
    CloseSocket();
    if (started_) api_.Cleanup();
}

void TBlockSocket::CreateUdpSocket() {
    CloseSocket();
    if (!started_) {
        Track(kWsaNotInitialised);
        return;
    }
    SocketHandle h = kNoSocket;
    if (Track(api_.OpenUdp(h)) == 0) handle_ = h;
}

void TBlockSocket::CloseSocket() {
    if (handle_ == kNoSocket) return;
    api_.Close(handle_);
    handle_ = kNoSocket;
}

TUDPBlockSocket::TUDPBlockSocket(SocketApi& api) : TBlockSocket(api) {
    CreateUdpSocket();
}

void TUDPBlockSocket::SetRemote(std::string_view host, std::string_view port) {
    remote_.reset();
    if (!IsOpen()) {
        Track(kWsaNotSocket);
        return;
    }
    std::uint16_t portNumber = PortFromText(api_, port);
    std::optional<std::uint32_t> address = ResolveHost(api_, host);
    if (!address) {
        Track(kWsaHostNotFound);
        return;
    }
    if (portNumber == 0) {
        Track(kWsaAddressNotAvailable);
        return;
    }
    Endpoint remote{*address, portNumber};
    if (Track(api_.Connect(handle_, remote)) == 0) remote_ = remote;
}

void TUDPBlockSocket::SendDatagram(const std::uint8_t* data, std::size_t length) {
    if (!IsOpen()) {
        Track(kWsaNotSocket);
        return;
    }
    // Without a destination nothing is sent: an unconnected send would go
    // wherever the system defaults to.
    if (!remote_) {
        Track(kWsaDestAddressRequired);
        return;
    }
    Track(api_.Send(handle_, data, length));
}

std::vector<std::uint8_t> TUDPBlockSocket::ReceiveDatagram(int timeoutMs) {
    std::vector<std::uint8_t> datagram;
    if (!IsOpen()) {
        Track(kWsaNotSocket);
        return datagram;
    }
    bool readable = false;
    if (Track(api_.WaitReadable(handle_, timeoutMs, readable)) != 0) return datagram;
    if (!readable) {
        Track(kWsaTimedOut);
        return datagram;
    }
    std::size_t pending = 0;
    if (Track(api_.PendingSize(handle_, pending)) != 0) return datagram;
    // Readable with nothing queued is how a refused datagram (an ICMP port
    // unreachable) or an empty one shows. No read follows: on a blocking
    // socket it could wait for ever.
    if (pending == 0) {
        Track(kWsaConnectionReset);
        return datagram;
    }
    // Winsock may report every queued datagram together; one read still
    // returns only the first, and none can exceed kMaxDatagram.
    datagram.resize(std::min(pending, kMaxDatagram));
    std::size_t received = 0;
    if (Track(api_.Receive(handle_, datagram.data(), datagram.size(), received, nullptr)) != 0) {
        datagram.clear();
        return datagram;
    }
    if (received == 0) {
        Track(kWsaConnectionReset);
        datagram.clear();
        return datagram;
    }
    datagram.resize(received);
    return datagram;
}

std::optional<std::uint32_t> ResolveHost(SocketApi& api, std::string_view host) {
    if (auto literal = ParseIpv4Literal(host)) return literal;
    // An empty name or one with an embedded NUL is not asked of the
    // resolver: the C interfaces below would read a different name.
    if (host.empty() || host.find('\0') != std::string_view::npos) return std::nullopt;
    return api.ResolveIpv4(std::string(host));
}

std::optional<std::uint32_t> ParseIpv4Literal(std::string_view text) {
    std::uint32_t address = 0;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return std::nullopt;
            ++pos;
        }
        std::size_t start = pos;
        unsigned value = 0;
        while (pos < text.size() && pos - start < 4 && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
        }
        std::size_t digits = pos - start;
        // Leading zeros mean octal to some resolvers; such texts are theirs.
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[start] == '0')) return std::nullopt;
        address = address << 8 | value;
    }
    if (pos != text.size()) return std::nullopt;
    return address;
}

std::uint16_t PortFromText(SocketApi& api, std::string_view text) {
    if (text.empty() || text.find('\0') != std::string_view::npos) return 0;
    if (auto port = api.ServicePort(std::string(text))) return *port;
    if (text == "ntp") return 123;
    if (text.size() > 5) return 0;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535 ? static_cast<std::uint16_t>(value) : 0;
}

}  // namespace pw::net
