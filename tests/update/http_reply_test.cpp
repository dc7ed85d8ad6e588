// Reading replies and building requests, without a network: the replies
// are fed whole and byte by byte, which must read the same.
#include <gtest/gtest.h>

#include <string>

#include "update/http_reply.h"

namespace pw::update {
namespace {

using State = HttpReplyReader::State;
using Fault = HttpReplyReader::Fault;

struct Read {
    State state;
    Fault fault;
    int status;
    std::string location;  // "-" for none
    std::string body;
};

Read ReadReply(const std::string& reply, bool closed, std::size_t chunk) {
    HttpReplyReader r;
    std::string body;
    for (std::size_t i = 0; i < reply.size(); i += chunk) r.Feed(std::string_view(reply).substr(i, chunk), body);
    if (closed) r.End();
    return {r.CurrentState(), r.CurrentFault(), r.Status(), r.Location().value_or("-"), body};
}

const std::string kSomeBody = "(any part)";

struct ReplyCase {
    const char* what;
    std::string reply;
    bool closed;  // the server closes after the bytes
    State state;
    Fault fault;
    int status;
    std::string location;
    std::string body;
};

TEST(HttpReply, ReadsEachKindOfReply) {
    const std::string big(kMaxReplyBody, 'x');
    const ReplyCase cases[] = {
        {"plain 1.0 reply to the close", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nplenwick 4.2\r\n", true,
         State::Done, Fault::None, 200, "-", "plenwick 4.2\r\n"},
        {"1.1 with Content-Length stops there", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", false,
         State::Done, Fault::None, 200, "-", "hello"},
        {"header names in any case", "HTTP/1.0 200 OK\r\ncontent-LENGTH:3\r\n\r\nabc", false, State::Done, Fault::None,
         200, "-", "abc"},
        {"bare LF line ends", "HTTP/1.0 200 OK\nX: y\n\nbody", true, State::Done, Fault::None, 200, "-", "body"},
        {"no reason phrase", "HTTP/1.0 200\r\n\r\nv", true, State::Done, Fault::None, 200, "-", "v"},
        {"empty body", "HTTP/1.0 200 OK\r\n\r\n", true, State::Done, Fault::None, 200, "-", ""},
        {"not found: nothing past the status line", "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", false,
         State::Done, Fault::None, 404, "-", ""},
        {"500 with garbage after the status line", "HTTP/1.1 500 Oops\r\n\x01\x02garbage", false, State::Done,
         Fault::None, 500, "-", ""},
        {"Location in odd case, body not delivered",
         "HTTP/1.0 302 Found\r\nlOcAtIoN:   http://127.0.0.1:81/x.txt  \r\n\r\nmoved", false, State::Done, Fault::None,
         302, "http://127.0.0.1:81/x.txt", ""},
        {"Location with a 200 is followed too", "HTTP/1.0 200 OK\r\nLocation: /other\r\n\r\n", false, State::Done,
         Fault::None, 200, "/other", ""},
        {"the last of two Locations", "HTTP/1.0 301 M\r\nLocation: /a\r\nLocation: /b\r\n\r\n", false, State::Done,
         Fault::None, 301, "/b", ""},
        {"no status line at all", "plenwick 4.2\r\n", true, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"nothing at all", "", true, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"lower-case protocol name", "http/1.0 200 OK\r\n\r\n", false, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"two-digit status", "HTTP/1.0 20 OK\r\n\r\n", false, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"four-digit status", "HTTP/1.0 2000 OK\r\n\r\n", false, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"status out of range", "HTTP/1.0 999 Huh\r\n\r\n", false, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"no version number", "HTTP/ 200 OK\r\n\r\n", false, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"leading empty line", "\r\nHTTP/1.0 200 OK\r\n\r\n", false, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"status line cut short", "HTTP/1.0 20", true, State::Failed, Fault::BadStatusLine, 0, "-", ""},
        {"header without a colon", "HTTP/1.0 200 OK\r\nbroken\r\n\r\n", false, State::Failed, Fault::BadHeader, 200,
         "-", ""},
        {"bad Content-Length", "HTTP/1.0 200 OK\r\nContent-Length: 1x\r\n\r\n", false, State::Failed, Fault::BadHeader,
         200, "-", ""},
        {"two different Content-Lengths", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", false,
         State::Failed, Fault::BadHeader, 200, "-", ""},
        {"headers cut short", "HTTP/1.0 200 OK\r\nServer: x\r\n", true, State::Failed, Fault::Truncated, 200, "-", ""},
        {"body shorter than Content-Length", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nshort", true, State::Failed,
         Fault::Truncated, 200, "-", "short"},
        {"body of exactly the limit", "HTTP/1.0 200 OK\r\n\r\n" + big, true, State::Done, Fault::None, 200, "-", big},
        {"body one byte over the limit", "HTTP/1.0 200 OK\r\n\r\n" + big + "x", true, State::Failed,
         Fault::BodyTooLarge, 200, "-", kSomeBody},
        {"Content-Length over the limit fails before the body",
         "HTTP/1.0 200 OK\r\nContent-Length: 65537\r\n\r\n", false, State::Failed, Fault::BodyTooLarge, 200, "-", ""},
        {"head over its limit", "HTTP/1.0 200 OK\r\nX: " + std::string(kMaxReplyHead, 'h'), false, State::Failed,
         Fault::HeadTooLarge, 200, "-", ""},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {std::size_t(1), std::size_t(7), c.reply.size() + 1}) {
            SCOPED_TRACE(std::string(c.what) + ", chunks of " + std::to_string(chunk));
            Read r = ReadReply(c.reply, c.closed, chunk);
            EXPECT_EQ(r.state, c.state);
            EXPECT_EQ(r.fault, c.fault);
            EXPECT_EQ(r.status, c.status);
            EXPECT_EQ(r.location, c.location);
            // Of a body that fails, the part delivered depends on the pieces;
            // never more than the limit.
            if (c.body == kSomeBody) {
                EXPECT_LE(r.body.size(), kMaxReplyBody);
            } else {
                EXPECT_EQ(r.body.size(), c.body.size());
                EXPECT_TRUE(r.body == c.body);
            }
        }
    }
}

TEST(HttpReply, AddressesAndLocations) {
    struct Case {
        const char* text;
        bool ok;
        HttpUrl url;
    };
    const Case urls[] = {
        {"http://www.example.test/upgrades.txt", true, {"www.example.test", "www.example.test", 80, "/upgrades.txt"}},
        {"HTTP://127.0.0.1:8080/a/b?x=1#frag", true, {"127.0.0.1:8080", "127.0.0.1", 8080, "/a/b?x=1"}},
        {"http://host", true, {"host", "host", 80, "/"}},
        {"https://host/x", false, {}},
        {"http://user@host/x", false, {}},
        {"http://:80/x", false, {}},
        {"http://host:0/x", false, {}},
        {"http://host:65536/x", false, {}},
        {"http://host:8o/x", false, {}},
        {"http://host/a b", false, {}},
        {"http://host/a\r\nX-Injected: 1", false, {}},
    };
    for (const auto& c : urls) {
        SCOPED_TRACE(c.text);
        auto u = ParseHttpUrl(c.text);
        ASSERT_EQ(u.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(*u, c.url);
        }
    }

    const HttpUrl from{"srv:81", "srv", 81, "/dir/upgrades.txt"};
    const std::pair<const char*, const char*> locations[] = {
        {"http://other/new.txt", "other|80|/new.txt"},
        {"/root.txt", "srv:81|81|/root.txt"},
        {"sibling.txt", "srv:81|81|/dir/sibling.txt"},
        {"//third:82/x", "third:82|82|/x"},
        {"ftp://other/x", "-"},
        {"", "-"},
    };
    for (auto [location, expected] : locations) {
        SCOPED_TRACE(location);
        auto u = ResolveLocation(from, location);
        EXPECT_EQ(u ? u->authority + "|" + std::to_string(u->port) + "|" + u->path : "-", expected);
    }
}

}  // namespace
}  // namespace pw::update
