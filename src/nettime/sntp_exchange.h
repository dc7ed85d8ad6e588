#pragma once
// One time server asked without waiting: the name looked up, the request
// sent, the reply judged (by TSNTPSend, with every check of a waiting
// query) and the clock set from it when within the maximum correction,
// each step started through the driver and continued when its answer
// comes. The window thread goes on meanwhile.
//
// Every exchange ends in exactly one call of its Done, later, never from
// inside Start, and never after Cancel or after the exchange is gone:
// - a lookup that finds nothing, or takes longer than kSyncTimeoutMs:
//   NotAdjusted;
// - no datagram from the server within kSyncTimeoutMs of sending, or the
//   socket failing (a refused port): NotAdjusted;
// - the first datagram from the server's address and port decides, as for
//   a waiting query; one from anywhere else is not the server's and is
//   ignored;
// - an error raised inside a step: Error.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "net/io_driver.h"
#include "nettime/netsync.h"
#include "nettime/sntp.h"

namespace pw::nettime {

class SntpExchange {
public:
    // The answer and the offset text (empty without a valid reply).
    using Done = std::function<void(SyncResult result, const std::string& offsetText)>;

    SntpExchange(net::IoDriver& driver, Clock& clock);
    SntpExchange(const SntpExchange&) = delete;
    SntpExchange& operator=(const SntpExchange&) = delete;

    // Asks server (a name or a dotted IPv4 literal); maxCorrectionMinutes
    // 0 means no maximum. An exchange under way is cancelled first.
    void Start(std::string_view server, std::int32_t maxCorrectionMinutes, Done done);
    // Stops the exchange; its Done is not called.
    void Cancel();
    bool Running() const { return static_cast<bool>(done_) || static_cast<bool>(report_); }

private:
    void Resolved(std::optional<std::uint32_t> address);
    void Send(std::uint32_t address);
    void Received(net::Bytes datagram, const net::Endpoint& from);
    void Finish(SyncResult result, std::string offset = {});
    // Runs one step's answer; an error inside it ends the exchange.
    template <class F>
    void Step(F&& step);

    net::IoDriver& driver_;
    Clock& clock_;
    std::optional<TSNTPSend> client_;
    net::Endpoint remote_;
    DateTime utcBefore_ = 0;
    Done done_;
    bool starting_ = false;
    unsigned socketSerial_ = 0;
    net::IoHandle lookup_;
    net::IoHandle socket_;
    net::IoHandle timer_;
    // A result reached inside Start, delivered from the loop.
    net::IoHandle report_;
};

}  // namespace pw::nettime
