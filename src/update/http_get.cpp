#include "update/http_get.h"

#include <chrono>

#include "net/blocksock.h"

namespace pw::update {

namespace {

using Clock = std::chrono::steady_clock;
using Outcome = HttpResult::Outcome;

class Deadline {
public:
    explicit Deadline(int ms) : end_(Clock::now() + std::chrono::milliseconds(ms)) {}
    int LeftMs() const {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }

private:
    Clock::time_point end_;
};

Outcome SocketOutcome(int error, Outcome otherwise) {
    if (error == net::kWsaTimedOut) return Outcome::TimedOut;
    if (error == net::kWsaHostNotFound) return Outcome::HostNotFound;
    return otherwise;
}

}  // namespace

HttpResult HttpGet::Get(std::string_view url, const BodySink& sink) {
    HttpResult result;
    const Deadline deadline(TimeoutMs);
    std::optional<HttpUrl> target = ParseHttpUrl(url);
    for (int redirects = 0;; ++redirects) {
        if (!target) {
            result.outcome = Outcome::BadAddress;
            return result;
        }
        net::TTCPBlockSocket socket(api_, waiter_);
        socket.Connect(target->host, target->port, deadline.LeftMs());
        if ((result.socketError = socket.LastSocketError()) != 0) {
            // A connection that did not come about in time was not made:
            // the server was not reached.
            result.outcome = result.socketError == net::kWsaHostNotFound ? Outcome::HostNotFound : Outcome::ConnectFailed;
            return result;
        }
        socket.SendAll(BuildGetRequest(*target), deadline.LeftMs());
        if ((result.socketError = socket.LastSocketError()) != 0) {
            result.outcome = SocketOutcome(result.socketError, Outcome::ConnectionLost);
            return result;
        }

        HttpReplyReader reader;
        std::string body;
        char buffer[4096];
        auto state = reader.CurrentState();
        while (state != HttpReplyReader::State::Done && state != HttpReplyReader::State::Failed) {
            std::size_t n = socket.ReceiveSome(buffer, sizeof buffer, deadline.LeftMs());
            if ((result.socketError = socket.LastSocketError()) != 0) {
                result.status = reader.Status();
                result.outcome = SocketOutcome(result.socketError, Outcome::ConnectionLost);
                return result;
            }
            state = n == 0 ? reader.End() : reader.Feed(std::string_view(buffer, n), body);
            if (!body.empty()) {
                if (!sink(body)) {
                    result.outcome = Outcome::SinkFailed;
                    return result;
                }
                body.clear();
            }
        }
        result.status = reader.Status();
        if (state == HttpReplyReader::State::Failed) {
            result.fault = reader.CurrentFault();
            result.outcome = result.fault == HttpReplyReader::Fault::BodyTooLarge ? Outcome::TooLarge : Outcome::BadReply;
            return result;
        }
        if (result.status >= 400) {
            result.outcome = Outcome::ErrorStatus;
            return result;
        }
        if (!reader.Location()) {
            result.outcome = Outcome::Completed;
            return result;
        }
        if (redirects == MaxRedirects) {
            result.outcome = Outcome::TooManyRedirects;
            return result;
        }
        target = ResolveLocation(*target, *reader.Location());
    }
}

}  // namespace pw::update
