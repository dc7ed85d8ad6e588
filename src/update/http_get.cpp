#include "update/http_get.h"

#include <utility>

#include "net/blocksock.h"

namespace pw::update {

using Outcome = HttpResult::Outcome;
using State = HttpReplyReader::State;

HttpGet::HttpGet(net::IoDriver& driver)
    : driver_(driver), deadline_(driver), step_(driver), lookup_(driver), stream_(driver) {}

void HttpGet::Start(std::string_view url, BodySink sink, Done done) {
    Cancel();
    target_ = ParseHttpUrl(url);
    sink_ = std::move(sink);
    done_ = std::move(done);
    result_ = HttpResult{};
    redirects_ = 0;
    deadline_.Set(driver_.StartTimer(TimeoutMs < 0 ? 0 : TimeoutMs, [this] {
        // A connection that did not come about in time was not made: the
        // server was not reached.
        Finish(connected_ ? Outcome::TimedOut : Outcome::ConnectFailed, net::kWsaTimedOut);
    }));
    // From the loop, so that a bad address ends later too.
    step_.Set(driver_.StartTimer(0, [this] { Begin(); }));
}

void HttpGet::Begin() {
    if (!done_) return;
    step_.Reset();
    stream_.Reset();
    connected_ = false;
    if (!target_) {
        Finish(Outcome::BadAddress);
        return;
    }
    if (auto literal = net::ParseIpv4Literal(target_->host)) {
        Connect(*literal);
        return;
    }
    lookup_.Set(driver_.Resolve(target_->host, [this](std::optional<std::uint32_t> address) {
        if (!done_) return;
        lookup_.Reset();
        if (!address) {
            Finish(Outcome::HostNotFound, net::kWsaHostNotFound);
            return;
        }
        Connect(*address);
    }));
}

void HttpGet::Connect(std::uint32_t address) {
    if (target_->port == 0) {
        Finish(Outcome::ConnectFailed, net::kWsaAddressNotAvailable);
        return;
    }
    reader_.emplace();
    int error = 0;
    // Only the connection of the current reply may speak: after a
    // redirection the last one's end must not end the next.
    const unsigned connection = ++connection_;
    const auto current = [this, connection] { return done_ && connection == connection_; };
    net::StreamHandlers handlers{
        [this, current](int e) {
            if (!current()) return;
            if (e != 0) {
                Finish(Outcome::ConnectFailed, e);
                return;
            }
            connected_ = true;
            driver_.SendStream(stream_.Get(), BuildGetRequest(*target_));
        },
        [this, current](std::string_view bytes) {
            if (current()) Received(bytes);
        },
        [this, current](int e) {
            if (current()) Closed(e);
        }};
    stream_.Set(driver_.OpenStream(net::Endpoint{address, target_->port}, std::move(handlers), error));
    if (!stream_) Finish(Outcome::ConnectFailed, error);
}

void HttpGet::Received(std::string_view bytes) {
    if (!done_) return;
    std::string body;
    const State state = reader_->Feed(bytes, body);
    if (!body.empty() && !sink_(body)) {
        Finish(Outcome::SinkFailed);
        return;
    }
    if (state == State::Done || state == State::Failed) ReplyEnded(state);
}

void HttpGet::Closed(int error) {
    if (!done_) return;
    if (error != 0) {
        result_.status = reader_->Status();
        Finish(Outcome::ConnectionLost, error);
        return;
    }
    ReplyEnded(reader_->End());
}

void HttpGet::ReplyEnded(State state) {
    stream_.Reset();
    result_.status = reader_->Status();
    if (state == State::Failed) {
        result_.fault = reader_->CurrentFault();
        Finish(result_.fault == HttpReplyReader::Fault::BodyTooLarge ? Outcome::TooLarge : Outcome::BadReply);
        return;
    }
    if (result_.status >= 400) {
        Finish(Outcome::ErrorStatus);
        return;
    }
    if (!reader_->Location()) {
        Finish(Outcome::Completed);
        return;
    }
    if (redirects_ == MaxRedirects) {
        Finish(Outcome::TooManyRedirects);
        return;
    }
    ++redirects_;
    target_ = ResolveLocation(*target_, *reader_->Location());
    Begin();
}

void HttpGet::Finish(Outcome outcome, int socketError) {
    if (!done_) return;
    deadline_.Reset();
    step_.Reset();
    lookup_.Reset();
    stream_.Reset();
    result_.outcome = outcome;
    result_.socketError = socketError;
    Done done = std::exchange(done_, nullptr);
    sink_ = nullptr;
    done(result_);
}

void HttpGet::Cancel() {
    done_ = nullptr;
    sink_ = nullptr;
    deadline_.Reset();
    step_.Reset();
    lookup_.Reset();
    stream_.Reset();
}

}  // namespace pw::update
