#include "update/http_reply.h"

#include <algorithm>

#include "common/text.h"

namespace pw::update {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks and control characters would end or split the request line.
bool SafeInRequest(std::string_view s) {
    return std::none_of(s.begin(), s.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u <= ' ' || u == 0x7F;
    });
}

std::optional<std::uint64_t> Decimal(std::string_view s, std::uint64_t max) {
    if (s.empty()) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s) {
        if (!IsDigit(c)) return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > max) return std::nullopt;
    }
    return v;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (url.size() < kScheme.size() || !EqualNoCase(url.substr(0, kScheme.size()), kScheme)) return std::nullopt;
    url.remove_prefix(kScheme.size());
    if (auto hash = url.find('#'); hash != std::string_view::npos) url = url.substr(0, hash);
    if (!SafeInRequest(url)) return std::nullopt;
    std::size_t slash = url.find('/');
    std::string_view authority = url.substr(0, slash);
    HttpUrl out;
    out.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
    if (authority.find('@') != std::string_view::npos || authority.find('?') != std::string_view::npos) return std::nullopt;
    std::string_view host = authority;
    if (auto colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        auto port = Decimal(authority.substr(colon + 1), 65535);
        if (!port || *port == 0) return std::nullopt;
        out.port = static_cast<std::uint16_t>(*port);
    }
    if (host.empty()) return std::nullopt;
    out.authority = std::string(authority);
    out.host = std::string(host);
    return out;
}

std::optional<HttpUrl> ResolveLocation(const HttpUrl& from, std::string_view location) {
    location = TrimBlanks(location);
    if (location.empty()) return std::nullopt;
    // A scheme comes before any slash; "/x?to=http://y" is a path.
    if (auto scheme = location.find("://"); scheme != std::string_view::npos && scheme < location.find('/'))
        return ParseHttpUrl(location);
    // "//host/path" keeps only the scheme.
    if (location.substr(0, 2) == "//") return ParseHttpUrl("http:" + std::string(location));
    std::string path;
    if (location.front() == '/') {
        path = std::string(location);
    } else {
        path = from.path.substr(0, from.path.rfind('/') + 1) + std::string(location);
    }
    return ParseHttpUrl("http://" + from.authority + path);
}

std::string BuildGetRequest(const HttpUrl& url) {
    return "GET " + url.path + " HTTP/1.0\r\n"
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible)\r\n"
           "Host: " + url.authority + "\r\n"
           "\r\n";
}

HttpReplyReader::State HttpReplyReader::Fail(Fault f) {
    fault_ = f;
    return state_ = State::Failed;
}

HttpReplyReader::State HttpReplyReader::Feed(std::string_view bytes, std::string& body) {
    while (!bytes.empty() && (state_ == State::StatusLine || state_ == State::Headers)) {
        std::size_t eol = bytes.find('\n');
        std::size_t take = eol == std::string_view::npos ? bytes.size() : eol + 1;
        headSize_ += take;
        if (headSize_ > kMaxReplyHead) return Fail(Fault::HeadTooLarge);
        line_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (eol == std::string_view::npos) break;
        line_.pop_back();
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        std::string line;
        line.swap(line_);
        TakeLine(line);
    }
    if (state_ == State::Body && !bytes.empty()) TakeBody(bytes, body);
    return state_;
}

void HttpReplyReader::TakeLine(std::string_view line) {
    if (state_ == State::StatusLine) {
        // "HTTP/" major "." minor " " three digits, then a blank and the
        // reason, or nothing.
        constexpr std::string_view kName = "HTTP/";
        if (line.substr(0, kName.size()) != kName) {
            Fail(Fault::BadStatusLine);
            return;
        }
        std::size_t i = kName.size();
        auto digits = [&] {
            std::size_t start = i;
            while (i < line.size() && IsDigit(line[i])) ++i;
            return i > start;
        };
        if (!digits() || i >= line.size() || line[i++] != '.' || !digits() || i >= line.size() || line[i++] != ' ') {
            Fail(Fault::BadStatusLine);
            return;
        }
        auto code = line.substr(i, 3);
        bool ended = line.size() == i + 3 || (line.size() > i + 3 && line[i + 3] == ' ');
        auto value = Decimal(code, 999);
        if (code.size() != 3 || !ended || !value || *value < 100 || *value > 599) {
            Fail(Fault::BadStatusLine);
            return;
        }
        status_ = static_cast<int>(*value);
        // An error reply is not read any further: its body is the server's
        // page about the error, never a version list.
        state_ = status_ >= 400 ? State::Done : State::Headers;
        return;
    }
    if (line.empty()) {
        HeadersEnded();
        return;
    }
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        Fail(Fault::BadHeader);
        return;
    }
    std::string_view name = line.substr(0, colon);
    std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (EqualNoCase(name, "Location")) {
        location_ = std::string(value);
    } else if (EqualNoCase(name, "Content-Length")) {
        auto length = Decimal(value, UINT64_C(1) << 53);
        if (!length || (contentLength_ && *contentLength_ != *length)) {
            Fail(Fault::BadHeader);
            return;
        }
        contentLength_ = length;
    }
}

void HttpReplyReader::HeadersEnded() {
    // A reply with a Location is not delivered: its body is not wanted.
    if (location_) {
        state_ = State::Done;
        return;
    }
    if (contentLength_ && *contentLength_ > maxBody_) {
        Fail(Fault::BodyTooLarge);
        return;
    }
    state_ = contentLength_ && *contentLength_ == 0 ? State::Done : State::Body;
}

void HttpReplyReader::TakeBody(std::string_view bytes, std::string& body) {
    if (contentLength_) bytes = bytes.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), *contentLength_ - bodySize_)));
    if (bodySize_ + bytes.size() > maxBody_) {
        Fail(Fault::BodyTooLarge);
        return;
    }
    body.append(bytes);
    bodySize_ += bytes.size();
    if (contentLength_ && bodySize_ == *contentLength_) state_ = State::Done;
}

HttpReplyReader::State HttpReplyReader::End() {
    switch (state_) {
        case State::StatusLine:
        case State::Headers:
            // No status line is not an HTTP reply; a head cut short is a
            // reply cut short.
            return Fail(state_ == State::StatusLine ? Fault::BadStatusLine : Fault::Truncated);
        case State::Body:
            if (contentLength_ && bodySize_ < *contentLength_) return Fail(Fault::Truncated);
            return state_ = State::Done;
        default:
            return state_;
    }
}

}  // namespace pw::update
