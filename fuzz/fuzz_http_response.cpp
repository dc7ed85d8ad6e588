// Arbitrary bytes as an HTTP reply, cut into arbitrary pieces. Nothing may
// crash, and what comes out must hold whatever came in: the body never
// exceeds the limit, an error status delivers no body, a reply with a
// Location delivers none, and the same bytes read in other pieces read
// the same.
//
// Input: one byte giving the piece length (1 to 256), then the reply.
// Every input is also tried as the Location of a redirect.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/http_reply.h"

namespace {

using pw::update::HttpReplyReader;

void Require(bool ok) {
    if (!ok) std::abort();
}

struct Outcome {
    HttpReplyReader::State state;
    HttpReplyReader::Fault fault;
    int status;
    std::string location;
    std::string body;
    bool operator==(const Outcome&) const = default;
};

Outcome ReadInPieces(std::string_view reply, std::size_t piece) {
    HttpReplyReader r;
    std::string body;
    for (std::size_t i = 0; i < reply.size(); i += piece) {
        auto state = r.Feed(reply.substr(i, piece), body);
        Require(body.size() <= pw::update::kMaxReplyBody);
        if (state == HttpReplyReader::State::Done || state == HttpReplyReader::State::Failed) break;
    }
    r.End();
    Require(r.CurrentState() == HttpReplyReader::State::Done || r.CurrentState() == HttpReplyReader::State::Failed);
    return {r.CurrentState(), r.CurrentFault(), r.Status(), r.Location().value_or("\n"), body};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0]) + 1;
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    Outcome a = ReadInPieces(reply, piece);
    Outcome b = ReadInPieces(reply, reply.size() + 1);
    Require(a == b);
    if (a.status >= 400) Require(a.body.empty() && a.state == HttpReplyReader::State::Done);
    if (a.location != "\n") Require(a.body.empty());
    if (a.state == HttpReplyReader::State::Done) Require(a.status >= 100 && a.status <= 599);

    // Whatever a server puts in Location, the next request stays one
    // request: no blank or line break can reach the request line or Host.
    const pw::update::HttpUrl from{"127.0.0.1:8080", "127.0.0.1", 8080, "/upgrades.txt"};
    if (auto next = pw::update::ResolveLocation(from, reply)) {
        std::string request = pw::update::BuildGetRequest(*next);
        std::size_t lines = 0;
        for (char c : request) lines += c == '\n';
        Require(lines == 5);
        Require(request.find("\r\n\r\n") == request.size() - 4);
        Require(!next->host.empty() && next->port != 0);
    }
    return 0;
}
