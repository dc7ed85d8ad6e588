// The time helper over a test clock and scripted time servers: its policy,
// what a request gets, and how often it asks its servers.
#include "timeservice/helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "nettime/netsync_fixture.h"
#include "timehelper/names.h"

namespace pw::timeservice {
namespace {

using Lines = std::vector<std::string>;
StoreValue N(std::int64_t n) { return StoreValue::Dword(static_cast<std::uint32_t>(n)); }
StoreValue T(const char* t) { return StoreValue::Text(t); }

class TimeHelperTest : public nettime::test::NetSyncFixture {
protected:
    TimeHelperTest() {
        ahead = {{"good", 90}, {"far", -7200}};
        kissing["kisser"] = "RATE";
        Set("TimeServers", T("good"));
        Set("MaxCorrection", N(60));
        Set("SynchInterval", N(24));
    }
    void Set(std::string_view name, const StoreValue& v) {
        store.Open(Root::LocalMachine, timehelper::kPolicyKey, OpenMode::Create)->SetValue(name, v);
    }
    TimeHelper& Helper() {
        if (!helper)
            helper = std::make_unique<TimeHelper>(HelperParts{
                clock, Context().makeSocket, [this] { return store.Open(Root::LocalMachine, timehelper::kPolicyKey, OpenMode::Read); },
                Log()});
        return *helper;
    }
    timehelper::Status Sync() { return *timehelper::ParseStatus(Helper().Handle("SYNC")); }
    // Ticks once a minute, a second clear of the present minute, until a
    // server is asked: the minutes that took, 0 for none within 30 hours.
    int MinutesToNextAsk() {
        const std::size_t before = asked.size();
        clock.AdvanceSeconds(1);
        for (int minute = 1; minute <= 30 * 60; ++minute) {
            clock.Advance(nettime::test::kMinute);
            Helper().Tick();
            if (asked.size() > before) return minute;
        }
        return 0;
    }
    std::unique_ptr<TimeHelper> helper;
};

TEST_F(TimeHelperTest, AMissingOrBadPolicyValueGivesItsDefaultAndOneLineUntilItChanges) {
    struct Case {
        const char* name;
        std::optional<StoreValue> value;  // nothing: deleted
        Policy read;
        int lines;
    };
    const Case cases[] = {
        {"TimeServers", T(" a \r\n\r\nb"), {{"a", "b"}, 60, 24}, 0},
        {"TimeServers", T("\r\n \t"), {{"pool.ntp.org"}, 60, 24}, 1},
        {"TimeServers", N(1), {{"pool.ntp.org"}, 60, 24}, 1},
        {"TimeServers", std::nullopt, {{"pool.ntp.org"}, 60, 24}, 1},
        {"MaxCorrection", N(0), {{"good"}, 0, 24}, 0},
        {"MaxCorrection", N(10000000), {{"good"}, 60, 24}, 1},
        {"MaxCorrection", N(-1), {{"good"}, 60, 24}, 1},
        {"MaxCorrection", T("0"), {{"good"}, 60, 24}, 1},
        {"SynchInterval", N(0), {{"good"}, 60, 0}, 0},
        {"SynchInterval", N(10000), {{"good"}, 60, 24}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto key = store.Open(Root::LocalMachine, timehelper::kPolicyKey, OpenMode::ReadWrite);
        const auto kept = key->GetValue(c.name);
        c.value ? key->SetValue(c.name, *c.value) : key->DeleteValue(c.name);
        Lines lines;
        const Policy p = ReadPolicy(key.get(), [&](std::string_view m) { lines.emplace_back(m); });
        EXPECT_EQ(std::tie(p.servers, p.maxCorrectionMinutes, p.intervalHours),
                  std::tie(c.read.servers, c.read.maxCorrectionMinutes, c.read.intervalHours));
        EXPECT_EQ(lines.size(), static_cast<std::size_t>(c.lines));
        // The helper logs a complaint once, not at each attempt.
        for (int attempt = 0; attempt < 2; ++attempt, clock.Advance(2 * nettime::test::kMinute)) Sync();
        EXPECT_EQ(std::count_if(events.list.begin(), events.list.end(),
                                [&](const std::string& e) { return e.find(c.name) != std::string::npos; }),
                  c.lines);
        events.Clear();
        key->SetValue(c.name, *kept);
        helper.reset();
    }
    EXPECT_EQ(ReadPolicy(nullptr, Log()).servers, Lines{"pool.ntp.org"});
    EXPECT_EQ(events.list, Lines{"log:Time helper policy: no key HKEY_LOCAL_MACHINE\\Software\\Corvane Software\\"
                                 "Plenwick\\TimeHelper; using the defaults"});
}

TEST_F(TimeHelperTest, EachAnswerGivesTheProgramsLineAndSetsOnlyWithinTheMaximum) {
    struct Case {
        const char* servers;
        std::int64_t max;
        ClockSet answer;
        const char* line;  // the last
        timehelper::Status status;     // dates left out
    };
    const Case cases[] = {
        {"good", 60, ClockSet::Done, "NetTime: + 0 days, 00:01:30 from good",
         {true, 0, 0, "good", "+ 0 days, 00:01:30", true, ""}},
        {"far", 60, ClockSet::Done, "NetTime: Time not adjusted from far",
         {true, 0, 0, "far", "- 0 days, 02:00:00", false, "beyond the maximum correction"}},
        {"far", 0, ClockSet::Done, "NetTime: - 0 days, 02:00:00 from far",
         {true, 0, 0, "far", "- 0 days, 02:00:00", true, ""}},
        {"kisser", 60, ClockSet::Done, "NetTime: Time not adjusted from kisser (the server asks to be left alone)",
         {true, 0, 0, "kisser", "", false, "the server asks to be left alone"}},
        {"good\r\ndead", 60, ClockSet::NoRight, "NetTime: Time not adjusted from good (no right to set the clock)",
         {true, 0, 0, "good", "+ 0 days, 00:01:30", false, "no right to set the clock"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.servers);
        helper.reset();
        Set("TimeServers", T(c.servers));
        Set("MaxCorrection", N(c.max));
        clock.setAnswer = c.answer;
        timehelper::Status s = Sync();
        EXPECT_EQ(events.list.back(), "log:" + std::string(c.line));
        EXPECT_EQ(s.lastCorrectionUtc, c.status.clockSet ? s.lastAttemptUtc : 0);
        s.lastAttemptUtc = s.lastCorrectionUtc = 0;
        EXPECT_EQ(s, c.status);
    }
}

TEST_F(TimeHelperTest, RequestsAskTheServersAtMostOnceAMinute) {
    const std::tuple<double, std::string, std::size_t, bool> steps[] = {
        // seconds later, request, servers asked so far, answered
        {0, "STATUS\n", 0, true}, {0, "SYNC\n", 1, true},  {59, "SYNC", 1, true},
        {0, "STATUS", 1, true},   {2, "SYNC", 2, true},    {0, "SYNC 2030-01-01", 2, false},
        {0, "HELLO", 2, false},   {-3600, "SYNC", 3, true},  // the clock set back by someone else
    };
    for (const auto& [seconds, request, asks, answered] : steps) {
        clock.AdvanceSeconds(seconds);
        EXPECT_EQ(Helper().Handle(request).empty(), !answered) << request;
        EXPECT_EQ(asked.size(), asks) << request;
    }
    EXPECT_EQ(clock.sets.size(), 3u);
}

TEST_F(TimeHelperTest, AnAnswerIsReusedOnlyUnderThePolicyItWasMadeWithAndTheClockSetOnceAMinute) {
    struct Step {
        double seconds;  // later than the last step
        const char* servers;
        std::int64_t max;
        std::size_t asks;  // servers asked so far
        std::size_t sets;  // clock settings so far
        const char* server;  // of the answer
    };
    const Step steps[] = {
        {0, "dead", 60, 1, 0, "dead"},
        {10, "dead", 60, 1, 0, "dead"},  // the same policy: the same answer
        {10, "dead", 0, 2, 0, "dead"},   // another maximum: asked again
        // The administrator names other servers: the next request asks them.
        {10, "good", 0, 3, 1, "good"},
        // Set moments ago: not again within the minute, whatever the policy.
        {10, "far", 0, 3, 1, "good"},
        {55, "far", 0, 4, 2, "far"},
        {10, "far", 0, 4, 2, "far"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.servers) + " " + std::to_string(s.max));
        Set("TimeServers", T(s.servers));
        Set("MaxCorrection", N(s.max));
        clock.AdvanceSeconds(s.seconds);
        EXPECT_EQ(Sync().server, s.server);
        EXPECT_EQ(asked.size(), s.asks);
        EXPECT_EQ(clock.sets.size(), s.sets);
    }
}

TEST_F(TimeHelperTest, AServerThatAsksToBeLeftAloneIsLeftAloneForTheInterval) {
    Set("TimeServers", T("kisser\r\ngood"));
    for (double days : {0.0, 2 * nettime::test::kMinute, 25 * nettime::test::kHour}) {
        clock.Advance(days);
        Sync();
    }
    EXPECT_EQ(asked, (Lines{"kisser", "good", "good", "kisser", "good"}));
}

TEST_F(TimeHelperTest, ItsOwnCorrectionFollowsItsIntervalAndRetriesAFailureHourly) {
    const std::tuple<std::int64_t, const char*, int, int> cases[] = {
        // interval, servers, minutes to the first attempt, and to the next
        {24, "good", 1, 24 * 60}, {2, "good", 1, 120}, {24, "dead", 1, 60}, {24, "far", 1, 60}, {0, "good", 0, 0},
    };
    for (const auto& [interval, servers, first, next] : cases) {
        SCOPED_TRACE(servers);
        helper.reset();
        Set("SynchInterval", N(interval));
        Set("TimeServers", T(servers));
        EXPECT_EQ(MinutesToNextAsk(), first);
        EXPECT_EQ(MinutesToNextAsk(), next);
    }
    // A correction on request puts off its own.
    helper.reset();
    Set("SynchInterval", N(24));
    Sync();
    EXPECT_EQ(MinutesToNextAsk(), 24 * 60);
}

}  // namespace
}  // namespace pw::timeservice
