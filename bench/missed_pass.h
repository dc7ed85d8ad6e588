#pragma once
// The pass after the computer slept for a week, against an ordinary pass
// over the same number of schedules, both timed in the same run. Shared by
// the native benchmark (memory store) and the Windows one (registry).
//
// Every schedule is a daily window open 09:xx to 17:00 with a repeat
// period, one in ten a program. For the ordinary pass the windows are
// today's; for the pass after the gap they opened seven days ago, so the
// pass finds each schedule's missed minutes in seven days, moves its
// window on by seven cycles and writes the dates back.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "tick_pass.h"

namespace pw::bench {

inline void PopulateDaily(Store& store, const Locale& loc, int n, DateTime startDay) {
    DeleteKey(store, cfg::kSchedulesKey);
    const char* periods[] = {"01:00:00", "00:30:00", "00:07:00", "02:00:00"};
    for (int i = 0; i < n; ++i) {
        auto key = cfg::ScheduleKey("Schedule " + std::to_string(i));
        using namespace cfg::schedule;
        cfg::Write(store, key, ScheduleType, i % 10 == 9 ? 0 : 1);
        cfg::Write(store, key, Message, "Reminder number " + std::to_string(i));
        cfg::Write(store, key, StartDate, DateToText(startDay, loc));
        cfg::Write(store, key, StartTime, TimeToText(EncodeTime(9, i % 60, 0, 0), loc));
        cfg::Write(store, key, EndDate, DateToText(startDay, loc));
        cfg::Write(store, key, EndTime, TimeToText(EncodeTime(17, 0, 0, 0), loc));
        cfg::Write(store, key, RepeatPeriod, periods[i % 4]);
        cfg::Write(store, key, RepeatCycleNumber, 1);
        cfg::Write(store, key, RepeatCycleUnit, "days");
    }
}

// Milliseconds of the pass at today 10:07 after a pass `gapDays` earlier
// (the least of three rounds, each on freshly written schedules).
inline double TimePassAfter(Store& store, const Locale& loc, int n, int gapDays, std::size_t& shown) {
    const DateTime today = EncodeDate(2026, 12, 8);
    const DateTime now = today + EncodeTime(10, 7, 0, 0);
    const DateTime before = gapDays > 0 ? now - gapDays : now - EncodeTime(0, 1, 0, 0);
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        PopulateDaily(store, loc, n, gapDays > 0 ? today - gapDays : today);
        FixedClock clock;
        cfg::GlobalSettings settings;
        settings.SystemBeep = false;
        QuietHost host;
        QuietSound sound;
        sched::ClockTick tick({TickServices(store, clock, loc, sound), settings, host});
        clock.now = before;
        tick.ClockTimer();
        host.shown = 0;
        clock.now = now;
        const auto t0 = std::chrono::steady_clock::now();
        tick.ClockTimer();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
        shown = host.shown;
    }
    return best;
}

inline void CompareMissedPass(Store& store, const Locale& loc, const char* label) {
    const int n = 10000;
    std::size_t shownNormal = 0, shownGap = 0;
    const double normal = TimePassAfter(store, loc, n, 0, shownNormal);
    const double gap = TimePassAfter(store, loc, n, 7, shownGap);
    DeleteKey(store, cfg::kSchedulesKey);
    std::printf("%s, %d schedules: ordinary pass %.1f ms (%zu items shown); pass after a 7-day gap %.1f ms "
                "(%zu items shown)\n",
                label, n, normal, shownNormal, gap, shownGap);
    std::printf("pass after the gap / ordinary pass: %.2fx; goal under 1 s natively: %s\n", gap / normal,
                gap < 1000.0 ? "met" : "NOT met");
}

}  // namespace pw::bench
