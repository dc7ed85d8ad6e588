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
    if (!done_) return;
    retry_.Reset();
    // Only the pipe of this exchange may speak, not one of an earlier one.
    const unsigned pipe = ++pipeSerial_;
    net::PipeHandlers handlers{
        [this, pipe] {
            if (pipe == pipeSerial_ && pipe_) driver_.ReadPipe(pipe_.Get(), kMaxReplyBytes);
        },
        [this, pipe](std::string_view reply, bool whole) {
            if (pipe != pipeSerial_) return;
            if (whole && !reply.empty()) Finish(std::string(reply));
            else Finish(std::nullopt);
        },
        [this, pipe](int) {
            if (pipe == pipeSerial_) Finish(std::nullopt);
        }};
    net::PipeOpening how = net::PipeOpening::Refused;
    const net::IoId opened = driver_.OpenPipe(target_, std::move(handlers), how);
    switch (how) {
        case net::PipeOpening::Opened:
            pipe_.Set(opened);
            driver_.WritePipe(opened, request_);
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
