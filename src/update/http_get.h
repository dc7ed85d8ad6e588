#pragma once
// The update check's HTTP client: one GET over HTTP/1.0, following
// Location replies, with the body streamed to a sink as it arrives. It
// runs on the user-interface thread; its waits go through the socket
// waiter, which on Windows keeps the window messages flowing.

#include <functional>
#include <string>
#include <string_view>

#include "net/socket_api.h"
#include "update/http_reply.h"

namespace pw::update {

inline constexpr int kHttpTimeoutMs = 30000;
inline constexpr int kMaxRedirects = 5;

struct HttpResult {
    enum class Outcome {
        Completed,         // a whole reply below 400, its body delivered
        BadAddress,        // the address (or a Location) is no http:// address
        HostNotFound,
        ConnectFailed,     // refused, unreachable, no connection within the time limit
        ConnectionLost,    // a socket error after connecting
        TimedOut,          // connected, but the time limit for the whole GET ran out
        ErrorStatus,       // a status of 400 or above
        BadReply,          // not an HTTP reply, or one cut short
        TooLarge,
        TooManyRedirects,
        SinkFailed,        // the sink refused the body
    };
    Outcome outcome = Outcome::BadAddress;
    int status = 0;       // the last reply's status code, 0 before one
    int socketError = 0;  // the Winsock number when a socket call failed
    HttpReplyReader::Fault fault = HttpReplyReader::Fault::None;

    bool Completed() const { return outcome == Outcome::Completed; }
    // No server could be talked to at all.
    bool Unreachable() const { return outcome == Outcome::HostNotFound || outcome == Outcome::ConnectFailed; }
    // A server was reached but its reply did not come whole in time.
    bool NoAnswer() const { return outcome == Outcome::ConnectionLost || outcome == Outcome::TimedOut; }
};

// Takes the next body bytes; false stops the transfer.
using BodySink = std::function<bool(std::string_view)>;

class HttpGet {
public:
    HttpGet(net::StreamSocketApi& api, net::SocketWaiter& waiter) : api_(api), waiter_(waiter) {}

    // The limit for the whole GET, redirections included: a server that
    // accepts and then says nothing must not hold the check for ever.
    int TimeoutMs = kHttpTimeoutMs;
    // Location replies followed in a row before the GET fails.
    int MaxRedirects = kMaxRedirects;

    HttpResult Get(std::string_view url, const BodySink& sink);

private:
    net::StreamSocketApi& api_;
    net::SocketWaiter& waiter_;
};

}  // namespace pw::update
