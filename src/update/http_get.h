#pragma once
// The update check's HTTP client: one GET over HTTP/1.0, following
// Location replies, with the body handed to a sink as it arrives. It runs
// on the window thread without waiting: the name lookup, the connection,
// the request and each piece of the reply are started through the driver,
// and one time limit, a timer, covers the whole GET.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/io_driver.h"
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
    using Done = std::function<void(const HttpResult&)>;

    explicit HttpGet(net::IoDriver& driver);
    HttpGet(const HttpGet&) = delete;
    HttpGet& operator=(const HttpGet&) = delete;

    // The limit for the whole GET, redirections included: a server that
    // accepts and then says nothing, or drips its reply, must not hold the
    // check for ever.
    int TimeoutMs = kHttpTimeoutMs;
    // Location replies followed in a row before the GET fails.
    int MaxRedirects = kMaxRedirects;

    // Starts the GET; done is called once when it ends, later, never from
    // inside Start, and never after Cancel.
    void Start(std::string_view url, BodySink sink, Done done);
    void Cancel();
    bool Running() const { return static_cast<bool>(done_); }

private:
    void Begin();
    void Connect(std::uint32_t address);
    void Received(std::string_view bytes);
    void Closed(int error);
    void ReplyEnded(HttpReplyReader::State state);
    void Finish(HttpResult::Outcome outcome, int socketError = 0);

    net::IoDriver& driver_;
    std::optional<HttpUrl> target_;
    BodySink sink_;
    Done done_;
    HttpResult result_;
    std::optional<HttpReplyReader> reader_;
    int redirects_ = 0;
    unsigned connection_ = 0;
    bool connected_ = false;
    net::IoHandle deadline_;
    net::IoHandle step_;
    net::IoHandle lookup_;
    net::IoHandle stream_;
};

}  // namespace pw::update
