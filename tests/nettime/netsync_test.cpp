// One attempt against one server, the offset texts, server lists, the due
// rule and the automatic step, with a test clock and scripted servers.
#include "nettime/netsync.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "common/errors.h"
#include "config/value_access.h"
#include "nettime/netsync_fixture.h"
#include "support/test_services.h"

namespace pw::nettime {
namespace {

using test::kHour;
using test::kMinute;
using test::kSecond;

TEST(OffsetText, WritesSignWholeDaysAndTheTimeRoundedToTheMillisecond) {
    struct Case {
        double days;
        const char* text;
    };
    const double dhms = 1 + (2 * 3600 + 3 * 60 + 4) * kSecond;
    const Case cases[] = {
        {90 * kSecond, "+ 0 days, 00:01:30"},
        {-30 * kMinute, "- 0 days, 00:30:00"},
        {-dhms, "- 1 days, 02:03:04"},
        {0.0, "+ 0 days, 00:00:00"},
        {-0.0, "+ 0 days, 00:00:00"},
        {1.0, "+ 1 days, 00:00:00"},
        {12345 + kHour, "+ 12345 days, 01:00:00"},
        {-1e-9, "- 0 days, 00:00:00"},
        // to the nearest millisecond, then the milliseconds dropped
        {0.9994 * kSecond, "+ 0 days, 00:00:00"},
        {0.9996 * kSecond, "+ 0 days, 00:00:01"},
        {-59.9996 * kSecond, "- 0 days, 00:01:00"},
        {(86400 - 0.0004) * kSecond, "+ 1 days, 00:00:00"},
        {-(2 + (86400 - 0.0004) * kSecond), "- 3 days, 00:00:00"},
        {(86400 - 0.6) * kSecond, "+ 0 days, 23:59:59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(OffsetText(c.days), c.text);
    }
}

TEST(ServerList, SplitsTrimsAndSkipsEmptyLines) {
    using List = std::vector<std::string>;
    struct Case {
        const char* text;
        List servers;
    };
    const Case cases[] = {
        {"", {}},
        {"\r\n\r\n \t\r\n", {}},
        {"pool.ntp.org", {"pool.ntp.org"}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "b"}},
        {"  a  \r\n\r\n\t b\t\r\n", {"a", "b"}},
        {"\x01" "a\x7f\r\n\x1f" "b", {"a", "b"}},
        {"b\r\na\r\nb", {"b", "a", "b"}},
        {"time server one", {"time server one"}},
        {"192.0.2.1\r\n", {"192.0.2.1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseServerList(c.text), c.servers);
    }
}

TEST(ServerList, AMegabyteListIsReadInOnePass) {
    std::string text;
    for (int i = 0; text.size() < (1u << 20); ++i) text += (i % 3 ? " s" + std::to_string(i) + " \r\n" : "\r\n");
    auto servers = ParseServerList(text);
    ASSERT_FALSE(servers.empty());
    EXPECT_EQ(servers.front(), "s1");
    EXPECT_EQ(servers.size(), static_cast<std::size_t>(std::count(text.begin(), text.end(), 's')));
}

TEST(DueRule, RunsOnceTheIntervalIsExceededOrTheLastTimeLiesAhead) {
    const DateTime now = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 0, 0);
    struct Case {
        const char* why;
        DateTime last;
        std::int32_t hours;
        bool due;
    };
    const Case cases[] = {
        {"interval 0, a minute ago", now - kMinute, 0, true},
        {"interval 0, this very moment", now, 0, false},
        {"interval 24, exactly a day ago", now - 1, 24, false},
        {"interval 24, a day and a minute ago", now - 1 - kMinute, 24, true},
        {"interval 24, an hour ago", now - kHour, 24, false},
        {"never synchronized", 0, 24, true},
        {"an hour in the future", now + kHour, 24, true},
        {"far in the future", EncodeDate(9999, 12, 31), 9999, true},
        {"largest interval, a year ago", now - 365, 9999, false},
        {"interval beyond the field, a century ago", now - 36500, INT32_MAX, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(IsSyncDue(now, c.last, c.hours), c.due);
    }
}

class SyncWithServerTest : public test::NetSyncFixture {};

TEST_F(SyncWithServerTest, CorrectsWithinTheMaximumAndDescribesTheDifference) {
    struct Case {
        const char* why;
        double aheadSeconds;
        std::int32_t maxMinutes;
        bool corrected;
        const char* text;
    };
    const double dhms = 86400 + 2 * 3600 + 3 * 60 + 4;
    const Case cases[] = {
        {"server 90 s ahead", 90, 60, true, "+ 0 days, 00:01:30"},
        {"local clock 30 min ahead", -1800, 60, true, "- 0 days, 00:30:00"},
        {"clocks equal (to the millisecond)", 0.0004, 60, true, "+ 0 days, 00:00:00"},
        {"just inside the maximum", 3599, 60, true, "+ 0 days, 00:59:59"},
        {"just beyond the maximum", 3601, 60, false, "+ 0 days, 01:00:01"},
        {"local clock two hours behind", 7200, 60, false, "+ 0 days, 02:00:00"},
        {"no maximum, server two days ahead", 2 * 86400, 0, true, "+ 2 days, 00:00:00"},
        {"no maximum, local a day and more ahead", -dhms, 0, true, "- 1 days, 02:03:04"},
        {"within the field's largest maximum", -5e8, 9999999, true, "- 5787 days, 00:53:20"},
        {"beyond the field's largest maximum", -6e8, 9999999, false, "- 6944 days, 10:40:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.sets.clear();
        const DateTime utcBefore = clock.UtcNow();
        ahead["ntp.test"] = c.aheadSeconds;
        maxCorrection = c.maxMinutes;
        std::string text = "unchanged";
        EXPECT_EQ(SyncWithServer(Context(), "ntp.test", text) == SyncResult::Corrected, c.corrected);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(socketLog.host, "ntp.test");
        EXPECT_EQ(socketLog.port, "ntp");
        EXPECT_EQ(socketLog.receiveTimeouts.back(), kSyncTimeoutMs);
        // The client set the clock exactly when the answer says corrected.
        if (c.corrected) {
            ASSERT_EQ(clock.sets.size(), 1u);
            EXPECT_NEAR((clock.sets[0] - utcBefore) / kSecond, c.aheadSeconds, 0.001);
        } else {
            EXPECT_TRUE(clock.sets.empty());
        }
        // Back to the same moment for the next case.
        clock.local = utcBefore - clock.biasMinutes * kMinute;
    }
}

TEST_F(SyncWithServerTest, NoValidReplyLeavesTheTextAndTheClockAlone) {
    std::string text = "earlier";
    EXPECT_EQ(SyncWithServer(Context(), "dead.test", text), SyncResult::NotAdjusted);
    EXPECT_EQ(text, "earlier");
    EXPECT_TRUE(clock.sets.empty());
    EXPECT_EQ(socketsMade, 1);
}

TEST_F(SyncWithServerTest, ComparesWithTheClockInUtcWhateverTheZone) {
    // The server speaks UTC; a local time read as UTC would be hours off.
    for (int bias : {-60, 0, 300, -330, 720}) {
        SCOPED_TRACE(bias);
        clock.biasMinutes = bias;
        ahead["ntp.test"] = 90;
        std::string text;
        EXPECT_EQ(SyncWithServer(Context(), "ntp.test", text), SyncResult::Corrected);
        EXPECT_EQ(text, "+ 0 days, 00:01:30");
        clock.local -= 90 * kSecond;
    }
}

TEST_F(SyncWithServerTest, AClockThatRefusesToBeSetIsNotCorrected) {
    // A user without the right to set the clock must not read "corrected",
    // and the refusal for lack of the right is told apart from the others.
    for (auto [answer, result] : {std::pair{ClockSet::NoRight, SyncResult::NoRight},
                                  std::pair{ClockSet::Failed, SyncResult::NotAdjusted}}) {
        clock.setAnswer = answer;
        clock.sets.clear();
        ahead["ntp.test"] = 90;
        std::string text;
        EXPECT_EQ(SyncWithServer(Context(), "ntp.test", text), result);
        EXPECT_EQ(clock.sets.size(), 1u);
        EXPECT_EQ(text, "+ 0 days, 00:01:30") << "the reply was valid, so the difference is described";
    }
    // Beyond the maximum nothing is set, so the right never comes into it.
    clock.setAnswer = ClockSet::NoRight;
    clock.sets.clear();
    ahead["ntp.test"] = 7200;
    std::string text;
    EXPECT_EQ(SyncWithServer(Context(), "ntp.test", text), SyncResult::NotAdjusted);
    EXPECT_TRUE(clock.sets.empty());
}

class AutoSyncTest : public test::NetSyncFixture {
protected:
    AutoSyncTest() {
        settings.AutoSynchTime = true;
        settings.LogNetTime = true;
        settings.AutoSynchInterval = 24;
        settings.TimeServers = "good";
        ahead["good"] = 90;
    }

    struct Connection : ConnectionState {
        bool connected = true;
        int asks = 0;
        bool IsInternetConnected() override {
            ++asks;
            return connected;
        }
    };

    // The same attempts for the whole test, as the program keeps them: they
    // carry the back-off from one minute to the next. The step returns at
    // once; the walk it started is run to its end.
    void Run() {
        Attempts(connection).AutoSynchronize();
        driver.RunUntilIdle();
    }
    // Runs the step once a minute, starting one second after the present
    // minute (clear of the exact end of a wait), until it asks a server
    // again; the number of minutes that took, or 0 when none asked within
    // the limit.
    int MinutesToNextAsk(int limit) {
        const std::size_t before = asked.size();
        clock.AdvanceSeconds(1);
        for (int minute = 1; minute <= limit; ++minute) {
            clock.Advance(kMinute);
            Run();
            if (asked.size() > before) return minute;
        }
        return 0;
    }
    std::vector<std::string> Take() {
        auto e = events.list;
        events.Clear();
        return e;
    }

    Connection connection;
};

TEST_F(AutoSyncTest, WalksTheListUntilOneServerCorrects) {
    settings.TimeServers = "dead\r\n\r\n  far \r\ngood\r\nnever";
    ahead["far"] = -7200;
    Run();
    EXPECT_EQ(Take(), (std::vector<std::string>{
                          "ask:dead", "log:NetTime: Time not adjusted from dead",
                          "ask:far", "log:NetTime: Time not adjusted from far",
                          "ask:good", "log:NetTime: + 0 days, 00:01:30 from good"}));
    // Local time after the correction, in memory and as date-time text.
    EXPECT_EQ(settings.LastSynchTime, clock.Now());
    EXPECT_EQ(StoredLastSynch(), "08/12/2026 14:06:30");
    // Not due again for the interval.
    clock.Advance(kHour);
    Run();
    EXPECT_TRUE(Take().empty());
}

TEST_F(AutoSyncTest, AsksForTheConnectionFirstEveryTime) {
    struct Case {
        const char* why;
        bool connected;
        bool autoSynch;
        DateTime lastSynch;
        bool attempts;
    };
    const DateTime now = clock.local;
    const Case cases[] = {
        {"not connected", false, true, 0, false},
        {"switched off", true, false, 0, false},
        {"not connected and switched off", false, false, 0, false},
        {"due", true, true, now - 1 - kMinute, true},
        {"exactly the interval ago", true, true, now - 1, false},
        {"clock set back", true, true, now + kMinute, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        connection.connected = c.connected;
        connection.asks = 0;
        settings.AutoSynchTime = c.autoSynch;
        settings.LastSynchTime = c.lastSynch;
        const int before = SocketsOpened();
        Run();
        EXPECT_EQ(connection.asks, 1);
        EXPECT_EQ(SocketsOpened() - before, c.attempts ? 1 : 0);
        EXPECT_EQ(Take().empty(), !c.attempts);
        clock.local = now;
    }
}

TEST_F(AutoSyncTest, IntervalZeroTriesEveryMinute) {
    settings.AutoSynchInterval = 0;
    ahead["good"] = 0;
    for (int minute = 0; minute < 3; ++minute) {
        Run();
        clock.Advance(kMinute);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"good", "good", "good"}));
}

TEST_F(AutoSyncTest, WhenEveryServerFailsTheWholeListIsTriedAgainNextMinute) {
    settings.TimeServers = "a\r\nb";
    settings.LastSynchTime = 3.5;
    Run();
    clock.Advance(kMinute);
    Run();
    EXPECT_EQ(Take(), (std::vector<std::string>{"ask:a", "log:NetTime: Time not adjusted from a", "ask:b",
                                                "log:NetTime: Time not adjusted from b", "ask:a",
                                                "log:NetTime: Time not adjusted from a", "ask:b",
                                                "log:NetTime: Time not adjusted from b"}));
    EXPECT_EQ(settings.LastSynchTime, 3.5);
    EXPECT_EQ(StoredLastSynch(), "(missing)");
}

TEST_F(AutoSyncTest, LogsNothingWithLoggingOff) {
    settings.LogNetTime = false;
    settings.TimeServers = "dead\r\ngood";
    Run();
    EXPECT_EQ(Take(), (std::vector<std::string>{"ask:dead", "ask:good"}));
    EXPECT_EQ(StoredLastSynch(), "08/12/2026 14:06:30");
}

TEST_F(AutoSyncTest, AnErrorEndsTheWalkWithOneLogLine) {
    settings.TimeServers = "dead\r\nbroken\r\ngood";
    throwing.insert("broken");
    EXPECT_NO_THROW(Run());
    EXPECT_EQ(Take(), (std::vector<std::string>{"ask:dead", "log:NetTime: Time not adjusted from dead",
                                                "ask:broken", "log:NetTime: Unknown error"}));
    EXPECT_EQ(settings.LastSynchTime, 0);

    // With logging off the error is not even logged, and still kept in.
    settings.LogNetTime = false;
    EXPECT_NO_THROW(Run());
    EXPECT_EQ(Take(), (std::vector<std::string>{"ask:dead", "ask:broken"}));
}

TEST_F(AutoSyncTest, AnUnreadableStoredMaximumIsAnUnknownError) {
    WriteRegString(store, cfg::kSettingsKey, "MaxCorrection", "60");
    NetTimeAttempts reading(NetTimeParts{pw::test::Services(store, clock, locale), driver, connection, settings,
                                         [this] { return cfg::Read(store, cfg::kSettingsKey, cfg::global::MaxCorrection); },
                                         Log()});
    EXPECT_NO_THROW(reading.AutoSynchronize());
    driver.RunUntilIdle();
    EXPECT_EQ(Take(), (std::vector<std::string>{"log:NetTime: Unknown error"}));
    EXPECT_EQ(reading.Running(), NetTimeAttempts::Kind::None);
}

TEST_F(AutoSyncTest, AStoreThatRefusesTheTimeDoesNotMakeItDueAgain) {
    store.refuse.write = [](Root, std::string_view, std::string_view) { return true; };
    Run();
    EXPECT_EQ(Take(), (std::vector<std::string>{"ask:good", "log:NetTime: + 0 days, 00:01:30 from good"}));
    EXPECT_EQ(settings.LastSynchTime, clock.Now());
    clock.Advance(kMinute);
    Run();
    EXPECT_TRUE(Take().empty());
}

TEST_F(AutoSyncTest, AnEmptyListDoesNothing) {
    settings.TimeServers = " \r\n\r\n";
    Run();
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(SocketsOpened(), 0);
}

TEST_F(AutoSyncTest, OnlyARefusalForLackOfTheRightWaitsForTheInterval) {
    // Every other failure keeps the every-minute retry.
    struct Case {
        const char* why;
        const char* server;
        ClockSet answer;
        std::int32_t interval;
        const char* line;
        int minutesToNextAsk;
    };
    const char* noRight = "log:NetTime: Time not adjusted from good (no right to set the clock)";
    const char* plain = "log:NetTime: Time not adjusted from ";
    const Case cases[] = {
        {"no right, interval 0: an hour", "good", ClockSet::NoRight, 0, noRight, 60},
        {"no right, interval 1", "good", ClockSet::NoRight, 1, noRight, 60},
        {"no right, interval 24", "good", ClockSet::NoRight, 24, noRight, 24 * 60},
        {"refused for another reason", "good", ClockSet::Failed, 0, plain, 1},
        {"dead server", "dead", ClockSet::NoRight, 0, plain, 1},
        {"beyond the maximum", "far", ClockSet::NoRight, 0, plain, 1},
        {"dead server, interval 24", "dead", ClockSet::NoRight, 24, plain, 1},
    };
    ahead["far"] = 7200;
    const DateTime start = clock.local;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        attempts.reset();
        clock.local = start;
        clock.setAnswer = c.answer;
        settings.AutoSynchInterval = c.interval;
        settings.TimeServers = c.server;
        settings.LastSynchTime = 0;
        asked.clear();
        Run();
        std::string line = c.line;
        if (line == plain) line += c.server;
        EXPECT_EQ(Take(), (std::vector<std::string>{"ask:" + std::string(c.server), line}));
        EXPECT_EQ(MinutesToNextAsk(24 * 60 + 5), c.minutesToNextAsk);
        EXPECT_EQ(settings.LastSynchTime, 0);
        EXPECT_EQ(StoredLastSynch(), "(missing)");
        events.Clear();
    }
}

TEST_F(AutoSyncTest, ARefusalForLackOfTheRightEndsTheWalk) {
    // Every server would meet the same refusal: asking them all only costs
    // their patience.
    clock.setAnswer = ClockSet::NoRight;
    settings.AutoSynchInterval = 0;
    settings.TimeServers = "dead\r\ngood\r\nother";
    ahead["other"] = 30;
    Run();
    EXPECT_EQ(asked, (std::vector<std::string>{"dead", "good"}));
    // Three passes a minute apart ask nothing more; the hour after, the
    // walk starts again from the top.
    for (int pass = 0; pass < 3; ++pass) {
        clock.Advance(kMinute);
        Run();
    }
    EXPECT_EQ(asked.size(), 2u);
    clock.Advance(kHour);
    Run();
    EXPECT_EQ(asked, (std::vector<std::string>{"dead", "good", "dead", "good"}));
}

TEST_F(AutoSyncTest, AClockSetBackEndsTheWait) {
    clock.setAnswer = ClockSet::NoRight;
    settings.AutoSynchInterval = 0;
    Run();
    clock.Advance(-kHour);
    Run();
    EXPECT_EQ(asked, (std::vector<std::string>{"good", "good"}));
}

TEST_F(AutoSyncTest, AKissOfDeathLeavesThatServerAloneUntilItsInterval) {
    struct Case {
        const char* code;
        std::int32_t interval;
        int minutesLeftAlone;  // 0: asked again at the next minute
    };
    const Case cases[] = {
        {"RATE", 0, 60}, {"DENY", 0, 60}, {"RSTR", 0, 60}, {"RATE", 3, 180}, {"INIT", 0, 0}, {"STEP", 5, 0},
    };
    const DateTime start = clock.local;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " interval " << c.interval);
        attempts.reset();
        clock.local = start;
        settings.AutoSynchInterval = c.interval;
        settings.LastSynchTime = 0;
        // Behind it a dead server, so the step stays due every minute.
        settings.TimeServers = "kisser\r\ndead";
        kissing["kisser"] = c.code;
        asked.clear();
        Run();
        const bool stops = c.minutesLeftAlone > 0;
        EXPECT_EQ(Take(), (std::vector<std::string>{
                              "ask:kisser",
                              std::string("log:NetTime: Time not adjusted from kisser") +
                                  (stops ? " (the server asks to be left alone)" : ""),
                              "ask:dead", "log:NetTime: Time not adjusted from dead"}));
        // The next passes ask only the other server, until the wait is over.
        clock.AdvanceSeconds(1);
        int minute = 0;
        for (; minute < 24 * 60; ++minute) {
            clock.Advance(kMinute);
            asked.clear();
            Run();
            if (asked.front() == "kisser") break;
            EXPECT_EQ(asked, (std::vector<std::string>{"dead"}));
        }
        EXPECT_EQ(minute, stops ? c.minutesLeftAlone - 1 : 0);
        events.Clear();
    }
}

TEST_F(AutoSyncTest, AServerNameIsQuotedWholeUpToTheLongestHostName) {
    struct Case {
        std::string server;
        std::string quoted;
    } cases[] = {
        {std::string(kMaxHostNameChars, 'x'), std::string(kMaxHostNameChars, 'x')},
        {std::string(kMaxHostNameChars + 1, 'x'), std::string(kMaxHostNameChars, 'x') + "... (254 bytes)"},
        {std::string(5000, 'x'), std::string(kMaxHostNameChars, 'x') + "... (5000 bytes)"},
    };
    for (const auto& c : cases) {
        settings.TimeServers = c.server;
        Run();
        const auto e = Take();
        ASSERT_EQ(e.size(), 2u);
        EXPECT_EQ(e[1], "log:NetTime: Time not adjusted from " + c.quoted);
    }
}

}  // namespace
}  // namespace pw::nettime
