// The time helper over a test clock and scripted time servers: its policy,
// what a request gets, how often it asks its servers and when it corrects
// the clock on its own.
#include "timehelper/helper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "nettime/netsync_fixture.h"
#include "timehelper/names.h"

namespace pw::timehelper {
namespace {

using net::test::kHour;
using net::test::kMinute;
using net::test::kSecond;
using Lines = std::vector<std::string>;

StoreValue Number(std::int64_t n) { return StoreValue::Dword(static_cast<std::uint32_t>(n)); }

class TimeHelperTest : public net::test::NetSyncFixture {
protected:
    TimeHelperTest() {
        ahead["good"] = 90;
        ahead["far"] = -7200;
        throwing.insert("broken");
        kissing["kisser"] = "RATE";
        SetPolicy(policy::TimeServers.name, StoreValue::Text("good"));
        SetPolicy(policy::MaxCorrection.name, Number(60));
        SetPolicy(policy::SynchInterval.name, Number(24));
    }

    void SetPolicy(std::string_view name, const StoreValue& v) {
        store.Open(Root::LocalMachine, kPolicyKey, OpenMode::Create)->SetValue(name, v);
    }
    TimeHelper& Helper() {
        if (!helper)
            helper = std::make_unique<TimeHelper>(
                HelperParts{clock, Context().makeSocket,
                            [this] { return store.Open(Root::LocalMachine, kPolicyKey, OpenMode::Read); }, Log()});
        return *helper;
    }
    Status Sync() { return *ParseStatus(Helper().Handle("SYNC")); }
    Lines Take() {
        auto e = events.list;
        events.Clear();
        return e;
    }
    // Ticks once a minute, starting a second after the present minute
    // (clear of the exact end of a wait), until a server is asked: the
    // minutes that took, or 0 when none was within the limit.
    int MinutesToNextAsk(int limit) {
        const std::size_t before = asked.size();
        clock.AdvanceSeconds(1);
        for (int minute = 1; minute <= limit; ++minute) {
            clock.Advance(kMinute);
            Helper().Tick();
            if (asked.size() > before) return minute;
        }
        return 0;
    }

