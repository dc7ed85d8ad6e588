#pragma once
// How the user's program reaches the time helper: the service's state from
// the service manager, and its pipe, on which one request gets one reply
// (timehelper/helper_exchange.h). The Win32 side implements it; tests fake
// it.

#include "net/io_driver.h"

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
    // The helper's pipe, and the service whose process alone may serve it.
    virtual net::PipeTarget Pipe() const = 0;
};

}  // namespace pw::timehelper
