#pragma once
// A time helper for tests of the program's side: a state, and a scripted
// answer to each request, recorded in the test's event list.

#include <functional>
#include <optional>
#include <string>

#include "support/fake_services.h"
#include "timehelper/link.h"

namespace pw::test {

class FakeHelperLink : public timehelper::HelperLink {
public:
    explicit FakeHelperLink(Events& e) : events_(e) {}

    timehelper::HelperState state = timehelper::HelperState::Running;
    // The reply to every request; nothing stands for a pipe that is gone.
    std::optional<std::string> reply;

    timehelper::HelperState State() override { return state; }
    std::optional<std::string> Exchange(std::string_view request, int) override {
        std::string shown(request);
        if (!shown.empty() && shown.back() == '\n') shown.pop_back();
        events_.Add("helper:" + shown);
        return reply;
    }

private:
    Events& events_;
};

}  // namespace pw::test
