// The program without the right to set the clock: when "Connect now" and
// the automatic step turn to the time helper, what they say and record,
// and that nothing changes without one.
#include <gtest/gtest.h>

#include "nettime/net_time_attempts.h"
#include "nettime/netsync_fixture.h"
#include "support/test_services.h"

namespace pw::nettime {
namespace {

using Lines = std::vector<std::string>;
using timehelper::HelperState;

class FakeLink : public timehelper::HelperLink {
public:
    HelperState State() override { return state; }
    net::PipeTarget Pipe() const override { return {"\\\\.\\pipe\\helper", "Helper"}; }
    HelperState state = HelperState::Running;
};

const std::string kSet = timehelper::StatusText(
    {true, 46364.547569444444, 46364.547569444444, "ntp.helper", "+ 0 days, 00:01:30", true, ""});
const std::string kNotSet = timehelper::StatusText({true, 46364.5, 0, "ntp.helper", "", false, "no valid reply"});
const std::string kSetLine = "log:NetTime: + 0 days, 00:01:30 from ntp.helper (by the time helper)";
const std::string kNotSetLine = "log:NetTime: Time not adjusted from ntp.helper (no valid reply) (by the time helper)";

class TimeHelperChoiceTest : public test::NetSyncFixture {
protected:
    TimeHelperChoiceTest() {
        ahead["good"] = 90;
        settings.LogNetTime = settings.AutoSynchTime = true;
        settings.AutoSynchInterval = 24;
        settings.TimeServers = "good";
        // The helper's pipe: its one request noted, then its reply, or,
        // without one, the pipe breaks.
        driver.pipeOpening = [](const net::PipeTarget&) { return net::PipeOpening::Opened; };
        driver.pipeWritten = [this](net::IoId pipe, const std::string& request) {
            events.Add("helper:" + request.substr(0, request.find('\n')));
            driver.PipeWritten(pipe);
            if (reply) driver.PipeMessage(pipe, *reply);
            else driver.PipeFailed(pipe, 109);
        };
    }
    struct Connected : ConnectionState {
        bool IsInternetConnected() override { return true; }
    } connection;
    FakeLink link;
    std::optional<std::string> reply;  // nothing: the pipe is gone
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
        this->reply = reply;
        attempts.reset();
        Attempts(connection, helper).ConnectNow("good");
        driver.RunUntilIdle();
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
        this->reply = reply;
        attempts.reset();
        auto& a = Attempts(connection, &link);
        const auto step = [&] {
            a.AutoSynchronize();
            driver.RunUntilIdle();
        };
        step();
        EXPECT_EQ(events.list, (Lines{"ask:good", "helper:SYNC", line}));
        EXPECT_EQ(settings.LastSynchTime != 0, recorded);
        // Then nothing, helper or not, until the interval is over.
        for (int minute = 1; minute < 24 * 60; ++minute, clock.Advance(test::kMinute)) step();
        EXPECT_EQ(events.list.size(), 3u);
        clock.Advance(2 * test::kMinute);
        step();
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
        this->reply = reply;
        attempts.reset();
        // Said at once; the helper's own words follow when it has answered.
        std::string shown = Attempts(connection, helper).HelperStateLine([&](const std::string& later) { shown = later; });
        driver.RunUntilIdle();
        EXPECT_EQ(shown, line);
    }
}

}  // namespace
}  // namespace pw::nettime
