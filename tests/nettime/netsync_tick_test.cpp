// The automatic step as the clock tick runs it: started once per change of
// the minute, before the walk over the schedules, which it never holds up:
// the servers are asked after the pass, as their answers come.
#include <gtest/gtest.h>

#include "nettime/netsync.h"
#include "nettime/netsync_fixture.h"
#include "sched/clock_tick.h"
#include "sched/tick_fixture.h"
#include "support/test_services.h"

namespace pw::nettime {
namespace {

using Lines = std::vector<std::string>;

class SyncingHost : public sched::test::RecordingHost {
public:
    using RecordingHost::RecordingHost;
    void AutoSynchronize() override { step(); }
    std::function<void()> step;
};

class TickSyncTest : public test::NetSyncFixture {
protected:
    struct Connected : ConnectionState {
        bool IsInternetConnected() override { return true; }
    };

    TickSyncTest() : host(events), tick(sched::TickContext{pw::test::Services(store, clock, locale, sound), settings, host}) {
        settings.AutoSynchTime = true;
        settings.LogNetTime = true;
        host.step = [this] { Attempts(connection).AutoSynchronize(); };
    }

    Connected connection;
    SyncingHost host;
    sched::ClockTick tick;
};

TEST_F(TickSyncTest, EachNewMinuteStartsTheStepAndThePassGoesOnAtOnce) {
    settings.AutoSynchInterval = 0;
    ahead["pool.ntp.org"] = 0.0004;
    for (int s = 0; s < 150; ++s) {
        tick.ClockTimer();
        driver.RunUntilIdle();
        clock.AdvanceSeconds(1);
    }
    const Lines expected = {"caption:Schedules: 0", "ask:pool.ntp.org",
                            "log:NetTime: + 0 days, 00:00:00 from pool.ntp.org"};
    Lines all;
    for (int i = 0; i < 3; ++i) all.insert(all.end(), expected.begin(), expected.end());
    EXPECT_EQ(events.list, all);
}

TEST_F(TickSyncTest, AFailingWalkDoesNotStopThePass) {
    settings.TimeServers = "broken";
    throwing.insert("broken");
    tick.ClockTimer();
    driver.RunUntilIdle();
    EXPECT_EQ(events.list, (Lines{"caption:Schedules: 0", "ask:broken", "log:NetTime: Unknown error"}));
}

}  // namespace
}  // namespace pw::nettime
