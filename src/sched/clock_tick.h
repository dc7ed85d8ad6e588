#pragma once
// The clock tick: run every second by the clock window's timer. Each tick
// redraws the clock; the first tick of each new minute runs a pass: hourly
// log trimming, the automatic time synchronization, and the walk over every
// schedule record, kept in memory and read again from the store only where
// it changed (ScheduleCache). Minutes that passed without
// a pass are looked at by the next one: a missed reminder is shown as
// missed, a missed program is listed and never started late; a minute the
// clock went back to fires nothing a second time.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_services.h"
#include "common/clock.h"
#include "common/locale.h"
#include "common/services.h"
#include "common/store.h"
#include "common/store_access.h"
#include "config/global_settings.h"
#include "sched/pass_plan.h"
#include "sched/recurrence.h"
#include "sched/schedule_cache.h"
#include "sched/snooze.h"

namespace pw::sched {

// Written once to the log (when a log switch is on) where the store cannot
// tell the tick which schedules changed.
inline constexpr std::string_view kUnwatchedLine =
    "Schedule changes cannot be watched; every schedule is read again each minute";

// Everything the tick drives outside the engine.
class TickHost {
public:
    virtual ~TickHost() = default;
    virtual void RefreshClockDisplay() = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual void TrimLog() = 0;
    // The automatic synchronization step; decides itself whether to run.
    virtual void AutoSynchronize() = 0;
    // Appends time stamp + " - " + message to the log, whatever the log
    // switches say (callers check the switches).
    virtual void WriteLogLine(std::string_view message) = 0;
    virtual bool LaunchProgram(std::string_view name, std::string_view commandLine, std::string_view workingDir,
                               std::string_view windowState) = 0;
    virtual void ShowReminders(const std::vector<std::string>& items) = 0;
};

struct TickContext : AppServices {
    const cfg::GlobalSettings& settings;
    TickHost& host;
};

class ClockTick {
public:
    explicit ClockTick(TickContext ctx) : ctx_(ctx), cache_(ctx.store, ctx.locale), snoozes_(ctx.store, ctx.locale) {}

    // One tick of the clock timer.
    void ClockTimer();

    // The "Disable schedules" check mark: off at start, never stored.
    bool disableSchedules = false;
    // Minute of the hour of the last pass; 0 at start, so a program
    // started during minute :00 waits for the next minute. Later passes run
    // whenever the minute differs from the last pass's, so a jump by whole
    // hours still gets its pass.
    int rememberedMinute = 0;

    const std::vector<std::string>& ScheduleNames() const { return names_; }
    // The reminders of the current tick (emptied at the start of every tick).
    const std::vector<std::string>& PendingReminders() const { return pending_; }

    // The store through which the program's own schedule writes go, so
    // that the tick's memory follows them at once.
    Store& ScheduleWriter() { return cache_.Writer(); }
    // The user's regional settings changed: the schedules' stored texts are
    // read again as a start reads them.
    void RegionalSettingsChanged() { cache_.RegionalSettingsChanged(); }

private:
    void RunPass(const Clock::Reading& now, Seconds tick, const PassPlan& plan);
    // Reminders put off from the reminder window whose minute has come.
    void CollectSnoozed(const Clock::Reading& now);
    void Evaluate(const std::string& name, Seconds tick, std::int64_t today, const PassPlan& plan);
    void WriteDates(const std::string& name, const ScheduleTiming& t);
    void ReportMissed(const ScheduleRecord& record, const std::string& name, const DueMoments& due);
    void ReportUnreadable(const std::string& name, const std::string& error);
    void ReportBadSnooze(std::string_view valueName, std::string_view why);

    TickContext ctx_;
    ScheduleCache cache_;
    SnoozeQueue snoozes_;
    PassMemory memory_;
    std::vector<std::string> pending_;
    std::vector<std::string> names_;
    // Snoozed values already reported as unreadable in this run, with the
    // error, so the log gets one line per problem and not one a minute.
    std::set<std::string> reported_;
    // The log has said that schedule changes cannot be watched.
    bool unwatchedLogged_ = false;
};

}  // namespace pw::sched
