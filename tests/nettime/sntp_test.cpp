// The SNTP client with a scripted socket and a test clock: timestamp
// conversions, what the request carries, which replies are accepted, the
// offset and delay, and when the clock is set.
#include "nettime/sntp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "support/fake_clock.h"
#include "support/fake_datagram_socket.h"
#include "support/ntp_packet.h"

namespace pw::nettime {
namespace {

using test::DateTimeOf;
using test::FakeAnswer;
using test::Raw;
using test::ReplyFields;
using test::Unraw;
using Bytes = std::vector<std::uint8_t>;

constexpr double kSecond = 1.0 / 86400.0;

DateTime Decode(std::uint32_t seconds, std::uint32_t fraction) {
    return TSNTPSend::DecodeTimestamp(Raw(seconds), Raw(fraction));
}

std::pair<std::uint32_t, std::uint32_t> Encode(DateTime value) {
    std::uint32_t s = 0, f = 0;
    TSNTPSend::EncodeTimestamp(value, s, f);
    return {Unraw(s), Unraw(f)};
}

TEST(NtpTimestamp, DecodesFieldsAsUnsignedWithTheFractionCut) {
    struct Case {
        std::uint32_t seconds, fraction;
        DateTime expected;
        const char* why;
    };
    const Case cases[] = {
        {0, 0, 2.0, "1 January 1900 is day 2"},
        {2208988800u, 0, 25569.0, "1 January 1970"},
        {0, 0xFFFFFFFFu, 2.0 + kSecond, "all fraction bits set is the next whole second"},
        {0, 0x80000000u, 2.0 + 0.5 * kSecond, "top fraction bit is exactly one half"},
        {0, 1, 2.0, "below a tenth of a millisecond is cut"},
        {0, 429496, 2.0, "0.0000999999 s is cut to nothing"},
        {0, 429497, 2.0 + 0.0001 * kSecond, "0.0001000000 s keeps its tenth"},
        {0, 0xFFFFFFFEu, 2.0 + 0.9999 * kSecond, "just below one is cut, not rounded up"},
        {0x80000000u, 0, 24857.134814814814, "top seconds bit: 1968-01-20 03:14:08, not before 1900"},
        {0xFFFFFFFFu, 0, 49712.26961805556, "last second of era 0: 2036-02-07 06:28:15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_NEAR(Decode(c.seconds, c.fraction), c.expected, 1e-11);
    }
    EXPECT_EQ(Decode(0, 0xFFFFFFFFu), Decode(1, 0));
}

TEST(NtpTimestamp, EncodesToFieldsInNetworkOrder) {
    struct Case {
        DateTime value;
        std::uint32_t seconds, fraction;
        const char* why;
    };
    const Case cases[] = {
        {2.0, 0, 0, "era start"},
        {25569.0, 2208988800u, 0, "1 January 1970"},
        {2.5, 43200, 0, "noon of the first day"},
        {2.0 + 1.0 / 1024, 84, 0x5FFFFFFFu, "84.375 s: 0.375 times 2^32-1, cut"},
        {2.0 + 1.0 / 2048, 42, 0x2FFFFFFFu, "42.1875 s"},
        {25569.0 + 1.0 / 1024, 2208988884u, 0x5FFFFFFFu, "seconds above 2^31 keep their unsigned pattern"},
        {1.5, 0xFFFF5740u, 0, "before 1900 the pattern of the negative count"},
        {2.0 + 49712, 149504, 0, "past era 0 the seconds wrap into era 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        auto [s, f] = Encode(c.value);
        EXPECT_EQ(s, c.seconds);
        EXPECT_EQ(f, c.fraction);
    }
    std::uint32_t s = 1, f = 1;
    TSNTPSend::EncodeTimestamp(std::numeric_limits<double>::quiet_NaN(), s, f);
    EXPECT_EQ(s, 0u);
    EXPECT_EQ(f, 0u);
    TSNTPSend::EncodeTimestamp(1e300, s, f);
    EXPECT_EQ(s, 0u);
}

TEST(NtpTimestamp, RoundTripLosesAtMostTwoTenthsOfAMillisecond) {
    // Encoding and decoding each cut toward zero, to a tenth of a ms.
    for (DateTime v : {2.0001, 25569.000011574, 36526.5, 46364.123456789, 49711.999988426}) {
        SCOPED_TRACE(v);
        auto [s, f] = Encode(v);
        double back = Decode(s, f);
        EXPECT_LE(back, v + 1e-6 * kSecond);
        EXPECT_GE(back, v - 0.0002 * kSecond);
    }
}

// Moments on either side of the first wrap of the seconds field
// (2036-02-07 06:28:16 UTC) and up to the end of the century.
DateTime At(int y, int mo, int d, int h, int mi, int s = 0) { return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0); }

TEST(NtpTimestamp, ReadsEachTimestampInTheEraNearestTheLocalClock) {
    struct Case {
        DateTime stamp;  // what the server meant
        DateTime near;   // the local clock
        const char* why;
    };
    const Case cases[] = {
        {At(2026, 12, 8, 14, 5), At(2026, 12, 8, 14, 0), "an ordinary day in era 0"},
        {At(2036, 2, 7, 6, 28, 15), At(2036, 2, 7, 6, 0), "last second of era 0"},
        {At(2036, 2, 7, 6, 28, 17), At(2036, 2, 7, 6, 0), "a server past the wrap, the clock before it"},
        {At(2036, 2, 7, 6, 0), At(2036, 2, 7, 7, 0), "a server before the wrap, the clock past it"},
        {At(2040, 6, 1, 12, 0), At(2040, 6, 1, 12, 0), "2040"},
        {At(2099, 12, 31, 23, 59), At(2099, 12, 31, 23, 30), "the end of the century"},
        {At(2100, 1, 1, 0, 30), At(2099, 12, 31, 23, 30), "into 2100"},
        {At(2026, 1, 1, 0, 0), At(2090, 1, 1, 0, 0), "64 years behind the clock: still era 0"},
        {At(2090, 1, 1, 0, 0), At(2026, 1, 1, 0, 0), "64 years ahead of the clock: era 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const test::NtpTime wire = test::NtpOf(c.stamp);
        EXPECT_NEAR(TSNTPSend::DecodeTimestamp(Raw(wire.seconds), Raw(wire.fraction), c.near), c.stamp, 1e-9);
        // And the way back gives the same fields.
        auto [s, f] = Encode(c.stamp);
        EXPECT_EQ(s, wire.seconds);
    }
    // A reference no clock can have leaves the reading in era 0.
    EXPECT_EQ(TSNTPSend::DecodeTimestamp(Raw(5), 0, std::numeric_limits<double>::quiet_NaN()), Decode(5, 0));
}

// The wire time of the test clock's start.
constexpr std::uint32_t kT1Seconds = 3973968000u;  // 2025-12-06 00:00, day 45997 exactly

// A server for the scripted socket: its clock is the test clock shifted by
// aheadSeconds; the request travels outSeconds, the server holds it
// holdSeconds, the reply travels backSeconds. Each leg moves the test
// clock, so t4 is what the client reads after the receive.
struct Path {
    double aheadSeconds = 0;
    double outSeconds = 0.25;
    double holdSeconds = 0.5;
    double backSeconds = 0.25;
};

test::FakeDatagramSocket::Server ServerFor(test::FakeClock& clock, Path path,
                                           std::function<void(ReplyFields&)> tweak = {}) {
    return [&clock, path, tweak](const Bytes& request) {
        ReplyFields fields;
        clock.AdvanceSeconds(path.outSeconds);
        fields.receive = test::NtpOf(clock.UtcNow() + path.aheadSeconds * kSecond);
        clock.AdvanceSeconds(path.holdSeconds);
        fields.transmit = test::NtpOf(clock.UtcNow() + path.aheadSeconds * kSecond);
        clock.AdvanceSeconds(path.backSeconds);
        if (tweak) tweak(fields);
        return FakeAnswer{test::MakeReply(request, fields), 0};
    };
}

class SntpClient : public ::testing::Test {
protected:
    void SetUp() override {
        clock.local = DateTimeOf(kT1Seconds);
        clock.biasMinutes = 0;
    }
    TSNTPSend& Make(test::FakeDatagramSocket::Server server) {
        client = std::make_unique<TSNTPSend>(clock, std::make_unique<test::FakeDatagramSocket>(log, std::move(server)));
        return *client;
    }
    TSNTPSend& MakeWith(Path path, std::function<void(ReplyFields&)> tweak = {}) {
        return Make(ServerFor(clock, path, std::move(tweak)));
    }

    test::FakeClock clock;
    test::FakeSocketLog log;
    std::unique_ptr<TSNTPSend> client;
};

TEST_F(SntpClient, RequestCarriesT1AsOriginateAndASecretAsTransmit) {
    TSNTPSend& c = MakeWith(Path{});
    ASSERT_TRUE(c.QueryTime());
    EXPECT_EQ(log.host, "localhost");
    EXPECT_EQ(log.port, "ntp");
    ASSERT_EQ(log.receiveTimeouts, std::vector<int>{5000});
    ASSERT_EQ(log.sent.size(), 1u);
    const Bytes& req = log.sent[0];
    ASSERT_EQ(req.size(), 48u);
    EXPECT_EQ(req[0], 0x1B);
    EXPECT_EQ(test::GetBigEndian(&req[kNtpOriginate]), kT1Seconds);
    EXPECT_EQ(test::GetBigEndian(&req[kNtpOriginate + 4]), 0u);
    for (std::size_t i = 1; i < kNtpOriginate; ++i) EXPECT_EQ(req[i], 0) << "byte " << i;
    for (std::size_t i = kNtpReceive; i < kNtpTransmit; ++i) EXPECT_EQ(req[i], 0) << "byte " << i;
    Bytes secret(req.begin() + kNtpTransmit, req.end());
    EXPECT_NE(secret, Bytes(8, 0));
    EXPECT_NE(secret, Bytes(req.begin() + kNtpOriginate, req.begin() + kNtpTransmit));

    // Every request has its own.
    TSNTPSend& again = MakeWith(Path{});
    again.Host = "192.0.2.1";
    again.TimeoutMs = 750;
    ASSERT_TRUE(again.QueryTime());
    EXPECT_EQ(log.host, "192.0.2.1");
    EXPECT_EQ(log.receiveTimeouts.back(), 750);
    EXPECT_NE(Bytes(log.sent[1].begin() + kNtpTransmit, log.sent[1].end()), secret);
}

struct AcceptCase {
    const char* name;
    std::function<void(ReplyFields&)> tweak;
    bool accepted;
};

std::ostream& operator<<(std::ostream& os, const AcceptCase& c) { return os << c.name; }

class SntpAcceptance : public SntpClient, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(SntpAcceptance, AcceptsOnlyAValidAnswerToItsOwnRequest) {
    TSNTPSend& c = MakeWith(Path{90}, GetParam().tweak);
    c.ApplyTime = true;
    c.MaxApplyDiff = 0;
    EXPECT_EQ(c.QueryTime(), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_NEAR(c.OffsetSeconds, 90, 1e-3);
        EXPECT_EQ(clock.sets.size(), 1u);
    } else {
        EXPECT_TRUE(clock.sets.empty());
        EXPECT_EQ(c.ServerTime, 0);
        EXPECT_EQ(c.OffsetSeconds, 0);
        EXPECT_EQ(c.DelaySeconds, 0);
    }
}

std::function<void(ReplyFields&)> Set(std::function<void(ReplyFields&)> f) { return f; }

INSTANTIATE_TEST_SUITE_P(
    Replies, SntpAcceptance,
    ::testing::Values(
        AcceptCase{"valid_v3", nullptr, true},
        AcceptCase{"version_4", Set([](ReplyFields& r) { r.version = 4; }), true},
        AcceptCase{"version_0", Set([](ReplyFields& r) { r.version = 0; }), true},
        AcceptCase{"version_7", Set([](ReplyFields& r) { r.version = 7; }), true},
        AcceptCase{"leap_1", Set([](ReplyFields& r) { r.leap = 1; }), true},
        AcceptCase{"leap_2", Set([](ReplyFields& r) { r.leap = 2; }), true},
        AcceptCase{"leap_3_unsynchronized", Set([](ReplyFields& r) { r.leap = 3; }), false},
        AcceptCase{"mode_0", Set([](ReplyFields& r) { r.mode = 0; }), false},
        AcceptCase{"mode_1_symmetric", Set([](ReplyFields& r) { r.mode = 1; }), false},
        AcceptCase{"mode_2", Set([](ReplyFields& r) { r.mode = 2; }), false},
        AcceptCase{"mode_3_client", Set([](ReplyFields& r) { r.mode = 3; }), false},
        AcceptCase{"mode_5_broadcast", Set([](ReplyFields& r) { r.mode = 5; }), false},
        AcceptCase{"mode_6", Set([](ReplyFields& r) { r.mode = 6; }), false},
        AcceptCase{"mode_7", Set([](ReplyFields& r) { r.mode = 7; }), false},
        AcceptCase{"stratum_0_kiss_of_death", Set([](ReplyFields& r) { r.stratum = 0; }), false},
        AcceptCase{"stratum_1", Set([](ReplyFields& r) { r.stratum = 1; }), true},
        AcceptCase{"stratum_15", Set([](ReplyFields& r) { r.stratum = 15; }), true},
        AcceptCase{"stratum_16", Set([](ReplyFields& r) { r.stratum = 16; }), false},
        AcceptCase{"stratum_255", Set([](ReplyFields& r) { r.stratum = 255; }), false},
        AcceptCase{"receive_seconds_0", Set([](ReplyFields& r) { r.receive = {0, 0x12345678}; }), false},
        AcceptCase{"transmit_seconds_0", Set([](ReplyFields& r) { r.transmit = {0, 0x12345678}; }), false},
        AcceptCase{"length_47", Set([](ReplyFields& r) { r.length = 47; }), false},
        AcceptCase{"length_0", Set([](ReplyFields& r) { r.length = 0; }), false},
        AcceptCase{"length_68_authenticator", Set([](ReplyFields& r) { r.length = 68; }), true},
        AcceptCase{"length_1000", Set([](ReplyFields& r) { r.length = 1000; }), true},
        AcceptCase{"originate_zero", Set([](ReplyFields& r) { r.originate = test::Originate::Zero; }), false},
        AcceptCase{"originate_copies_t1", Set([](ReplyFields& r) { r.originate = test::Originate::RequestTime; }),
                   false},
        AcceptCase{"originate_one_bit_off", Set([](ReplyFields& r) { r.originate = test::Originate::Flipped; }),
                   false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SntpClient, SocketErrorsFailTheQuery) {
    for (int error : {net::kWsaTimedOut, net::kWsaConnectionReset, net::kWsaNetworkUnreachable}) {
        SCOPED_TRACE(error);
        TSNTPSend& c = Make([&](const Bytes& req) {
            // A datagram beside an error must not be looked at.
            return FakeAnswer{test::MakeReply(req, ReplyFields{}), error};
        });
        c.ApplyTime = true;
        c.MaxApplyDiff = 0;
        EXPECT_FALSE(c.QueryTime());
        EXPECT_TRUE(clock.sets.empty());
    }
}

TEST_F(SntpClient, NoSocketNoQuery) {
    TSNTPSend c(clock, nullptr);
    EXPECT_FALSE(c.QueryTime());
}

TEST_F(SntpClient, RejectedReplyKeepsEarlierResultsButShowsItsHeader) {
    bool broken = false;
    TSNTPSend& c = MakeWith(Path{90}, [&](ReplyFields& r) {
        if (broken) {
            r.leap = 3;
            r.version = 4;
            r.mode = 4;
        }
    });
    ASSERT_TRUE(c.QueryTime());
    DateTime server = c.ServerTime;
    double offset = c.OffsetSeconds, delay = c.DelaySeconds;
    EXPECT_EQ(c.ReplyLeap, 0);
    EXPECT_EQ(c.ReplyVersion, 3);
    broken = true;
    EXPECT_FALSE(c.QueryTime());
    EXPECT_EQ(c.ServerTime, server);
    EXPECT_EQ(c.OffsetSeconds, offset);
    EXPECT_EQ(c.DelaySeconds, delay);
    EXPECT_EQ(c.ReplyLeap, 3);
    EXPECT_EQ(c.ReplyVersion, 4);
    EXPECT_EQ(c.ReplyMode, 4);
    EXPECT_EQ(c.Reply[0], 0xE4);
    EXPECT_EQ(c.ReceiveBuffer.size(), 48u);
}

TEST_F(SntpClient, OffsetDelayAndServerTime) {
    struct Case {
        Path path;
        int biasMinutes;
    };
    // The offset measured is the true one plus half the difference of the
    // two legs; the delay is the round trip less the server's hold.
    const Case cases[] = {
        {{90, 0.25, 0.5, 0.25}, 0},
        {{-1800, 0.1, 0, 0.3}, 0},
        {{0, 0.002, 0.001, 0.002}, 0},
        {{2 * 86400.0, 1.0, 0.25, 0.5}, 0},
        {{-90, 0.25, 0.5, 0.25}, 120},  // the client works in UTC, not local time
        {{45, 0.05, 0.05, 0.05}, -330},
    };
    for (const Case& k : cases) {
        const Path& p = k.path;
        SCOPED_TRACE(testing::Message() << "ahead " << p.aheadSeconds << " bias " << k.biasMinutes);
        clock.local = DateTimeOf(kT1Seconds) - k.biasMinutes / 1440.0;
        TSNTPSend& c = MakeWith(p);
        ASSERT_TRUE(c.QueryTime());
        DateTime t4 = clock.UtcNow();
        EXPECT_NEAR(c.OffsetSeconds, p.aheadSeconds + (p.outSeconds - p.backSeconds) / 2, 2e-4);
        EXPECT_NEAR(c.DelaySeconds, p.outSeconds + p.backSeconds, 2e-4);
        EXPECT_NEAR((c.ServerTime - t4) * 86400, p.aheadSeconds + (p.outSeconds - p.backSeconds) / 2, 2e-4);
        EXPECT_EQ(c.ReplyMode, 4);
        EXPECT_EQ(c.ReplyVersion, 3);
        EXPECT_EQ(c.ReplyLeap, 0);
    }
}

TEST_F(SntpClient, ClockIsSetOnlyWithinTheLimit) {
    struct Case {
        bool apply;
        double maxApplyDiff;
        double aheadSeconds;
        bool set;
    };
    // Path{}: the server's time at t4 is its lead plus one second past t1.
    const Case cases[] = {
        {false, 0, 2 * 86400.0, false},
        {false, 3600, 60, false},
        {true, 0, 2 * 86400.0, true},
        {true, 0, -2 * 86400.0, true},
        {true, 0, 0, true},
        {true, 3600, 2 * 3600.0, false},
        {true, 3600, -2 * 3600.0, false},
        {true, 3600, 1800, true},
        {true, 3600, -1800, true},
        {true, 3600, 3598, true},
        {true, 3600, 3600, false},  // 3601 s past t1
        {true, 3600, -3600.5, true},  // 3599.5 s before t1
        {true, 3600, -3602, false},
        {true, 60, 90, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "apply " << k.apply << " max " << k.maxApplyDiff << " ahead "
                                        << k.aheadSeconds);
        clock.sets.clear();
        TSNTPSend& c = MakeWith(Path{k.aheadSeconds});
        c.ApplyTime = k.apply;
        c.MaxApplyDiff = k.maxApplyDiff;
        EXPECT_TRUE(c.QueryTime());
        if (k.set) {
            ASSERT_EQ(clock.sets.size(), 1u);
            EXPECT_EQ(clock.sets[0], c.ServerTime);
        } else {
            EXPECT_TRUE(clock.sets.empty());
        }
    }
}

TEST_F(SntpClient, LimitIsMeasuredFromTheReadingBeforeSending) {
    // 3590 s ahead, but the reply takes 20 s: the server's time is 3590 s
    // from t4 and 3610 s from t1, so a 3600 s limit forbids the change.
    TSNTPSend& c = MakeWith(Path{3590, 10, 0, 10});
    c.ApplyTime = true;
    c.MaxApplyDiff = 3600;
    EXPECT_TRUE(c.QueryTime());
    EXPECT_TRUE(clock.sets.empty());
}

TEST_F(SntpClient, RefusedClockSetStillCountsAsAnswerAndSaysWhy) {
    for (ClockSet answer : {ClockSet::NoRight, ClockSet::Failed, ClockSet::Done}) {
        clock.setAnswer = answer;
        TSNTPSend& c = MakeWith(Path{30});
        c.ApplyTime = true;
        EXPECT_TRUE(c.QueryTime());
        EXPECT_EQ(c.SetResult, answer);
    }
    TSNTPSend& c = MakeWith(Path{7200});
    c.ApplyTime = true;
    EXPECT_TRUE(c.QueryTime());
    EXPECT_FALSE(c.SetResult) << "beyond the limit no set is tried";
}

TEST_F(SntpClient, OffsetAndCorrectionHoldAcrossTheEraBoundary) {
    struct Case {
        DateTime localUtc;
        double aheadSeconds;
        const char* why;
    };
    const Case cases[] = {
        {At(2036, 2, 7, 5, 58), 3600, "the server past the wrap, the clock before it"},
        {At(2036, 2, 7, 7, 0), -3600, "the server before the wrap, the clock past it"},
        {At(2036, 2, 7, 6, 28, 14), 30, "the exchange straddles the wrap"},
        {At(2036, 2, 8, 0, 0), -1800, "both past the wrap"},
        {At(2040, 3, 1, 9, 0), 90, "2040"},
        {At(2099, 12, 31, 23, 45), 1800, "the correction crosses into 2100"},
        {At(2026, 12, 8, 14, 5), 2 * 86400.0, "an ordinary day, two days off"},
    };
    clock.followSets = false;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.why);
        clock.local = k.localUtc;
        clock.sets.clear();
        TSNTPSend& c = MakeWith(Path{k.aheadSeconds});
        c.ApplyTime = true;
        c.MaxApplyDiff = 0;  // no maximum
        ASSERT_TRUE(c.QueryTime());
        const DateTime t4 = clock.UtcNow();
        EXPECT_NEAR(c.OffsetSeconds, k.aheadSeconds, 2e-4);
        EXPECT_NEAR(c.DelaySeconds, 0.5, 2e-4);
        ASSERT_EQ(clock.sets.size(), 1u);
        // Set to the server's time: the clock ahead by the lead, not a
        // century and more back.
        EXPECT_NEAR((clock.sets[0] - t4) * 86400, k.aheadSeconds, 2e-4);
    }
}

TEST_F(SntpClient, AKissOfDeathAnsweringTheRequestIsReadAndRejected) {
    struct Case {
        const char* why;
        ReplyFields fields;
        const char* kiss;
    };
    ReplyFields notEchoed = test::KissOfDeath("RATE");
    notEchoed.originate = test::Originate::Flipped;
    ReplyFields broadcast = test::KissOfDeath("DENY");
    broadcast.mode = 5;
    ReplyFields odd = test::KissOfDeath("\x01" "AB");
    const Case cases[] = {
        {"rate", test::KissOfDeath("RATE"), "RATE"},
        {"deny", test::KissOfDeath("DENY"), "DENY"},
        {"restrict", test::KissOfDeath("RSTR"), "RSTR"},
        {"another code is read as it is", test::KissOfDeath("INIT"), "INIT"},
        {"a letter outside ASCII shows as ?", odd, "?AB"},
        {"no code at all", test::KissOfDeath(""), "?"},
        {"not an answer to our request: a forger's", notEchoed, ""},
        {"not from a server", broadcast, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.why);
        clock.sets.clear();
        TSNTPSend& c = Make([&k](const Bytes& request) { return FakeAnswer{test::MakeReply(request, k.fields), 0}; });
        c.ApplyTime = true;
        c.MaxApplyDiff = 0;
        EXPECT_FALSE(c.QueryTime());
        EXPECT_EQ(c.KissCode, k.kiss);
        EXPECT_TRUE(clock.sets.empty());
    }
    // An ordinary reply carries no code.
    TSNTPSend& c = MakeWith(Path{});
    EXPECT_TRUE(c.QueryTime());
    EXPECT_EQ(c.KissCode, "");
}

}  // namespace
}  // namespace pw::nettime
