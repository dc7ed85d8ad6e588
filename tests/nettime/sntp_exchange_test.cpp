// One server asked without waiting: whatever order the answers come in
// (the reply, a late one, one from elsewhere, a failure, a cancel, the
// program ending), the exchange ends in exactly one result, or none once
// cancelled, and sets the clock at most once. The driver here is careless
// on purpose: it still delivers what was queued for cancelled sockets.
#include "nettime/sntp_exchange.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/fake_clock.h"
#include "support/fake_io_driver.h"
#include "support/ntp_packet.h"

namespace pw::nettime {
namespace {

using Lines = std::vector<std::string>;

constexpr std::uint32_t kServer = 0x0A000001;  // 10.0.0.1
const net::Endpoint kServerPort{kServer, kNtpPort};

class SntpExchangeTest : public ::testing::Test {
public:
    SntpExchangeTest() {
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 0, 500);
        driver.hosts["ntp.example"] = kServer;
        driver.deliverAfterCancel = true;
    }

    // A reply to the last request, 90 seconds ahead.
    std::vector<std::uint8_t> Reply(test::Originate originate = test::Originate::Echo) {
        test::ReplyFields f;
        f.receive = f.transmit = test::NtpOf(clock.UtcNow() + 90.0 / 86400);
        f.originate = originate;
        return test::MakeReply(driver.datagrams.back().bytes, f);
    }
    net::IoId Socket() { return driver.Last("udp"); }

    test::FakeClock clock;
    test::FakeIoDriver driver;
    Lines results;
};

struct Case {
    const char* what;
    const char* server;
    // What happens after Start, with the exchange and the test at hand.
    std::function<void(SntpExchangeTest&, std::unique_ptr<SntpExchange>&)> then;
    Lines results;
    std::size_t clockSets;
};

TEST_F(SntpExchangeTest, EveryOrderOfEventsEndsInOneResultOrNone) {
    using T = SntpExchangeTest;
    using X = std::unique_ptr<SntpExchange>;
    const Case cases[] = {
        {"the reply", "ntp.example",
         [](T& t, X&) { t.driver.Deliver(t.Socket(), t.Reply(), kServerPort); },
         {"Corrected + 0 days, 00:01:30"}, 1},
        {"an IPv4 literal needs no lookup", "10.0.0.1",
         [](T& t, X&) { t.driver.Deliver(t.Socket(), t.Reply(), kServerPort); },
         {"Corrected + 0 days, 00:01:30"}, 1},
        {"two replies: the first decides", "ntp.example",
         [](T& t, X&) {
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort);
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort);
         },
         {"Corrected + 0 days, 00:01:30"}, 1},
        {"silence", "ntp.example", [](T&, X&) {}, {"NotAdjusted"}, 0},
        {"a reply after the time-out", "ntp.example",
         [](T& t, X&) { t.driver.Deliver(t.Socket(), t.Reply(), kServerPort, kSyncTimeoutMs + 1); },
         {"NotAdjusted"}, 0},
        {"a reply just within the time", "ntp.example",
         [](T& t, X&) { t.driver.Deliver(t.Socket(), t.Reply(), kServerPort, kSyncTimeoutMs - 1); },
         {"Corrected + 0 days, 00:01:30"}, 1},
        {"a reply from another port, then silence", "ntp.example",
         [](T& t, X&) { t.driver.Deliver(t.Socket(), t.Reply(), {kServer, 1234}); },
         {"NotAdjusted"}, 0},
        {"a reply from another address, then the server's", "ntp.example",
         [](T& t, X&) {
             t.driver.Deliver(t.Socket(), t.Reply(), {0x0A000002, kNtpPort});
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort, 10);
         },
         {"Corrected + 0 days, 00:01:30"}, 1},
        {"a reply that does not answer the request", "ntp.example",
         [](T& t, X&) { t.driver.Deliver(t.Socket(), t.Reply(test::Originate::Flipped), kServerPort); },
         {"NotAdjusted"}, 0},
        {"the port refused", "ntp.example",
         [](T& t, X&) {
             t.driver.FailDatagram(t.Socket(), net::kWsaConnectionReset);
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort, 5);
         },
         {"NotAdjusted"}, 0},
        {"cancelled, then the reply", "ntp.example",
         [](T& t, X& x) {
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort, 5);
             x->Cancel();
         },
         {}, 0},
        {"the program ends, then the reply", "ntp.example",
         [](T& t, X& x) {
             t.driver.deliverAfterCancel = false;
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort, 5);
             x.reset();
         },
         {}, 0},
        {"a name that resolves to nothing", "nowhere.example", [](T&, X&) {}, {"NotAdjusted"}, 0},
        {"an empty name", "", [](T&, X&) {}, {"NotAdjusted"}, 0},
        {"a name server that never answers", "silent.example", [](T&, X&) {}, {"NotAdjusted"}, 0},
        {"no socket to be had", "10.0.0.1", [](T& t, X&) {}, {"NotAdjusted"}, 0},
        {"the clock raises an error", "ntp.example",
         [](T& t, X&) {
             t.clock.throwOnSet = true;
             t.driver.Deliver(t.Socket(), t.Reply(), kServerPort);
         },
         {"Error"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver = test::FakeIoDriver{};
        driver.hosts["ntp.example"] = kServer;
        driver.silentNames.insert("silent.example");
        driver.deliverAfterCancel = true;
        if (std::string(c.what) == "no socket to be had") driver.openError = net::kWsaNoBuffers;
        clock.sets.clear();
        clock.throwOnSet = false;
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 0, 500);
        results.clear();

        auto exchange = std::make_unique<SntpExchange>(driver, clock);
        exchange->Start(c.server, 60, [this](SyncResult r, const std::string& offset) {
            const char* names[] = {"Corrected", "NotAdjusted", "NoRight", "KissOfDeath", "Error"};
            results.push_back(std::string(names[static_cast<int>(r)]) + (offset.empty() ? "" : " " + offset));
        });
        // Nothing is said from inside Start.
        EXPECT_TRUE(results.empty());
        driver.RunReady();
        c.then(*this, exchange);
        driver.RunUntilIdle();
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(clock.sets.size(), c.clockSets);
        if (exchange) {
            EXPECT_FALSE(exchange->Running());
        }
        EXPECT_EQ(driver.OpenCount(), 0u) << testing::PrintToString(driver.actions);
    }
}

TEST_F(SntpExchangeTest, LooksUpSendsOneRequestAndWaitsFiveSeconds) {
    SntpExchange exchange(driver, clock);
    exchange.Start("ntp.example", 60, [](SyncResult, const std::string&) {});
    driver.RunReady();
    EXPECT_EQ(driver.actions, (Lines{"resolve ntp.example", "timer 5000", "cancel #2", "udp 10.0.0.1:123",
                                     "send #3 48", "timer 5000"}));
    ASSERT_EQ(driver.datagrams.size(), 1u);
    EXPECT_EQ(driver.datagrams[0].bytes[0], 0x1B);
    driver.RunFor(kSyncTimeoutMs - 1);
    EXPECT_TRUE(exchange.Running());
    driver.RunFor(1);
    EXPECT_FALSE(exchange.Running());
}

}  // namespace
}  // namespace pw::nettime
