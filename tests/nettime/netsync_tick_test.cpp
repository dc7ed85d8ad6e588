// The automatic step as the clock tick runs it: once per change of the
// minute, before the walk over the schedules.
#include <gtest/gtest.h>

#include "nettime/netsync.h"
#include "nettime/netsync_fixture.h"
#include "sched/clock_tick.h"
#include "sched/tick_fixture.h"
#include "support/test_services.h"

namespace pw::net {
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

    TickSyncTest() : host(events), sound(events), tick(sched::TickContext{pw::test::Services(store, clock, locale, sound), settings, host}) {
        settings.AutoSynchTime = true;
        settings.LogNetTime = true;
        host.step = [this] {
            AutoSyncContext ctx{pw::test::Services(store, clock, locale), Context(), connection, settings, Log()};
            AutoSynchronize(ctx);
        };
    }

    Connected connection;
    SyncingHost host;
    pw::test::FakeSound sound;
    sched::ClockTick tick;
};

TEST_F(TickSyncTest, EachNewMinuteRunsTheStepBeforeTheSchedules) {
    settings.AutoSynchInterval = 0;
    ahead["pool.ntp.org"] = 0.0004;
    for (int s = 0; s < 150; ++s) {
        tick.ClockTimer();
        clock.AdvanceSeconds(1);
    }
    const Lines expected = {"ask:pool.ntp.org", "log:NetTime: + 0 days, 00:00:00 from pool.ntp.org",
                            "caption:Schedules: 0"};
    Lines all;
    for (int i = 0; i < 3; ++i) all.insert(all.end(), expected.begin(), expected.end());
    EXPECT_EQ(events.list, all);
}

TEST_F(TickSyncTest, AFailingWalkDoesNotStopThePass) {
    settings.TimeServers = "broken";
    throwing.insert("broken");
    tick.ClockTimer();
    EXPECT_EQ(events.list, (Lines{"ask:broken", "log:NetTime: Unknown error", "caption:Schedules: 0"}));
}

}  // namespace
}  // namespace pw::net
