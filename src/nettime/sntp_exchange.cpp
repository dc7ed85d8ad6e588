#include "nettime/sntp_exchange.h"

#include <utility>

namespace pw::nettime {

SntpExchange::SntpExchange(net::IoDriver& driver, Clock& clock)
    : driver_(driver), clock_(clock), lookup_(driver), socket_(driver), timer_(driver), report_(driver) {}

template <class F>
void SntpExchange::Step(F&& step) {
    if (!done_) return;
    try {
        step();
    } catch (...) {
        Finish(SyncResult::Error);
    }
}

void SntpExchange::Start(std::string_view server, std::int32_t maxCorrectionMinutes, Done done) {
    Cancel();
    client_.emplace(clock_);
    PrepareClient(*client_, server, maxCorrectionMinutes);
    utcBefore_ = UtcBefore(clock_);
    done_ = std::move(done);
    starting_ = true;
    struct Started {
        bool& flag;
        ~Started() { flag = false; }
    } started{starting_};
    if (auto literal = net::ParseIpv4Literal(server)) {
        Send(*literal);
        return;
    }
    // An empty name, or one with a NUL that the system's interfaces would
    // read as a shorter one, is no name to look up.
    if (server.empty() || server.find('\0') != std::string_view::npos) {
        Finish(SyncResult::NotAdjusted);
        return;
    }
    lookup_.Set(driver_.Resolve(std::string(server), [this](std::optional<std::uint32_t> a) {
        Step([&] { Resolved(a); });
    }));
    // A name server that never answers must not hold the attempt.
    timer_.Set(driver_.StartTimer(kSyncTimeoutMs, [this] { Step([&] { Finish(SyncResult::NotAdjusted); }); }));
}

void SntpExchange::Resolved(std::optional<std::uint32_t> address) {
    lookup_.Reset();
    timer_.Reset();
    if (!address) {
        Finish(SyncResult::NotAdjusted);
        return;
    }
    Send(*address);
}

void SntpExchange::Send(std::uint32_t address) {
    remote_ = net::Endpoint{address, kNtpPort};
    int error = 0;
    // Only this exchange's socket may speak, not one of an earlier server.
    const unsigned socket = ++socketSerial_;
    net::DatagramHandlers handlers{
        [this, socket](net::Bytes datagram, const net::Endpoint& from) {
            if (socket == socketSerial_) Step([&] { Received(datagram, from); });
        },
        [this, socket](int) {
            if (socket == socketSerial_) Step([&] { Finish(SyncResult::NotAdjusted); });
        }};
    socket_.Set(driver_.OpenDatagram(remote_, std::move(handlers), error));
    if (!socket_) {
        Finish(SyncResult::NotAdjusted);
        return;
    }
    // t1 is read here, just before the request goes out.
    const auto request = client_->MakeRequest();
    if (!request || driver_.SendDatagram(socket_.Get(), net::Bytes(*request)) != 0) {
        Finish(SyncResult::NotAdjusted);
        return;
    }
    timer_.Set(driver_.StartTimer(kSyncTimeoutMs, [this] { Step([&] { Finish(SyncResult::NotAdjusted); }); }));
}

void SntpExchange::Received(net::Bytes datagram, const net::Endpoint& from) {
    if (!(from == remote_)) return;
    // Nothing more may come in while the reply is judged and the clock set.
    socket_.Reset();
    timer_.Reset();
    const bool valid = client_->TakeReply(std::vector<std::uint8_t>(datagram.begin(), datagram.end()));
    std::string offset;
    const SyncResult result = ResultOf(*client_, valid, utcBefore_, offset);
    Finish(result, std::move(offset));
}

void SntpExchange::Finish(SyncResult result, std::string offset) {
    if (!done_) return;
    lookup_.Reset();
    socket_.Reset();
    timer_.Reset();
    Done done = std::exchange(done_, nullptr);
    if (starting_) {
        report_.Set(driver_.StartTimer(0, [this, done, result, offset] {
            // Nothing after a cancel, however late the timer comes.
            if (!report_) return;
            report_.Reset();
            done(result, offset);
        }));
        return;
    }
    // The last thing done: the caller may end this exchange in it.
    done(result, offset);
}

void SntpExchange::Cancel() {
    done_ = nullptr;
    lookup_.Reset();
    socket_.Reset();
    timer_.Reset();
    report_.Reset();
}

}  // namespace pw::nettime
