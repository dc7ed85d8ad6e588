#pragma once
// Waiting without waiting. Everything the program asks of the network or
// of the time helper's pipe is started through an IoDriver and returns at
// once; its end comes back later as a call of the handler given, on the
// same (the one) thread, from the message loop. So the clock window keeps
// ticking and answering while a time server, a name server, the update
// server or the helper take their time.
//
// Rules every driver keeps, and the exchanges built on it count on:
// - a handler is never called from inside the call that started its
//   operation, only later;
// - after Cancel of an operation (or when its socket or pipe failed or
//   closed), none of its handlers is called again;
// - Cancel of an ended or unknown id does nothing, and may be called from
//   inside one of that operation's own handlers;
// - a handler may start and cancel other operations.
// On Windows the driver is a message-only window (sockets reported by
// WSAAsyncSelect, timers by SetTimer); natively it is poll(); the tests
// drive exchanges with a scripted one, without the network or real waits.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "net/socket_api.h"

namespace pw::net {

// Names one operation: a timer, a name lookup, a socket or a pipe. Never
// reused while the driver lives.
using IoId = std::uint64_t;
inline constexpr IoId kNoIo = 0;

using Bytes = std::span<const std::uint8_t>;

struct DatagramHandlers {
    // One whole datagram and who sent it.
    std::function<void(Bytes datagram, const Endpoint& from)> received;
    // The socket failed (a refused destination reads as kWsaConnectionReset
    // or kWsaConnectionRefused); nothing follows.
    std::function<void(int error)> failed;
};

struct StreamHandlers {
    // The connection came about (0) or did not (the error); after an error
    // nothing follows.
    std::function<void(int error)> connected;
    // What has arrived, in order.
    std::function<void(std::string_view bytes)> received;
    // The peer closed its side (0) or the connection failed (the error);
    // nothing follows.
    std::function<void(int error)> closed;
};

// A named pipe opened for one exchange.
struct PipeTarget {
    std::string name;
    // When not empty, only a pipe whose server is this service's process
    // is opened: while the service is stopped anyone may serve its name.
    std::string serverService;
};

enum class PipeOpening {
    Opened,
    // Every instance is serving someone; it may be tried again.
    Busy,
    // No such pipe, no right to it, or a server that is not the service.
    Refused,
};

struct PipeHandlers {
    // The last WritePipe went out whole.
    std::function<void()> written;
    // One whole message, or its first maxBytes bytes when it was longer
    // (the rest is not read).
    std::function<void(std::string_view message, bool whole)> received;
    // The pipe broke or the server closed it; nothing follows.
    std::function<void(int error)> failed;
};

class IoDriver {
public:
    virtual ~IoDriver() = default;

    // Calls fired once, ms milliseconds from now (0: as soon as the loop
    // comes round).
    virtual IoId StartTimer(int ms, std::function<void()> fired) = 0;

    // The first IPv4 address of a host name, or nothing when it has none.
    // Callers take dotted IPv4 literals themselves; this is for names.
    virtual IoId Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) = 0;

    // A UDP socket whose datagrams go to remote (the system drops those
    // from any other address and port; the handler sees the sender all the
    // same). kNoIo, with error set, when it could not be made.
    virtual IoId OpenDatagram(const Endpoint& remote, DatagramHandlers handlers, int& error) = 0;
    // 0, or the error; a failure later still comes to failed.
    virtual int SendDatagram(IoId socket, Bytes datagram) = 0;

    // Starts connecting a TCP socket to remote; kNoIo, with error set, when
    // not even that could be done.
    virtual IoId OpenStream(const Endpoint& remote, StreamHandlers handlers, int& error) = 0;
    // Queues bytes to go out once connected, in order; a failure comes to
    // closed.
    virtual void SendStream(IoId stream, std::string_view bytes) = 0;

    // Opens a pipe for one exchange; kNoIo unless Opened.
    virtual IoId OpenPipe(const PipeTarget& target, PipeHandlers handlers, PipeOpening& how) = 0;
    // One message; written follows.
    virtual void WritePipe(IoId pipe, std::string_view message) = 0;
    // Reads one message of at most maxBytes; received follows.
    virtual void ReadPipe(IoId pipe, std::size_t maxBytes) = 0;

    // Ends the operation: stops the timer, forgets the lookup, closes the
    // socket or the pipe.
    virtual void Cancel(IoId id) = 0;
};

// An id that is cancelled when it is dropped or replaced: what an exchange
// holds for each operation it has under way.
class IoHandle {
public:
    explicit IoHandle(IoDriver& driver) : driver_(driver) {}
    ~IoHandle() { Reset(); }
    IoHandle(const IoHandle&) = delete;
    IoHandle& operator=(const IoHandle&) = delete;

    void Set(IoId id) {
        Reset();
        id_ = id;
    }
    void Reset() {
        if (id_ != kNoIo) driver_.Cancel(std::exchange(id_, kNoIo));
    }
    IoId Get() const { return id_; }
    explicit operator bool() const { return id_ != kNoIo; }

private:
    IoDriver& driver_;
    IoId id_ = kNoIo;
};

}  // namespace pw::net
