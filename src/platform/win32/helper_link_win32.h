#pragma once
// The user's program's way to the time helper: the service manager for the
// service's state, and the helper's pipe (opened by the driver, which
// checks that its server is the service's process).

#include <optional>
#include <string>
#include <string_view>

#include "timehelper/link.h"
#include "timehelper/names.h"

namespace pw::win {

class WinHelperLink : public timehelper::HelperLink {
public:
    // A reply counts only when the pipe's server is that service's process
    // (while it is stopped, anyone may make a pipe of that name); without a
    // service name, whoever serves the pipe.
    explicit WinHelperLink(std::string_view pipeName = timehelper::kPipeName,
                           std::string_view serviceName = timehelper::kServiceName)
        : pipeName_(pipeName), serviceName_(serviceName) {}

    timehelper::HelperState State() override;
    net::PipeTarget Pipe() const override { return {pipeName_, serviceName_}; }

private:
    std::string pipeName_;
    std::string serviceName_;
};

// The process of a service while it runs; nothing when it is not there,
// stopped, or closed to this user.
std::optional<unsigned long> RunningServiceProcess(std::string_view serviceName);

}  // namespace pw::win
