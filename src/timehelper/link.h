#pragma once
// How the user's program reaches the time helper: one request, one reply,
// over the helper's pipe. The Win32 side implements it; tests fake it.

#include <optional>
#include <string>
#include <string_view>

namespace pw::timehelper {

// The service as the service manager reports it.
enum class HelperState {
    NotInstalled,
    Stopped,
    // Start pending, running, or stop pending.
    Running,
};

class HelperLink {
public:
    virtual ~HelperLink() = default;
    virtual HelperState State() = 0;
    // Sends one request and waits up to timeoutMs for the whole reply.
    // Nothing when the pipe is missing or busy past the time, the reply is
    // longer than kMaxReplyBytes, or the helper closes without one.
    virtual std::optional<std::string> Exchange(std::string_view request, int timeoutMs) = 0;
};

}  // namespace pw::timehelper
