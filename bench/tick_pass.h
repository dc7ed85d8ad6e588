#pragma once
// One pass of the clock tick over N schedule records, timed. Shared by the
// native benchmark (memory store) and the Windows one (registry). The
// schedules are a realistic mix: most wait for a later window, some are
// open and not due, a few fall due.

#include <chrono>
#include <cstdio>
#include <string>

#include "common/clock.h"
#include "common/datefmt.h"
#include "common/services.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/clock_tick.h"

namespace pw::bench {

class QuietHost : public sched::TickHost {
public:
    void RefreshClockDisplay() override {}
    void SetCaption(std::string_view) override {}
    void TrimLog() override {}
    void AutoSynchronize() override {}
    void WriteLogLine(std::string_view) override {}
    void RemoveFromScheduleList(std::string_view) override {}
    bool LaunchProgram(std::string_view, std::string_view, std::string_view, std::string_view) override {
        ++launches;
        return true;
    }
    void ShowReminders(const std::vector<std::string>& items) override { shown += items.size(); }
    std::size_t shown = 0;
    int launches = 0;
};

class QuietSound : public Sound {
public:
    void PlayFile(std::string_view) override {}
    void Beep() override {}
};

class FixedClock : public Clock {
public:
    DateTime now = 0;
    DateTime Now() override { return now; }
    DateTime UtcNow() override { return now; }
    ClockSet SetUtc(DateTime) override { return ClockSet::Failed; }
    int ZoneBiasMinutes() override { return 0; }
};

inline void Populate(Store& store, const Locale& loc, int n, DateTime today) {
    DeleteKey(store, cfg::kSchedulesKey);
    for (int i = 0; i < n; ++i) {
        auto key = cfg::ScheduleKey("Schedule " + std::to_string(i));
        using namespace cfg::schedule;
        const int kind = i % 10;
        DateTime start = today + (kind < 6 ? 3 : 0);  // six in ten start later
        cfg::Write(store, key, ScheduleType, kind == 9 ? 0 : 1);
        cfg::Write(store, key, Message, "Reminder number " + std::to_string(i));
        cfg::Write(store, key, StartDate, DateToText(start, loc));
        cfg::Write(store, key, StartTime, TimeToText(EncodeTime(9, i % 60, 0, 0), loc));
        cfg::Write(store, key, EndDate, DateToText(start + 1, loc));
        cfg::Write(store, key, EndTime, TimeToText(EncodeTime(17, 0, 0, 0), loc));
        cfg::Write(store, key, RepeatPeriod, TimeToText(EncodeTime(1, 0, 0, 0), loc));
        cfg::Write(store, key, RepeatCycleNumber, 1);
        cfg::Write(store, key, RepeatCycleUnit, "days");
    }
}

// Returns the milliseconds of one pass (the median of a few).
inline double TimePass(Store& store, const Locale& loc, int n, const char* label) {
    const DateTime today = EncodeDate(2026, 12, 8);
    Populate(store, loc, n, today);
    FixedClock clock;
    cfg::GlobalSettings settings;
    settings.SystemBeep = false;
    QuietHost host;
    QuietSound sound;
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        sched::ClockTick tick({store, clock, loc, settings, sound, host});
        clock.now = today + EncodeTime(10, 7 + round, 0, 0);  // 10:07: the ones at :07 fall due
        auto t0 = std::chrono::steady_clock::now();
        tick.ClockTimer();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::printf("%s: one pass over %d schedules: %.1f ms (%.2f us per schedule; %zu reminders, %d launches)\n", label,
                n, best, best * 1000.0 / n, host.shown, host.launches);
    DeleteKey(store, cfg::kSchedulesKey);
    return best;
}

}  // namespace pw::bench
