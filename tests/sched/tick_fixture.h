#pragma once
// A clock tick wired to fakes: an in-memory store, a settable clock, and a
// host and sound that record every call in one event list.

#include <gtest/gtest.h>

#include <string>

#include "common/datefmt.h"
#include "common/datetime.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/clock_tick.h"
#include "sched/reminder_item.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/fake_store.h"
#include "support/test_services.h"

namespace pw::sched::test {

using pw::test::Events;

class RecordingHost : public TickHost {
public:
    explicit RecordingHost(Events& e) : events(e) {}
    void RefreshClockDisplay() override { ++refreshes; }
    void SetCaption(std::string_view c) override {
        caption = std::string(c);
        events.Add("caption:" + caption);
    }
    void TrimLog() override { events.Add("trim"); }
    void AutoSynchronize() override { events.Add("sync"); }
    void WriteLogLine(std::string_view m) override { events.Add("log:" + std::string(m)); }
    bool LaunchProgram(std::string_view name, std::string_view cmd, std::string_view dir,
                       std::string_view state) override {
        events.Add("launch:" + std::string(name) + "|" + std::string(cmd) + "|" + std::string(dir) + "|" +
                   std::string(state));
        return true;
    }
    void ShowReminders(const std::vector<std::string>& items) override {
        std::string e = "show:";
        for (auto& i : items) e += "[" + ParseReminderItem(i).name + ":" + ParseReminderItem(i).message + "]";
        events.Add(e);
        shown.push_back(items);
    }

    Events& events;
    int refreshes = 0;
    std::string caption = "Schedules";
    std::vector<std::vector<std::string>> shown;
};

// A schedule record written as the editor would write it; the message is
// the name unless given.
inline void WriteSchedule(Store& store, const Locale& locale, const std::string& name, DateTime start, DateTime end,
                          const std::string& period = "01:00:00", int n = 0, const std::string& unit = "disabled",
                          int type = 1, const std::string& message = "") {
    auto key = cfg::ScheduleKey(name);
    cfg::Write(store, key, cfg::schedule::StartDate, DateToText(DateOf(start), locale));
    cfg::Write(store, key, cfg::schedule::StartTime, TimeToText(TimeOf(start), locale));
    cfg::Write(store, key, cfg::schedule::EndDate, DateToText(DateOf(end), locale));
    cfg::Write(store, key, cfg::schedule::EndTime, TimeToText(TimeOf(end), locale));
    cfg::Write(store, key, cfg::schedule::RepeatPeriod, period);
    cfg::Write(store, key, cfg::schedule::RepeatCycleNumber, n);
    cfg::Write(store, key, cfg::schedule::RepeatCycleUnit, unit);
    cfg::Write(store, key, cfg::schedule::ScheduleType, type);
    cfg::Write(store, key, cfg::schedule::Message, message.empty() ? name : message);
}

class TickTest : public ::testing::Test {
protected:
    TickTest()
        : host(events), sound(events), tick(TickContext{pw::test::Services(store, clock, locale, sound), settings, host}) {}

    // dd/mm/yyyy hh:mm:ss, as a British user writes it.
    static DateTime When(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
        return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
    }
    void SetNow(DateTime t) { clock.local = t; }

    void AddSchedule(const std::string& name, DateTime start, DateTime end, const std::string& period = "01:00:00",
                     int n = 0, const std::string& unit = "disabled", int type = 1,
                     const std::string& message = "") {
        WriteSchedule(store, locale, name, start, end, period, n, unit, type, message);
    }
    std::string Stored(const std::string& name, std::string_view value) {
        return ReadRegString(store, cfg::ScheduleKey(name), value, "(missing)");
    }

    // Runs one tick at the given moment.
    void TickAt(DateTime t) {
        SetNow(t);
        tick.ClockTimer();
    }
    // Ticks every second from..to (inclusive of from, exclusive of to).
    void RunSeconds(DateTime from, DateTime to) {
        for (Seconds s = ToSeconds(from); s < ToSeconds(to); ++s) TickAt(FromSeconds(s));
    }
    std::vector<std::string> Take() {
        auto e = events.list;
        events.Clear();
        return e;
    }

    Events events;
    pw::test::TestStore store;
    pw::test::FakeClock clock;
    Locale locale = Locale::EnGB();
    cfg::GlobalSettings settings;
    RecordingHost host;
    pw::test::FakeSound sound;
    ClockTick tick;
};

}  // namespace pw::sched::test
