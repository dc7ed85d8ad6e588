// One request to the time helper without waiting: whatever the pipe does
// and in whatever order (busy, refused, broken, a reply too long, too late,
// a cancel), the exchange ends once, within its time, or not at all once
// cancelled. The driver delivers even what comes for a closed pipe.
#include "timehelper/helper_exchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "support/fake_io_driver.h"
#include "timehelper/protocol.h"

namespace pw::timehelper {
namespace {

using net::PipeOpening;
using Lines = std::vector<std::string>;

struct Case {
    const char* what;
    // How the pipe opens, attempt by attempt (the last one repeats).
    std::vector<PipeOpening> openings;
    // What the pipe's server does once the request is written.
    std::function<void(test::FakeIoDriver&, net::IoId)> server;
    // What happens to the exchange meanwhile.
    std::function<void(test::FakeIoDriver&, std::unique_ptr<HelperExchange>&)> meanwhile;
    Lines results;
    int endsByMs;  // the exchange has ended by then (a result or not)
};

TEST(HelperExchange, EveryOrderOfEventsEndsOnceWithinTheTime) {
    using D = test::FakeIoDriver;
    const std::string full(kMaxReplyBytes, 'r');
    const auto answer = [](std::string reply, int afterMs = 0) {
        return [reply, afterMs](D& d, net::IoId pipe) {
            d.PipeWritten(pipe);
            d.PipeMessage(pipe, reply, true, afterMs);
        };
    };
    const auto none = [](D&, std::unique_ptr<HelperExchange>&) {};
    const Case cases[] = {
        {"the reply", {PipeOpening::Opened}, answer("attempted=0\n"), none, {"attempted=0\n"}, 10},
        {"the longest reply allowed", {PipeOpening::Opened}, answer(full), none, {full}, 10},
        {"a reply too long", {PipeOpening::Opened}, answer(full + "r"), none, {"nothing"}, 10},
        {"an empty reply", {PipeOpening::Opened}, answer(""), none, {"nothing"}, 10},
        {"a reply after the time", {PipeOpening::Opened}, answer("late", 1500), none, {"nothing"}, 1000},
        {"busy, then free", {PipeOpening::Busy, PipeOpening::Busy, PipeOpening::Opened}, answer("ok"), none, {"ok"},
         2 * kBusyRetryMs + 10},
        {"busy past the time", {PipeOpening::Busy}, answer("ok"), none, {"nothing"}, 1000},
        {"no helper", {PipeOpening::Refused}, answer("ok"), none, {"nothing"}, 10},
        {"the pipe breaks after the request",
         {PipeOpening::Opened},
         [](D& d, net::IoId pipe) {
             d.PipeWritten(pipe);
             d.PipeFailed(pipe, 109);
             d.PipeMessage(pipe, "after", true, 5);
         },
         none, {"nothing"}, 10},
        {"the helper never reads", {PipeOpening::Opened}, [](D&, net::IoId) {}, none, {"nothing"}, 1000},
        {"cancelled before the reply", {PipeOpening::Opened}, answer("ok", 50),
         [](D&, std::unique_ptr<HelperExchange>& x) { x->Cancel(); }, {}, 0},
        {"the program ends before the reply", {PipeOpening::Opened}, answer("ok", 50),
         [](D& d, std::unique_ptr<HelperExchange>& x) {
             // Gone, so nothing may come to it at all.
             d.deliverAfterCancel = false;
             x.reset();
         },
         {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeIoDriver driver;
        driver.deliverAfterCancel = true;
        std::size_t attempt = 0;
        driver.pipeOpening = [&](const net::PipeTarget& t) {
            EXPECT_EQ(t.name, "\\\\.\\pipe\\helper");
            EXPECT_EQ(t.serverService, "Helper");
            return c.openings[std::min(attempt++, c.openings.size() - 1)];
        };
        driver.pipeWritten = [&](net::IoId pipe, const std::string& request) {
            EXPECT_EQ(request, "STATUS\n");
            c.server(driver, pipe);
        };
        Lines results;
        auto exchange = std::make_unique<HelperExchange>(driver);
        exchange->Start({"\\\\.\\pipe\\helper", "Helper"}, RequestText(Request::Status), 1000,
                        [&](std::optional<std::string> reply) { results.push_back(reply.value_or("nothing")); });
        EXPECT_TRUE(results.empty()) << "an answer from inside Start";
        driver.RunFor(1);
        c.meanwhile(driver, exchange);
        driver.RunFor(c.endsByMs);
        if (exchange) {
            EXPECT_FALSE(exchange->Running());
        }
        EXPECT_EQ(driver.OpenCount(), 0u) << testing::PrintToString(driver.actions);
        driver.RunUntilIdle();
        EXPECT_EQ(results, c.results);
    }
}

}  // namespace
}  // namespace pw::timehelper
