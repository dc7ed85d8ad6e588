#pragma once
// One request to the time helper and its one reply, without waiting: the
// pipe opened (tried again while every instance is busy), the request
// written, the reply read, each step started through the driver. The
// whole exchange has one time limit; what does not end within it ends
// with no reply.
//
// Ends in exactly one call of Done, later, never from inside Start and
// never after Cancel: the reply, or nothing when the pipe is missing, its
// server is not the service, it breaks, the reply is empty or longer than
// kMaxReplyBytes, or the time runs out.

#include <functional>
#include <optional>
#include <string>

#include "net/io_driver.h"

namespace pw::timehelper {

// How soon a pipe whose instances are all busy is tried again.
inline constexpr int kBusyRetryMs = 50;

class HelperExchange {
public:
    using Done = std::function<void(std::optional<std::string> reply)>;

    explicit HelperExchange(net::IoDriver& driver);
    HelperExchange(const HelperExchange&) = delete;
    HelperExchange& operator=(const HelperExchange&) = delete;

    // An exchange under way is cancelled first.
    void Start(net::PipeTarget pipe, std::string request, int timeoutMs, Done done);
    void Cancel();
    bool Running() const { return static_cast<bool>(done_); }

private:
    void TryOpen();
    void Finish(std::optional<std::string> reply);

    net::IoDriver& driver_;
    net::PipeTarget target_;
    std::string request_;
    Done done_;
    unsigned pipeSerial_ = 0;
    net::IoHandle pipe_;
    net::IoHandle deadline_;
    net::IoHandle retry_;
};

}  // namespace pw::timehelper
