#pragma once
// The user's program's way to the time helper: the service manager for the
// service's state, the helper's pipe for a request.

#include <string>

#include "timehelper/link.h"
#include "timehelper/names.h"

namespace pw::win {

class WinHelperLink : public timehelper::HelperLink {
public:
    explicit WinHelperLink(std::string_view pipeName = timehelper::kPipeName) : pipeName_(pipeName) {}

    timehelper::HelperState State() override;
    std::optional<std::string> Exchange(std::string_view request, int timeoutMs) override;

private:
    std::string pipeName_;
};

}  // namespace pw::win