    std::unique_ptr<TimeHelper> helper;
};

TEST_F(TimeHelperTest, APolicyValueThatIsMissingOrBadGivesItsDefaultAndOneLine) {
    struct Case {
        const char* why;
        const char* name;
        std::optional<StoreValue> value;  // nothing: deleted
        Policy read;
        bool complains;
    };
    const Policy stored{{"good"}, 60, 24};
    const Policy defaults;
    const Case cases[] = {
        {"as stored", "TimeServers", StoreValue::Text("good"), stored, false},
        {"two servers", "TimeServers", StoreValue::Text(" a \r\n\r\nb\n"), {{"a", "b"}, 60, 24}, false},
        {"no servers", "TimeServers", std::nullopt, {defaults.servers, 60, 24}, true},
        {"blank lines only", "TimeServers", StoreValue::Text("\r\n \t\r\n"), {defaults.servers, 60, 24}, true},
        {"servers as a number", "TimeServers", Number(1), {defaults.servers, 60, 24}, true},
        {"no maximum correction", "MaxCorrection", Number(0), {{"good"}, 0, 24}, false},
        {"largest maximum", "MaxCorrection", Number(9999999), {{"good"}, 9999999, 24}, false},
        {"maximum beyond its range", "MaxCorrection", Number(10000000), stored, true},
        {"negative maximum", "MaxCorrection", Number(-1), stored, true},
        {"maximum as text", "MaxCorrection", StoreValue::Text("0"), stored, true},
        {"maximum as eight bytes", "MaxCorrection", StoreValue::Raw(regtype::Qword, {0, 0, 0, 0, 0, 0, 0, 0}), stored,
         true},
        {"missing maximum", "MaxCorrection", std::nullopt, stored, true},
        {"on request only", "SynchInterval", Number(0), {{"good"}, 60, 0}, false},
        {"interval beyond its range", "SynchInterval", Number(10000), stored, true},
        {"missing interval", "SynchInterval", std::nullopt, stored, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        auto key = store.Open(Root::LocalMachine, kPolicyKey, OpenMode::ReadWrite);
        const auto kept = key->GetValue(c.name);
        if (c.value)
            key->SetValue(c.name, *c.value);
        else
            key->DeleteValue(c.name);
        Lines lines;
        const Policy p = ReadPolicy(key.get(), [&](std::string_view m) { lines.emplace_back(m); });
        EXPECT_EQ(p.servers, c.read.servers);
        EXPECT_EQ(p.maxCorrectionMinutes, c.read.maxCorrectionMinutes);
        EXPECT_EQ(p.intervalHours, c.read.intervalHours);
        ASSERT_EQ(lines.size(), c.complains ? 1u : 0u);
        if (c.complains) {
            EXPECT_NE(lines[0].find(c.name), std::string::npos) << lines[0];
        }
        key->SetValue(c.name, *kept);
    }
}

TEST_F(TimeHelperTest, AMissingPolicyKeyGivesTheDefaultsWithOneLine) {
    Lines lines;
    const Policy p = ReadPolicy(nullptr, [&](std::string_view m) { lines.emplace_back(m); });
    EXPECT_EQ(p.servers, Lines{"pool.ntp.org"});
    EXPECT_EQ(p.maxCorrectionMinutes, cfg::global::MaxCorrection.def);
    EXPECT_EQ(p.intervalHours, 24);
    EXPECT_EQ(lines, Lines{"Time helper policy: no key HKEY_LOCAL_MACHINE\\Software\\Corvane Software\\Plenwick\\"
                           "TimeHelper; using the defaults"});
}

TEST_F(TimeHelperTest, TheSameComplaintIsLoggedOnceNotAtEveryAttempt) {
    SetPolicy("MaxCorrection", StoreValue::Text("sixty"));
    const std::string line = "log:Time helper policy: \"MaxCorrection\" is not a number; using 60";
    struct Step {
        const char* why;
        std::optional<StoreValue> maxCorrection;  // nothing: left as it is
        Lines logged;
    };
    const Step steps[] = {
        {"first read", std::nullopt, {line}},
        {"read again", std::nullopt, {}},
        {"another bad value", Number(-5),
         {"log:Time helper policy: \"MaxCorrection\" is not from 0 to 9999999; using 60"}},
        {"mended", Number(30), {}},
        {"bad once more", StoreValue::Text("sixty"), {line}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.why);
        if (s.maxCorrection) SetPolicy("MaxCorrection", *s.maxCorrection);
        clock.Advance(2 * kMinute);
        Sync();
        Lines logged;
        for (const std::string& e : Take())
            if (e.rfind("log:Time helper policy", 0) == 0) logged.push_back(e);
        EXPECT_EQ(logged, s.logged);
    }
}

TEST_F(TimeHelperTest, EachAnswerOfAServerGivesTheProgramsWordsAndSetsOnlyWithinTheMaximum) {
    struct Case {
        const char* why;
        const char* servers;
        std::int64_t maxCorrection;
        ClockSet setAnswer;
        Lines events;
        Status status;  // dates left out
    };
    const Case cases[] = {
        {"90 s ahead", "good", 60, ClockSet::Done,
         {"ask:good", "log:NetTime: + 0 days, 00:01:30 from good"},
         {true, 0, 0, "good", "+ 0 days, 00:01:30", true, ""}},
        {"dead, then good", "dead\r\ngood", 60, ClockSet::Done,
         {"ask:dead", "log:NetTime: Time not adjusted from dead", "ask:good",
          "log:NetTime: + 0 days, 00:01:30 from good"},
         {true, 0, 0, "good", "+ 0 days, 00:01:30", true, ""}},
        {"beyond the maximum", "far", 60, ClockSet::Done,
         {"ask:far", "log:NetTime: Time not adjusted from far"},
         {true, 0, 0, "far", "- 0 days, 02:00:00", false, "beyond the maximum correction"}},
        {"no maximum", "far", 0, ClockSet::Done,
         {"ask:far", "log:NetTime: - 0 days, 02:00:00 from far"},
         {true, 0, 0, "far", "- 0 days, 02:00:00", true, ""}},
        {"no reply", "dead", 60, ClockSet::Done,
         {"ask:dead", "log:NetTime: Time not adjusted from dead"},
         {true, 0, 0, "dead", "", false, "no valid reply"}},
        {"kiss-o'-death", "kisser", 60, ClockSet::Done,
         {"ask:kisser", "log:NetTime: Time not adjusted from kisser (the server asks to be left alone)"},
         {true, 0, 0, "kisser", "", false, "the server asks to be left alone"}},
        {"the service lacks the right", "good\r\ndead", 60, ClockSet::NoRight,
         {"ask:good", "log:NetTime: Time not adjusted from good (no right to set the clock)"},
         {true, 0, 0, "good", "+ 0 days, 00:01:30", false, "no right to set the clock"}},
        {"an error in the exchange", "broken\r\ngood", 60, ClockSet::Done,
         {"ask:broken", "log:NetTime: Unknown error"},
         {true, 0, 0, "", "", false, "unknown error"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        helper.reset();
        SetPolicy("TimeServers", StoreValue::Text(c.servers));
        SetPolicy("MaxCorrection", Number(c.maxCorrection));
        clock.setAnswer = c.setAnswer;
        clock.sets.clear();
        Status s = Sync();
        EXPECT_EQ(Take(), c.events);
        EXPECT_EQ(clock.sets.size(), c.status.clockSet || c.setAnswer != ClockSet::Done ? 1u : 0u);
        EXPECT_EQ(s.lastAttemptUtc, clock.UtcNow());
        EXPECT_EQ(s.lastCorrectionUtc, c.status.clockSet ? clock.UtcNow() : 0);
        s.lastAttemptUtc = s.lastCorrectionUtc = 0;
        EXPECT_EQ(s, c.status);
    }
}

TEST_F(TimeHelperTest, RequestsAskTheServersAtMostOnceAMinute) {
    struct Step {
        const char* why;
        double advanceSeconds;
        std::string request;
        int asks;  // servers asked by this request
        bool answered;
    };
    const Step steps[] = {
        {"status before any attempt", 0, "STATUS\n", 0, true},
        {"first sync", 0, "SYNC\n", 1, true},
        {"again at once", 0, "SYNC\n", 0, true},
        {"59 s later", 59, "SYNC", 0, true},
        {"status", 0, "STATUS", 0, true},
        {"a minute after the last attempt", 2, "SYNC", 1, true},
        {"a request with a time", 0, "SYNC 2030-01-01", 0, false},
        {"an unknown request", 0, "HELLO", 0, false},
        {"a megabyte", 0, std::string(1 << 20, 'S'), 0, false},
        {"the clock set back an hour", -3600, "SYNC", 1, true},
    };
    Status last;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.why);
        clock.AdvanceSeconds(s.advanceSeconds);
        const std::size_t before = asked.size();
        const std::string reply = Helper().Handle(s.request);
        EXPECT_EQ(asked.size() - before, static_cast<std::size_t>(s.asks));
        EXPECT_EQ(!reply.empty(), s.answered);
        if (!s.answered) continue;
        const auto status = ParseStatus(reply);
        ASSERT_TRUE(status);
        if (s.asks == 0 && last.attempted) {
            EXPECT_EQ(*status, last);
        }
        last = *status;
    }
    // One correction for each attempt, none for an answer kept.
    EXPECT_EQ(clock.sets.size(), 3u);
}

TEST_F(TimeHelperTest, AServerThatAsksToBeLeftAloneIsLeftAloneForTheInterval) {
    SetPolicy("TimeServers", StoreValue::Text("kisser\r\ngood"));
    Sync();
    EXPECT_EQ(asked, (Lines{"kisser", "good"}));
    clock.Advance(2 * kMinute);
    Sync();
    EXPECT_EQ(asked, (Lines{"kisser", "good", "good"}));
    clock.Advance(25 * kHour);
    Sync();
    EXPECT_EQ(asked, (Lines{"kisser", "good", "good", "kisser", "good"}));

    // Every server left alone: nobody asked, and the status says why.
    helper.reset();
    SetPolicy("TimeServers", StoreValue::Text("kisser"));
    Sync();
    clock.Advance(2 * kMinute);
    Take();
    const Status s = Sync();
    EXPECT_EQ(Take(), Lines{"log:NetTime: Time not adjusted (the server asks to be left alone)"});
    EXPECT_EQ(s.server, "");
    EXPECT_EQ(s.whyNot, "the server asks to be left alone");
}

TEST_F(TimeHelperTest, ItsOwnCorrectionFollowsItsIntervalAndRetriesAFailureHourly) {
    struct Case {
        const char* why;
        std::int64_t interval;
        const char* servers;
        int firstAsk;   // minutes until the first tick that asks
        int secondAsk;  // minutes from then until the next
    };
    const Case cases[] = {
        {"daily, corrected", 24, "good", 1, 24 * 60},
        {"every two hours, corrected", 2, "good", 1, 120},
        {"daily, no reply", 24, "dead", 1, 60},
        {"beyond the maximum", 24, "far", 1, 60},
        {"on request only", 0, "good", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        helper.reset();
        asked.clear();
        SetPolicy("SynchInterval", Number(c.interval));
        SetPolicy("TimeServers", StoreValue::Text(c.servers));
        EXPECT_EQ(MinutesToNextAsk(30 * 60), c.firstAsk);
        if (c.firstAsk) {
            EXPECT_EQ(MinutesToNextAsk(30 * 60), c.secondAsk);
        }
    }
}

TEST_F(TimeHelperTest, ACorrectionOnRequestPutsOffItsOwn) {
    Sync();
    EXPECT_EQ(MinutesToNextAsk(30 * 60), 24 * 60);
}

TEST_F(TimeHelperTest, AStatusDoesNotWaitForAnAttemptUnderWayNorDoesASecondSyncAskAgain) {
    std::promise<void> asking, release;
    std::shared_future<void> released = release.get_future().share();
    int asks = 0;
    TimeHelper slow(HelperParts{
        clock,
        [&] {
            return std::make_unique<pw::test::FakeDatagramSocket>(socketLog, [&](const std::vector<std::uint8_t>& r) {
                if (++asks == 1) asking.set_value();
                released.wait();
                pw::test::ReplyFields f;
                f.receive = f.transmit = pw::test::NtpOf(clock.UtcNow() + 90 * kSecond);
                return pw::test::FakeAnswer{pw::test::MakeReply(r, f), 0};
            });
        },
        [this] { return store.Open(Root::LocalMachine, kPolicyKey, OpenMode::Read); },
        {}});
    auto first = std::async(std::launch::async, [&] { return slow.Handle("SYNC"); });
    asking.get_future().wait();
    auto second = std::async(std::launch::async, [&] { return slow.Handle("SYNC"); });
    auto status = std::async(std::launch::async, [&] { return slow.Handle("STATUS"); });
    ASSERT_EQ(status.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(ParseStatus(status.get())->attempted);
    // The automatic correction does not queue up behind it either.
    slow.Tick();
    release.set_value();
    const auto a = ParseStatus(first.get()), b = ParseStatus(second.get());
    EXPECT_TRUE(a->clockSet);
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(asks, 1);
}

}  // namespace
}  // namespace pw::timehelper
