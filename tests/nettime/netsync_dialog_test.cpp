// The net-time controls of the settings dialog over a recording view:
// what each control writes, and what "Connect now" and "Test servers" say.
#include "nettime/netsync_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "config/value_access.h"
#include "nettime/netsync_fixture.h"

namespace pw::net {
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
protected:
    NetTimeDialogTest() : view(events), sound(events), boxes(events) {
        settings.LogNetTime = true;
        ahead["good"] = 90;
        ahead["far"] = -7200;
        throwing.insert("broken");
    }

    NetTimeDialog Dialog() {
        return NetTimeDialog{view, settings, store, locale, Context(), Log(), sound, boxes};
    }
    std::vector<std::string> Take() {
        auto e = events.list;
        events.Clear();
        return e;
    }

    RecordingView view;
    pw::test::FakeSound sound;
    pw::test::FakeMessageBoxes boxes;
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
        auto d = Dialog();
        butConnectNowClick(d);
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
        void (*click)(NetTimeDialog&);
        const char* memo;
        std::string box;
    };
    const Case cases[] = {
        {"connect now, no right", ClockSet::NoRight, butConnectNowClick, "good",
         "box:Time not adjusted.\r\n" + hint},
        {"connect now, refused otherwise", ClockSet::Failed, butConnectNowClick, "good", "box:Time not adjusted."},
        {"connect now, dead server", ClockSet::NoRight, butConnectNowClick, "dead", "box:Time not adjusted."},
        {"connect now, beyond the maximum", ClockSet::NoRight, butConnectNowClick, "far", "box:Time not adjusted."},
        {"test servers, no right", ClockSet::NoRight, butTestTimeServersClick, "dead\r\ngood",
         "box:Fail: dead\r\nFail: good\r\n" + hint},
        {"test servers, refused otherwise", ClockSet::Failed, butTestTimeServersClick, "good",
         "box:Fail: good\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.setAnswer = c.answer;
        view.memo = c.memo;
        auto d = Dialog();
        c.click(d);
        const Lines events = Take();
        ASSERT_FALSE(events.empty());
        EXPECT_NE(std::find(events.begin(), events.end(), c.box), events.end()) << testing::PrintToString(events);
        EXPECT_EQ(settings.LastSynchTime, 0);
    }
}

TEST_F(NetTimeDialogTest, ConnectNowLogsOnlyWithLoggingOn) {
    settings.LogNetTime = false;
    view.memo = "good";
    auto d = Dialog();
    butConnectNowClick(d);
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
        auto d = Dialog();
        butTestTimeServersClick(d);
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
    auto d = Dialog();
    // The report box is a modal loop; the user may edit the memo meanwhile.
    struct EditingBoxes : pw::test::FakeMessageBoxes {
        using FakeMessageBoxes::FakeMessageBoxes;
        RecordingView* v = nullptr;
        void Show(std::string_view t) override {
            FakeMessageBoxes::Show(t);
            v->memo = "edited";
        }
    } editing(events);
    editing.v = &view;
    NetTimeDialog e{d.view, d.settings, d.store, d.locale, d.sync, d.log, d.sound, editing};
    butTestTimeServersClick(e);
    EXPECT_EQ(view.memo, "good\r\n\r\nedited");
}

}  // namespace
}  // namespace pw::net
