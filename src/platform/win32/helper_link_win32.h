#pragma once
// The user's program's way to the time helper: the service manager for the
// service's state, the helper's pipe for a request.

#include <string>

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
    std::optional<std::string> Exchange(std::string_view request, int timeoutMs) override;

private:
    // The service's process, when it runs.
    std::optional<unsigned long> ServiceProcess();

    std::string pipeName_;
    std::string serviceName_;
};

}  // namespace pw::win
