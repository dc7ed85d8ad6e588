#include "timehelper/helper_exchange.h"

#include <utility>

#include "timehelper/protocol.h"

namespace pw::timehelper {

HelperExchange::HelperExchange(net::IoDriver& driver)
    : driver_(driver), pipe_(driver), deadline_(driver), retry_(driver) {}

void HelperExchange::Start(net::PipeTarget pipe, std::string request, int timeoutMs, Done done) {
    Cancel();
    target_ = std::move(pipe);
    request_ = std::move(request);
    done_ = std::move(done);
    deadline_.Set(driver_.StartTimer(timeoutMs < 0 ? 0 : timeoutMs, [this] { Finish(std::nullopt); }));
    retry_.Set(driver_.StartTimer(0, [this] { TryOpen(); }));
}

void HelperExchange::TryOpen() {
    retry_.Reset();
    net::PipeHandlers handlers{
        [this] { driver_.ReadPipe(pipe_.Get(), kMaxReplyBytes); },
        [this](std::string_view reply, bool whole) {
            if (whole && !reply.empty()) Finish(std::string(reply));
            else Finish(std::nullopt);
        },
        [this](int) { Finish(std::nullopt); }};
    net::PipeOpening how = net::PipeOpening::Refused;
    const net::IoId pipe = driver_.OpenPipe(target_, std::move(handlers), how);
    switch (how) {
        case net::PipeOpening::Opened:
            pipe_.Set(pipe);
            driver_.WritePipe(pipe, request_);
            return;
        case net::PipeOpening::Busy:
            // An instance comes free when its client is done; the deadline
            // ends the trying.
            retry_.Set(driver_.StartTimer(kBusyRetryMs, [this] { TryOpen(); }));
            return;
        case net::PipeOpening::Refused: Finish(std::nullopt); return;
    }
}

void HelperExchange::Finish(std::optional<std::string> reply) {
    if (!done_) return;
    pipe_.Reset();
    deadline_.Reset();
    retry_.Reset();
    Done done = std::exchange(done_, nullptr);
    done(std::move(reply));
}

void HelperExchange::Cancel() {
    done_ = nullptr;
    pipe_.Reset();
    deadline_.Reset();
    retry_.Reset();
}

}  // namespace pw::timehelper
