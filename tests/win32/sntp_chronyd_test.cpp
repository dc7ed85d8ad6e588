// The SNTP client over Winsock against chronyd on 127.0.0.1. The server
// is started outside Wine by tests/e2e/test_sntp_chronyd.sh, which passes
// its port and chronyd's own measurement in the environment; without them
// these tests are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "nettime/sntp.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/winsock_api.h"
#include "support/real_socket_helpers.h"

namespace pw::nettime {
namespace {

class ChronydUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("PW_CHRONYD_PORT");
        const char* reference = std::getenv("PW_REFERENCE_OFFSET");
        if (!port || !reference) GTEST_SKIP() << "needs the server of tests/e2e/test_sntp_chronyd.sh";
        port_ = static_cast<std::uint16_t>(std::atoi(port));
        reference_ = std::atof(reference);
    }

    std::unique_ptr<TSNTPSend> Client(Clock& clock) {
        auto c = std::make_unique<TSNTPSend>(clock, std::make_unique<test::RedirectedSocket>(win::Winsock(), port_));
        c->Host = "127.0.0.1";
        c->TimeoutMs = 2000;
        return c;
    }

    struct Exchange {
        double offset = 1e9;
        double delay = 0;
    };

    // The median of several exchanges: the clock is read to the whole
    // millisecond, so one exchange alone may be up to 1 ms off.
    Exchange MedianExchange(Clock& clock, int rounds) {
        std::vector<Exchange> got;
        for (int i = 0; i < rounds; ++i) {
            auto c = Client(clock);
            if (c->QueryTime()) got.push_back({c->OffsetSeconds, c->DelaySeconds});
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        if (got.empty()) return {};
        std::sort(got.begin(), got.end(), [](const Exchange& a, const Exchange& b) { return a.offset < b.offset; });
        return got[got.size() / 2];
    }

    win::SystemClock real_;
    std::uint16_t port_ = 0;
    double reference_ = 0;
};

TEST_F(ChronydUnderWine, OffsetAgreesWithTheReferenceClient) {
    for (double skew : {0.0, -2.5}) {
        SCOPED_TRACE(skew);
        test::RecordingClock clock(real_, skew);
        Exchange ours = MedianExchange(clock, 7);
        double expected = reference_ - skew;
        // What any NTP client can promise: half the round trip, plus one
        // tick of a clock read to the millisecond at each end. On a loaded
        // machine the round trip alone can exceed a millisecond.
        EXPECT_NEAR(ours.offset, expected, 0.002 + std::max(ours.delay, 0.0) / 2);
        std::printf("[ measured ] winsock, skew %+.1f s: ours %+.6f s (delay %.6f s), chronyd -Q %+.6f s, difference %.6f s\n",
                    skew, ours.offset, ours.delay, expected, ours.offset - expected);
    }
}

TEST_F(ChronydUnderWine, SetsTheClockOnlyThroughItsClock) {
    test::RecordingClock clock(real_, -90);
    auto c = Client(clock);
    c->ApplyTime = true;
    c->MaxApplyDiff = 60;
    ASSERT_TRUE(c->QueryTime());
    EXPECT_TRUE(clock.sets.empty());
    c = Client(clock);
    c->ApplyTime = true;
    c->MaxApplyDiff = 0;
    ASSERT_TRUE(c->QueryTime());
    ASSERT_EQ(clock.sets.size(), 1u);
    EXPECT_NEAR((clock.sets[0] - real_.UtcNow()) * 86400, 0, 0.05);
}

}  // namespace
}  // namespace pw::nettime
