// "Connect now" and "Test servers" as the settings dialog's buttons start
// them, over a recording view and scripted servers: what they say, log and
// record when their attempt ends; and the attempts side by side: one at a
// time, joined, shown while they run, ended at exit.
#include "nettime/net_time_attempts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "config/value_access.h"
#include "nettime/netsync_fixture.h"

namespace pw::nettime {
namespace {

using Lines = std::vector<std::string>;

class RecordingView : public NetTimeView {
public:
    explicit RecordingView(pw::test::Events& e) : events(e) {}
    std::string TimeServersText() override { return memo; }
    void SetTimeServersText(std::string_view t) override { memo = t; }
    void SetTestServersCaption(std::string_view c) override { events.Add("caption:" + std::string(c)); }

    pw::test::Events& events;
    std::string memo;
};

TEST(SpinFieldValue, ReadsWholeNumbersIntoTheFieldsRange) {
    struct Case {
        const char* text;
        std::int32_t maxCorrection;
        std::int32_t interval;
    };
    const Case cases[] = {
        {"60", 60, 60},
        {" 120 ", 120, 120},
        {"+15", 15, 15},
        {"", 0, 0},
        {"abc", 0, 0},
        {"12abc", 0, 0},
        {"1.5", 0, 0},
        {"-", 0, 0},
        {"-5", 0, 0},
        {"10000", 10000, 9999},
        {"99999999", 9999999, 9999},
        {"123456789012345678901234567890", 9999999, 9999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(cfg::SpinFieldValue(c.text, cfg::global::MaxCorrection), c.maxCorrection);
        EXPECT_EQ(cfg::SpinFieldValue(c.text, cfg::global::AutoSynchInterval), c.interval);
    }
}

class NetTimeDialogTest : public test::NetSyncFixture {
public:
    struct Connected : ConnectionState {
        bool IsInternetConnected() override { return true; }
    };

    NetTimeDialogTest() : view(events) {
        settings.LogNetTime = true;
        ahead["good"] = 90;
        ahead["far"] = -7200;
        throwing.insert("broken");
    }

    // A click, and the attempt it starts run to its end.
    void ConnectNow() {
        Attempts(connection).ConnectNow(view.memo);
        driver.RunUntilIdle();
    }
    void TestServers() {
        Attempts(connection).TestServers(view);
        driver.RunUntilIdle();
    }
    std::vector<std::string> Take() {
        auto e = events.list;
        events.Clear();
        return e;
    }

    Connected connection;
    RecordingView view;
};

TEST_F(NetTimeDialogTest, ConnectNowTriesTheFirstServerOnlyAndSaysWhatHappened) {
    struct Case {
        const char* why;
        const char* memo;
        std::int32_t maxCorrection;
        Lines events;
        bool recorded;
    };
    const Case cases[] = {
        {"empty list", "", 60, {"beep", "box:Error connecting to all servers."}, false},
        {"only blank lines", "\r\n  \t\r\n", 60, {"beep", "box:Error connecting to all servers."}, false},
        {"server 90 s ahead",
         "\r\n  good \r\ndead",
         60,
         {"ask:good", "log:NetTime: + 0 days, 00:01:30 from good", "beep",
          "box:Time corrected by: + 0 days, 00:01:30 from good"},
         true},
        {"dead first server, good second", "dead\r\ngood", 60, {"ask:dead", "beep", "box:Time not adjusted."}, false},
        {"local clock two hours ahead", "far", 60, {"ask:far", "beep", "box:Time not adjusted."}, false},
        {"no maximum",
         "far",
         0,
         {"ask:far", "log:NetTime: - 0 days, 02:00:00 from far", "beep",
          "box:Time corrected by: - 0 days, 02:00:00 from far"},
         true},
        {"an error in the exchange", "broken\r\ngood", 60, {"ask:broken", "beep", "box:Error connecting to server."},
         false},
    };
    const DateTime start = clock.local;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.local = start;
        settings.LastSynchTime = 0;
        view.memo = c.memo;
        maxCorrection = c.maxCorrection;
        ConnectNow();
        EXPECT_EQ(Take(), c.events);
        EXPECT_EQ(settings.LastSynchTime, c.recorded ? clock.Now() : 0.0);
        EXPECT_EQ(StoredLastSynch() != "(missing)", c.recorded);
        DeleteKey(store, cfg::kSettingsKey);
    }
}

TEST_F(NetTimeDialogTest, WithoutTheRightToSetTheClockTheButtonsSaySo) {
    // Only a refusal for lack of the right adds the second line; the
    // Part's text stays the first.
    const std::string hint(kRunAsAdministrator);
    struct Case {
        const char* why;
        ClockSet answer;
        void (NetTimeDialogTest::*click)();
        const char* memo;
        std::string box;
    };
    const Case cases[] = {
        {"connect now, no right", ClockSet::NoRight, &NetTimeDialogTest::ConnectNow, "good",
         "box:Time not adjusted.\r\n" + hint},
        {"connect now, refused otherwise", ClockSet::Failed, &NetTimeDialogTest::ConnectNow, "good", "box:Time not adjusted."},
        {"connect now, dead server", ClockSet::NoRight, &NetTimeDialogTest::ConnectNow, "dead", "box:Time not adjusted."},
        {"connect now, beyond the maximum", ClockSet::NoRight, &NetTimeDialogTest::ConnectNow, "far", "box:Time not adjusted."},
        {"test servers, no right", ClockSet::NoRight, &NetTimeDialogTest::TestServers, "dead\r\ngood",
         "box:Fail: dead\r\nFail: good\r\n" + hint},
        {"test servers, refused otherwise", ClockSet::Failed, &NetTimeDialogTest::TestServers, "good",
         "box:Fail: good\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.setAnswer = c.answer;
        view.memo = c.memo;
        (this->*c.click)();
        const Lines events = Take();
        ASSERT_FALSE(events.empty());
        EXPECT_NE(std::find(events.begin(), events.end(), c.box), events.end()) << testing::PrintToString(events);
        EXPECT_EQ(settings.LastSynchTime, 0);
    }
}

TEST_F(NetTimeDialogTest, ConnectNowLogsOnlyWithLoggingOn) {
    settings.LogNetTime = false;
    view.memo = "good";
    ConnectNow();
    EXPECT_EQ(Take(), (Lines{"ask:good", "beep", "box:Time corrected by: + 0 days, 00:01:30 from good"}));
    EXPECT_EQ(StoredLastSynch(), "08/12/2026 14:06:30");
}

TEST_F(NetTimeDialogTest, TestServersCountsLinesReportsAndPutsThePassedOnTop) {
    struct Case {
        const char* why;
        const char* memo;
        Lines events;
        const char* memoAfter;
    };
    const Case cases[] = {
        {"three lines, the second blank",
         "good\r\n  \r\n dead ",
         {"caption:Working ...1/3", "ask:good", "caption:Working ...2/3", "caption:Working ...3/3", "ask:dead",
          "beep", "box:OK  : good\r\nFail: dead\r\n", "caption:Test servers"},
         "good\r\n\r\ngood\r\n  \r\n dead "},
        {"none passes",
         "dead\r\nfar\r\n",
         {"caption:Working ...1/2", "ask:dead", "caption:Working ...2/2", "ask:far", "beep",
          "box:Fail: dead\r\nFail: far\r\n", "caption:Test servers"},
         "\r\ndead\r\nfar\r\n"},
        {"two pass",
         "good\r\ngood",
         {"caption:Working ...1/2", "ask:good", "caption:Working ...2/2", "ask:good", "beep",
          "box:OK  : good\r\nOK  : good\r\n", "caption:Test servers"},
         "good\r\ngood\r\n\r\ngood\r\ngood"},
        {"empty memo", "", {"beep", "box:", "caption:Test servers"}, "\r\n"},
        {"an error in the second exchange",
         "good\r\nbroken\r\ndead",
         {"caption:Working ...1/3", "ask:good", "caption:Working ...2/3", "ask:broken", "box:OK  : good\r\n",
          "box:Unknown error while trying to connect.", "caption:Test servers"},
         "good\r\n\r\ngood\r\nbroken\r\ndead"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        view.memo = c.memo;
        TestServers();
        EXPECT_EQ(Take(), c.events);
        EXPECT_EQ(view.memo, c.memoAfter);
        // Testing is no synchronization: no log line, no LastSynchTime.
        EXPECT_EQ(settings.LastSynchTime, 0);
        EXPECT_EQ(StoredLastSynch(), "(missing)");
        // The memo was only shown, not saved.
        EXPECT_EQ(settings.TimeServers, cfg::global::TimeServers.def);
    }
}

TEST_F(NetTimeDialogTest, TestServersInsertsIntoTheMemoAsItIsAfterTheReport) {
    view.memo = "good";
    // The report box is a modal loop; the user may edit the memo meanwhile.
    boxes.whileShown = [this] { view.memo = "edited"; };
    TestServers();
    EXPECT_EQ(view.memo, "good\r\n\r\nedited");
}

using Kind = NetTimeAttempts::Kind;
const std::string kEllipsis = "\xE2\x80\xA6";

TEST_F(NetTimeDialogTest, ConnectNowShowsWhichServerItAsksAndAnswersWhenItEnds) {
    auto& a = Attempts(connection);
    a.ConnectNow("dead\r\ngood");
    EXPECT_EQ(a.Running(), Kind::ConnectNow);
    EXPECT_TRUE(a.ConnectNowWaiting());
    EXPECT_EQ(a.ProgressLine(), "Asking 1 of 1: dead" + kEllipsis);
    driver.RunFor(kSyncTimeoutMs - 10);
    EXPECT_EQ(Take(), (Lines{"ask:dead"})) << "nothing is said before the attempt ends";
    // Nothing starts beside it: not a second click, not the automatic
    // step, not "Test servers".
    settings.AutoSynchTime = true;
    a.ConnectNow("good");
    a.AutoSynchronize();
    a.TestServers(view);
    driver.RunFor(20);
    EXPECT_EQ(Take(), (Lines{"beep", "box:Time not adjusted."}));
    EXPECT_EQ(a.Running(), Kind::None);
    EXPECT_EQ(a.ProgressLine(), "");
    EXPECT_EQ(SocketsOpened(), 1);
}

TEST_F(NetTimeDialogTest, ConnectNowDuringAnAutomaticWalkJoinsItAndAnswersWithItsOutcome) {
    struct Case {
        const char* servers;
        Lines after;  // what follows the first server's line
    };
    const std::string dead = "log:NetTime: Time not adjusted from dead";
    const Case cases[] = {
        {"dead\r\nquiet\r\ngood",
         {"ask:quiet", "log:NetTime: Time not adjusted from quiet", "ask:good",
          "log:NetTime: + 0 days, 00:01:30 from good", "beep",
          "box:Time corrected by: + 0 days, 00:01:30 from good"}},
        {"dead\r\nquiet\r\nfar",
         {"ask:quiet", "log:NetTime: Time not adjusted from quiet", "ask:far",
          "log:NetTime: Time not adjusted from far", "beep", "box:Time not adjusted."}},
        {"dead\r\nquiet\r\nbroken",
         {"ask:quiet", "log:NetTime: Time not adjusted from quiet", "ask:broken", "log:NetTime: Unknown error", "beep",
          "box:Error connecting to server."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.servers);
        attempts.reset();
        settings.AutoSynchTime = true;
        settings.LastSynchTime = 0;
        settings.TimeServers = c.servers;
        auto& a = Attempts(connection);
        a.AutoSynchronize();
        EXPECT_FALSE(a.ConnectNowWaiting());
        driver.RunFor(kSyncTimeoutMs + 10);
        EXPECT_EQ(a.ProgressLine(), "Asking 2 of 3: quiet" + kEllipsis);
        const int opened = SocketsOpened();
        a.ConnectNow("other");
        EXPECT_TRUE(a.ConnectNowWaiting());
        driver.RunUntilIdle();
        Lines expected{"ask:dead", dead};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(Take(), expected);
        EXPECT_EQ(SocketsOpened(), opened + 1) << "the click asked a server of its own";
        EXPECT_EQ(a.Running(), Kind::None);
    }
}

TEST_F(NetTimeDialogTest, ExitDuringAnAttemptEndsItWithoutAWordOrAClockSet) {
    struct Case {
        const char* what;
        std::function<void(NetTimeAttempts&)> start;
    };
    const Case cases[] = {
        {"connect now", [](NetTimeAttempts& a) { a.ConnectNow("good"); }},
        {"the automatic step", [](NetTimeAttempts& a) { a.AutoSynchronize(); }},
        {"test servers", [this](NetTimeAttempts& a) { a.TestServers(view); }},
    };
    settings.AutoSynchTime = true;
    settings.TimeServers = "good";
    view.memo = "good";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        attempts.reset();
        clock.sets.clear();
        auto& a = Attempts(connection);
        c.start(a);
        // The request is out, its answer on the way.
        driver.RunFor(0);
        Take();
        a.Shutdown();
        driver.RunUntilIdle();
        EXPECT_EQ(Take(), Lines{});
        EXPECT_TRUE(clock.sets.empty());
        EXPECT_EQ(driver.OpenCount(), 0u);
        // Nothing starts after it either.
        a.ConnectNow("good");
        a.AutoSynchronize();
        driver.RunUntilIdle();
        EXPECT_EQ(Take(), Lines{});
    }
}

}  // namespace
}  // namespace pw::nettime
