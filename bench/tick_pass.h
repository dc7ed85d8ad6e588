#pragma once
// Passes of the clock tick over N schedule records, timed: reading every
// record each minute against keeping them in memory. Shared by the
// native benchmark (memory store) and the Windows one (registry). The
// schedules are a realistic mix: most wait for a later window, some are
// open and not due, a few fall due.

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <string>

#include "common/app_services.h"
#include "common/clock.h"
#include "common/datefmt.h"
#include "common/services.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/clock_tick.h"

#ifdef _WIN32
#include "platform/win32/win_files.h"
using BenchFileSystem = pw::win::WinFileSystem;
#else
#include "platform/posix/posix_files.h"
using BenchFileSystem = pw::posix::PosixFileSystem;
#endif

namespace pw::bench {

class QuietHost : public sched::TickHost {
public:
    void RefreshClockDisplay() override {}
    void SetCaption(std::string_view) override {}
    void TrimLog() override {}
    void AutoSynchronize() override {}
    void WriteLogLine(std::string_view) override {}
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

class QuietBoxes : public MessageBoxes {
public:
    void Show(std::string_view) override {}
    void ShowError(std::string_view) override {}
    Answer Ask(std::string_view, std::string_view, Answer def) override { return def; }
};

class QuietShell : public Shell {
public:
    bool Open(std::string_view) override { return false; }
};

// The services of a tick: a pass opens no file, box or shell, so those are
// quiet stand-ins (the file system of the platform the bench runs on).
inline AppServices TickServices(Store& store, Clock& clock, const Locale& loc, Sound& sound) {
    static BenchFileSystem files;
    static QuietBoxes boxes;
    static QuietShell shell;
    return {store, clock, loc, files, sound, boxes, shell};
}

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

// The store as seen by a program that cannot watch it: the tick then reads
// every record before each pass, as it did before it kept them in memory.
class UnwatchedStore : public Store {
public:
    explicit UnwatchedStore(Store& inner) : inner_(inner) {}
    std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) override {
        return inner_.Open(root, path, mode);
    }
    bool DeleteTree(Root root, std::string_view path) override { return inner_.DeleteTree(root, path); }

private:
    Store& inner_;
};

struct PassFigures {
    double fullRead = 0;    // every record read before the pass
    double firstPass = 0;   // the memory filled
    double unchanged = 0;   // nothing changed since the last pass
    double oneChanged = 0;  // one schedule written from outside since the last pass
};

// Milliseconds of passes over n schedules, each the median of a few, in
// consecutive minutes from 10:07 (the schedules at :07 fall due then).
inline PassFigures TimePasses(Store& store, const Locale& loc, int n, const char* label) {
    const DateTime today = EncodeDate(2026, 12, 8);
    Populate(store, loc, n, today);
    FixedClock clock;
    cfg::GlobalSettings settings;
    settings.SystemBeep = false;
    QuietHost host;
    QuietSound sound;
    int minute = 7;
    auto timed = [&](sched::ClockTick& tick, const std::function<void()>& before) {
        before();
        clock.now = today + EncodeTime(10, minute++, 0, 0);
        auto t0 = std::chrono::steady_clock::now();
        tick.ClockTimer();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    };
    auto median = [&](sched::ClockTick& tick, const std::function<void()>& before) {
        std::vector<double> ms;
        for (int round = 0; round < 5; ++round) ms.push_back(timed(tick, before));
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    const auto nothing = [] {};
    int edits = 0;
    const auto editOne = [&] {
        cfg::Write(store, cfg::ScheduleKey("Schedule 3"), cfg::schedule::Message, "Edited " + std::to_string(++edits));
    };

    PassFigures f;
    {
        UnwatchedStore unwatched(store);
        sched::ClockTick tick({TickServices(unwatched, clock, loc, sound), settings, host});
        f.fullRead = median(tick, nothing);
    }
    sched::ClockTick tick({TickServices(store, clock, loc, sound), settings, host});
    f.firstPass = timed(tick, nothing);
    f.unchanged = median(tick, nothing);
    f.oneChanged = median(tick, editOne);
    std::printf(
        "%s, %d schedules: full read %.1f ms; kept in memory: first pass %.1f ms, nothing changed %.2f ms (%.4fx), "
        "one changed %.2f ms (%.4fx)\n",
        label, n, f.fullRead, f.firstPass, f.unchanged, f.unchanged / f.fullRead, f.oneChanged,
        f.oneChanged / f.fullRead);
    DeleteKey(store, cfg::kSchedulesKey);
    return f;
}

// Both sizes, and how each pass grows from one to the other.
inline void ReportPasses(Store& store, const Locale& loc, const char* label) {
    const PassFigures a = TimePasses(store, loc, 1000, label);
    const PassFigures b = TimePasses(store, loc, 10000, label);
    std::printf("growth from 1,000 to 10,000: full read %.1fx, nothing changed %.1fx, one changed %.1fx\n",
                b.fullRead / a.fullRead, b.unchanged / a.unchanged, b.oneChanged / a.oneChanged);
}

}  // namespace pw::bench
