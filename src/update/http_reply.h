#pragma once
// The two ends of one HTTP/1.0 exchange as the update check makes it: the
// request, fixed to the byte, and the reading of the reply, fed with
// whatever the connection delivers. Neither touches a socket, so both are
// checked natively and fuzzed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pw::update {

inline constexpr std::uint16_t kHttpPort = 80;
// A version list is a few lines; anything larger is not one.
inline constexpr std::size_t kMaxReplyBody = 64 * 1024;
// Status line and headers together.
inline constexpr std::size_t kMaxReplyHead = 16 * 1024;

// An "http://" address taken apart. authority is the host as it was
// written, with its ":port" when there was one; it is what the Host header
// carries.
struct HttpUrl {
    std::string authority;
    std::string host;
    std::uint16_t port = kHttpPort;
    std::string path;
    bool operator==(const HttpUrl&) const = default;
};

// Nothing for anything but "http://" + host [":" port] [path]: another
// scheme, user information, an empty host, a bad port, or blanks or
// control characters anywhere (they would end the request line early).
// The path is "/" when none is given; a "#fragment" is dropped.
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// Where a Location header leads from the address that carried it: an
// absolute "http://" address, a path from the root, or a path relative to
// the current one's folder.
std::optional<HttpUrl> ResolveLocation(const HttpUrl& from, std::string_view location);

// The GET request: the request line and exactly the Accept, User-Agent and
// Host headers, in that order, and the empty line.
std::string BuildGetRequest(const HttpUrl& url);

// Reads one reply as it arrives. The reply ends being read (Done) after
// its status line when the status is 400 or above, after its headers when
// they carry a Location, at Content-Length when given, else when the
// server closes the connection.
class HttpReplyReader {
public:
    enum class State { StatusLine, Headers, Body, Done, Failed };
    enum class Fault {
        None,
        BadStatusLine,  // the reply does not begin with "HTTP/x.y nnn"
        BadHeader,      // a header line without a name and a colon
        HeadTooLarge,
        BodyTooLarge,
        Truncated,  // the connection closed inside the head or the body
    };

    explicit HttpReplyReader(std::size_t maxBody = kMaxReplyBody) : maxBody_(maxBody) {}

    // Takes the next bytes of the reply; the body bytes among them are
    // appended to body. Bytes after the end of the reply are ignored.
    State Feed(std::string_view bytes, std::string& body);
    // The server closed the connection.
    State End();

    State CurrentState() const { return state_; }
    Fault CurrentFault() const { return fault_; }
    // The status code once the status line has been read, else 0.
    int Status() const { return status_; }
    // The Location header's value (the last one given), blanks trimmed.
    const std::optional<std::string>& Location() const { return location_; }

private:
    State Fail(Fault f);
    void TakeLine(std::string_view line);
    void HeadersEnded();
    void TakeBody(std::string_view bytes, std::string& body);

    std::size_t maxBody_;
    State state_ = State::StatusLine;
    Fault fault_ = Fault::None;
    int status_ = 0;
    std::optional<std::string> location_;
    std::optional<std::uint64_t> contentLength_;
    std::string line_;
    std::size_t headSize_ = 0;
    std::uint64_t bodySize_ = 0;
};

}  // namespace pw::update
