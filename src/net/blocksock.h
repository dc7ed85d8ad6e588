#pragma once
// Blocking UDP sockets over the platform's socket calls, for the time
// helper service's own thread (the program asks through net/io_driver.h).
// Failures never raise: every operation leaves its result in
// LastSocketError (0 or a Winsock error number) and the caller looks there.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "net/socket_api.h"

namespace pw::net {

// What a client of a UDP exchange needs of its socket. The SNTP client
// takes its socket through this, so tests can hand it a scripted one.
class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    // Sets the destination (host name or dotted IPv4 literal; port as a
    // service name or a decimal number) without sending anything.
    virtual void SetRemote(std::string_view host, std::string_view port) = 0;
    virtual void SendDatagram(const std::uint8_t* data, std::size_t length) = 0;
    // One whole datagram, or nothing when the wait ran out (10060) or the
    // socket became readable with nothing to read (10054).
    virtual std::vector<std::uint8_t> ReceiveDatagram(int timeoutMs) = 0;
    virtual int LastSocketError() const = 0;
};

// One socket object: the platform's socket library is started for it and
// released with it, and it owns at most one system socket.
class TBlockSocket {
public:
    explicit TBlockSocket(SocketApi& api);
    virtual ~TBlockSocket();
    TBlockSocket(const TBlockSocket&) = delete;
    TBlockSocket& operator=(const TBlockSocket&) = delete;

    int LastSocketError() const { return lastError_; }
    bool IsOpen() const { return handle_ != kNoSocket; }

protected:
    // Opens an IPv4 UDP socket, closing any earlier one.
    void CreateUdpSocket();
    void CloseSocket();
    // Records an operation's result and passes it on.
    int Track(int error) { return lastError_ = error; }

    SocketApi& api_;
    SocketHandle handle_ = kNoSocket;

private:
    bool started_ = false;
    int lastError_ = 0;
};

// A blocking IPv4 UDP socket with one destination. SetRemote connects the
// socket, so the system drops datagrams from any other address or port.
// The local port is left to the system.
class TUDPBlockSocket : public TBlockSocket, public DatagramSocket {
public:
    explicit TUDPBlockSocket(SocketApi& api);

    void SetRemote(std::string_view host, std::string_view port) override;
    void SendDatagram(const std::uint8_t* data, std::size_t length) override;
    std::vector<std::uint8_t> ReceiveDatagram(int timeoutMs) override;
    int LastSocketError() const override { return TBlockSocket::LastSocketError(); }

    // The destination of the last successful SetRemote.
    std::optional<Endpoint> Remote() const { return remote_; }

private:
    std::optional<Endpoint> remote_;
};

// Resolves a host the way the sockets do: a dotted IPv4 literal as it is,
// any other non-empty name through the system's resolver.
std::optional<std::uint32_t> ResolveHost(SocketApi& api, std::string_view host);

// "a.b.c.d" with four decimal parts of 0..255 and no leading zeros; other
// texts are left to the resolver.
std::optional<std::uint32_t> ParseIpv4Literal(std::string_view text);

// A port text: a UDP service of the services database, else a decimal
// number 1..65535, else 0. Without a services database "ntp" is 123.
std::uint16_t PortFromText(SocketApi& api, std::string_view text);

}  // namespace pw::net
