// The program without the right to set the clock: when "Connect now" and
// the automatic step turn to the time helper, what they say and record,
// and that nothing changes without one.
#include <gtest/gtest.h>

#include "nettime/netsync_dialog.h"
#include "nettime/netsync_fixture.h"
#include "support/test_services.h"

namespace pw::net {
namespace {

using Lines = std::vector<std::string>;
using timehelper::HelperState;

class FakeLink : public timehelper::HelperLink {
public:
    explicit FakeLink(pw::test::Events& e) : events(e) {}
    HelperState State() override { return state; }
    std::optional<std::string> Exchange(std::string_view request, int) override {
        events.Add("helper:" + std::string(request.substr(0, request.find('\n'))));
        return reply;
    }
    pw::test::Events& events;
    HelperState state = HelperState::Running;
    std::optional<std::string> reply;  // nothing: the pipe is gone
};

const std::string kSet = timehelper::StatusText(
    {true, 46364.547569444444, 46364.547569444444, "ntp.helper", "+ 0 days, 00:01:30", true, ""});
const std::string kNotSet = timehelper::StatusText({true, 46364.5, 0, "ntp.helper", "", false, "no valid reply"});
const std::string kSetLine = "log:NetTime: + 0 days, 00:01:30 from ntp.helper (by the time helper)";
const std::string kNotSetLine = "log:NetTime: Time not adjusted from ntp.helper (no valid reply) (by the time helper)";

class TimeHelperChoiceTest : public test::NetSyncFixture {
protected:
    TimeHelperChoiceTest() : link(events), sound(events), boxes(events) {
        ahead["good"] = 90;
        settings.LogNetTime = settings.AutoSynchTime = true;
        settings.AutoSynchInterval = 24;
        settings.TimeServers = "good";
    }
    struct Memo : NetTimeView {
        std::string TimeServersText() override { return "good"; }
        void SetTimeServersText(std::string_view) override {}
        void SetTestServersCaption(std::string_view) override {}
    } view;
    struct Connected : ConnectionState {
        bool IsInternetConnected() override { return true; }
    } connection;
    FakeLink link;
    pw::test::FakeSound sound;
    pw::test::FakeMessageBoxes boxes;
};

TEST_F(TimeHelperChoiceTest, ConnectNowAsksTheHelperOnlyForLackOfTheRight) {
    const std::string hint = "box:Time not adjusted.\r\n" + std::string(kRunAsAdministrator);
    const std::tuple<ClockSet, FakeLink*, std::optional<std::string>, Lines> cases[] = {
        {ClockSet::Done, &link, kSet,
         {"ask:good", "log:NetTime: + 0 days, 00:01:30 from good", "beep",
          "box:Time corrected by: + 0 days, 00:01:30 from good"}},
        {ClockSet::NoRight, &link, kSet,
         {"ask:good", "helper:SYNC", kSetLine, "beep",
          "box:Time corrected by: + 0 days, 00:01:30 from ntp.helper (by the time helper)"}},
        {ClockSet::NoRight, &link, kNotSet,
         {"ask:good", "helper:SYNC", kNotSetLine, "beep",
          "box:Time not adjusted (by the time helper).\r\nntp.helper: no valid reply"}},
        {ClockSet::NoRight, &link, std::nullopt, {"ask:good", "helper:SYNC", "beep", hint}},
        {ClockSet::NoRight, nullptr, kSet, {"ask:good", "beep", hint}},
    };
    const DateTime start = clock.local;
    for (const auto& [answer, helper, reply, expected] : cases) {
        clock.local = start;
        clock.setAnswer = answer;
        settings.LastSynchTime = 0;
        link.reply = reply;
        NetTimeDialog d{view, settings, store, locale, Context(), Log(), sound, boxes, helper};
        butConnectNowClick(d);
        EXPECT_EQ(events.list, expected);
        const bool corrected = expected.back().starts_with("box:Time corrected");
        EXPECT_EQ(settings.LastSynchTime != 0, corrected);
        events.Clear();
    }
}

TEST_F(TimeHelperChoiceTest, TheAutomaticStepWaitsAfterAnythingButTheHelpersCorrection) {
    const std::tuple<std::optional<std::string>, std::string, bool> cases[] = {
        {kSet, kSetLine, true},
        {kNotSet, kNotSetLine, false},
        {std::nullopt, "log:NetTime: Time not adjusted from good (no right to set the clock)", false},
    };
    for (const auto& [reply, line, recorded] : cases) {
        SCOPED_TRACE(line);
        clock.setAnswer = ClockSet::NoRight;
        settings.LastSynchTime = 0;
        link.reply = reply;
        AutoSyncContext ctx{pw::test::Services(store, clock, locale), Context(), connection, settings, Log()};
        ctx.helper = &link;
        AutoSynchronize(ctx);
        EXPECT_EQ(events.list, (Lines{"ask:good", "helper:SYNC", line}));
        EXPECT_EQ(settings.LastSynchTime != 0, recorded);
        // Then nothing, helper or not, until the interval is over.
        for (int minute = 1; minute < 24 * 60; ++minute, clock.Advance(test::kMinute)) AutoSynchronize(ctx);
        EXPECT_EQ(events.list.size(), 3u);
        clock.Advance(2 * test::kMinute);
        AutoSynchronize(ctx);
        EXPECT_EQ(events.list.size(), 6u);
        events.Clear();
    }
}

TEST_F(TimeHelperChoiceTest, TheNetTimeGroupShowsTheHelpersState) {
    const std::tuple<FakeLink*, HelperState, std::optional<std::string>, std::string> cases[] = {
        {nullptr, HelperState::Running, kSet, "Time helper: not installed"},
        {&link, HelperState::Stopped, kSet, "Time helper: stopped"},
        // The fixture's clock is an hour ahead of UTC.
        {&link, HelperState::Running, kSet, "Time helper: running, last correction 08/12/2026 14:08:30"},
        {&link, HelperState::Running, kNotSet, "Time helper: running, no correction yet"},
        {&link, HelperState::Running, std::nullopt, "Time helper: running"},
    };
    for (const auto& [helper, state, reply, line] : cases) {
        link.state = state;
        link.reply = reply;
        EXPECT_EQ(HelperStateLine(helper, clock, locale), line);
    }
}

}  // namespace
}  // namespace pw::net
