// The program without the right to set the clock: when "Connect now" and
// the automatic step turn to the time helper, what they say and record,
// and that nothing changes without one.
#include <gtest/gtest.h>

#include "nettime/netsync_dialog.h"
#include "nettime/netsync_fixture.h"
#include "support/fake_helper_link.h"
#include "support/test_services.h"

namespace pw::net {
namespace {

using Lines = std::vector<std::string>;
using timehelper::HelperState;

std::string HelperCorrected() {
    timehelper::Status s;
    s.attempted = true;
    s.lastAttemptUtc = s.lastCorrectionUtc = EncodeDate(2026, 12, 8) + EncodeTime(13, 6, 30, 0);
    s.server = "ntp.helper";
    s.offsetText = "+ 0 days, 00:01:30";
    s.clockSet = true;
    return timehelper::StatusText(s);
}

std::string HelperRefused() {
    timehelper::Status s;
    s.attempted = true;
    s.lastAttemptUtc = 46364.5;
    s.server = "ntp.helper";
    s.whyNot = "no valid reply";
    return timehelper::StatusText(s);
}

class MemoView : public NetTimeView {
public:
    std::string TimeServersText() override { return "good"; }
    void SetTimeServersText(std::string_view) override {}
    void SetTestServersCaption(std::string_view) override {}
};

class TimeHelperChoiceTest : public test::NetSyncFixture {
protected:
    TimeHelperChoiceTest() : link(events), sound(events), boxes(events) {
        ahead["good"] = 90;
        settings.LogNetTime = true;
        settings.AutoSynchTime = true;
        settings.AutoSynchInterval = 24;
        settings.TimeServers = "good";
    }
    Lines Take() {
        auto e = events.list;
        events.Clear();
        return e;
    }
    void ConnectNow(timehelper::HelperLink* helper) {
        NetTimeDialog d{view, settings, store, locale, Context(), Log(), sound, boxes, helper};
        butConnectNowClick(d);
    }

    struct Connected : ConnectionState {
        bool IsInternetConnected() override { return true; }
    };

    pw::test::FakeHelperLink link;
    Connected connection;
    MemoView view;
    pw::test::FakeSound sound;
    pw::test::FakeMessageBoxes boxes;
};

TEST_F(TimeHelperChoiceTest, ConnectNowAsksTheHelperOnlyForLackOfTheRight) {
    const std::string hint(kRunAsAdministrator);
    struct Case {
        const char* why;
        ClockSet answer;
        bool withLink;
        std::optional<std::string> reply;
        Lines events;
        bool recorded;
    };
    const Case cases[] = {
        {"the program may set the clock", ClockSet::Done, true, HelperCorrected(),
         {"ask:good", "log:NetTime: + 0 days, 00:01:30 from good", "beep",
          "box:Time corrected by: + 0 days, 00:01:30 from good"},
         true},
        {"refused for another reason", ClockSet::Failed, true, HelperCorrected(),
         {"ask:good", "beep", "box:Time not adjusted."}, false},
        {"the helper corrects", ClockSet::NoRight, true, HelperCorrected(),
         {"ask:good", "helper:SYNC", "log:NetTime: + 0 days, 00:01:30 from ntp.helper (by the time helper)", "beep",
          "box:Time corrected by: + 0 days, 00:01:30 from ntp.helper (by the time helper)"},
         true},
        {"the helper gets no reply", ClockSet::NoRight, true, HelperRefused(),
         {"ask:good", "helper:SYNC",
          "log:NetTime: Time not adjusted from ntp.helper (no valid reply) (by the time helper)", "beep",
          "box:Time not adjusted (by the time helper).\r\nntp.helper: no valid reply"},
         false},
        {"the helper is stopped", ClockSet::NoRight, true, std::nullopt,
         {"ask:good", "helper:SYNC", "beep", "box:Time not adjusted.\r\n" + hint}, false},
        {"the helper answers nonsense", ClockSet::NoRight, true, "SYNC",
         {"ask:good", "helper:SYNC", "beep", "box:Time not adjusted.\r\n" + hint}, false},
        {"no helper", ClockSet::NoRight, false, std::nullopt, {"ask:good", "beep", "box:Time not adjusted.\r\n" + hint},
         false},
    };
    const DateTime start = clock.local;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.local = start;
        clock.setAnswer = c.answer;
        settings.LastSynchTime = 0;
        link.reply = c.reply;
        ConnectNow(c.withLink ? &link : nullptr);
        EXPECT_EQ(Take(), c.events);
        EXPECT_EQ(settings.LastSynchTime != 0, c.recorded);
    }
}

TEST_F(TimeHelperChoiceTest, TheAutomaticStepWaitsAfterAnythingButTheHelpersCorrection) {
    struct Case {
        const char* why;
        std::optional<std::string> reply;
        const char* line;
        bool recorded;
    };
    const Case cases[] = {
        {"the helper corrects", HelperCorrected(),
         "log:NetTime: + 0 days, 00:01:30 from ntp.helper (by the time helper)", true},
        {"the helper gets no reply", HelperRefused(),
         "log:NetTime: Time not adjusted from ntp.helper (no valid reply) (by the time helper)", false},
        {"the helper is stopped", std::nullopt, "log:NetTime: Time not adjusted from good (no right to set the clock)",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.setAnswer = ClockSet::NoRight;
        settings.LastSynchTime = 0;
        link.reply = c.reply;
        AutoSyncContext ctx{pw::test::Services(store, clock, locale), Context(), connection, settings, Log()};
        ctx.helper = &link;
        AutoSynchronize(ctx);
        EXPECT_EQ(Take(), (Lines{"ask:good", "helper:SYNC", c.line}));
        EXPECT_EQ(settings.LastSynchTime != 0, c.recorded);
        // One attempt, then nothing, helper or not, until the interval is
        // over: the same wait as without a helper.
        for (int minute = 1; minute < 24 * 60; ++minute) {
            clock.Advance(test::kMinute);
            AutoSynchronize(ctx);
        }
        EXPECT_EQ(Take(), Lines{});
        clock.Advance(2 * test::kMinute);
        AutoSynchronize(ctx);
        EXPECT_EQ(Take().size(), 3u);
    }
}

TEST_F(TimeHelperChoiceTest, TheNetTimeGroupShowsTheHelpersState) {
    struct Case {
        const char* why;
        bool withLink;
        HelperState state;
        std::optional<std::string> reply;
        std::string line;
        Lines events;
    };
    timehelper::Status never;
    never.attempted = true;
    never.lastAttemptUtc = 46364.5;
    const Case cases[] = {
        {"no link", false, HelperState::Running, HelperCorrected(), "Time helper: not installed", {}},
        {"not installed", true, HelperState::NotInstalled, HelperCorrected(), "Time helper: not installed", {}},
        {"stopped", true, HelperState::Stopped, HelperCorrected(), "Time helper: stopped", {}},
        // The fixture's clock is an hour ahead of UTC.
        {"corrected", true, HelperState::Running, HelperCorrected(),
         "Time helper: running, last correction 08/12/2026 14:06:30", {"helper:STATUS"}},
        {"nothing corrected yet", true, HelperState::Running, timehelper::StatusText(never),
         "Time helper: running, no correction yet", {"helper:STATUS"}},
        {"no answer", true, HelperState::Running, std::nullopt, "Time helper: running", {"helper:STATUS"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        link.state = c.state;
        link.reply = c.reply;
        EXPECT_EQ(HelperStateLine(c.withLink ? &link : nullptr, clock, locale), c.line);
        EXPECT_EQ(Take(), c.events);
    }
}

}  // namespace
}  // namespace pw::net
