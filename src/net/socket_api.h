#pragma once
// The operating system's sockets, cut down to the calls the time helper's
// waiting UDP exchanges make. BSD sockets and Winsock differ in handle
// types, start-up and error reporting; each platform implements this
// interface once and reports every failure as a Winsock error number, so
// the socket classes built on it behave the same natively and on Windows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pw::net {

// Winsock's error numbers, the one vocabulary of socket errors in the
// program whatever the platform.
inline constexpr int kWsaInterrupted = 10004;
inline constexpr int kWsaAccessDenied = 10013;
inline constexpr int kWsaInvalidArgument = 10022;
inline constexpr int kWsaWouldBlock = 10035;
inline constexpr int kWsaInProgress = 10036;
inline constexpr int kWsaNotSocket = 10038;
inline constexpr int kWsaDestAddressRequired = 10039;
inline constexpr int kWsaMessageSize = 10040;
inline constexpr int kWsaNotSupported = 10045;
inline constexpr int kWsaAddressNotAvailable = 10049;
inline constexpr int kWsaNetworkUnreachable = 10051;
inline constexpr int kWsaConnectionReset = 10054;
inline constexpr int kWsaNoBuffers = 10055;
inline constexpr int kWsaTimedOut = 10060;
inline constexpr int kWsaConnectionRefused = 10061;
inline constexpr int kWsaHostUnreachable = 10065;
inline constexpr int kWsaNotInitialised = 10093;
inline constexpr int kWsaHostNotFound = 11001;

// Large enough for any UDP datagram over IPv4.
inline constexpr std::size_t kMaxDatagram = 65536;

// A socket handle of either platform (Winsock's SOCKET is pointer-sized).
using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// An IPv4 address and port, both in host byte order (127.0.0.1 is
// 0x7F000001).
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
};

inline constexpr std::uint32_t kLoopback = 0x7F000001;
inline constexpr std::uint32_t kBroadcast = 0xFFFFFFFF;

// Every call returning int gives 0 on success, else a Winsock error number.
// All sockets are blocking IPv4 UDP sockets.
class SocketApi {
public:
    virtual ~SocketApi() = default;

    // Starts the platform's socket library for one user (Winsock 1.1);
    // each successful Startup is matched by one Cleanup.
    virtual int Startup() = 0;
    virtual void Cleanup() = 0;

    virtual int OpenUdp(SocketHandle& out) = 0;
    virtual void Close(SocketHandle s) = 0;

    virtual int Bind(SocketHandle s, const Endpoint& local) = 0;
    virtual int LocalEndpoint(SocketHandle s, Endpoint& out) = 0;
    // Fixes the destination; the system then delivers only datagrams from
    // that address and port to the socket.
    virtual int Connect(SocketHandle s, const Endpoint& remote) = 0;

    virtual int Send(SocketHandle s, const std::uint8_t* data, std::size_t size) = 0;
    virtual int SendTo(SocketHandle s, const std::uint8_t* data, std::size_t size, const Endpoint& to) = 0;

    // Waits until the socket is readable (a datagram or a pending error) or
    // timeoutMs has passed; a negative timeout waits without limit.
    // readable is false when the time ran out.
    virtual int WaitReadable(SocketHandle s, int timeoutMs, bool& readable) = 0;
    // Bytes waiting to be read; for a datagram socket at least the size of
    // the next datagram, 0 when nothing is queued.
    virtual int PendingSize(SocketHandle s, std::size_t& size) = 0;
    // Reads one datagram. A datagram larger than the buffer fills it and
    // gives kWsaMessageSize. from, when given, receives the sender.
    virtual int Receive(SocketHandle s, std::uint8_t* buffer, std::size_t size, std::size_t& received,
                        Endpoint* from) = 0;

    // The port of a UDP service in the system's services database.
    virtual std::optional<std::uint16_t> ServicePort(const std::string& name) = 0;
    // The first IPv4 address the system resolver gives for a host name.
    virtual std::optional<std::uint32_t> ResolveIpv4(const std::string& host) = 0;
};

}  // namespace pw::net
