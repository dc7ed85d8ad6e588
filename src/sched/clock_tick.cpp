#include "sched/clock_tick.h"

#include <map>

#include "common/datefmt.h"
#include "common/errors.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/alerts.h"
#include "sched/reminder_item.h"
#include "sched/schedule_record.h"

namespace pw::sched {

void ClockTick::ClockTimer() {
    ctx_.host.RefreshClockDisplay();
    pending_.clear();

    // The minute of the hour and the tick moment come from one reading, so
    // they agree also at a minute boundary.
    const Clock::Reading now = ctx_.clock.LocalAndUtc();
    const Seconds tick = TickMoment(now.local);
    const int minute = static_cast<int>(((tick / kSecondsPerMinute) % 60 + 60) % 60);
    if (memory_.HasRun() ? tick == memory_.LastWall() : minute == rememberedMinute) return;
    rememberedMinute = minute;
    // Remembered also when schedules are disabled: the minutes of that time
    // were passed over on purpose, not missed.
    RunPass(now, tick, memory_.Plan(tick, TickMoment(now.utc)));
}

void ClockTick::RunPass(const Clock::Reading& now, Seconds tick, const PassPlan& plan) {
    if (ctx_.settings.AutoTrimLog && rememberedMinute == 0) ctx_.host.TrimLog();
    ctx_.host.AutoSynchronize();
    if (disableSchedules) return;

    // When the schedules key can be neither opened nor created, the names
    // of the last pass stay and this pass walks no schedule.
    const bool listed = cache_.Refresh();
    // Nothing fails for the user (every record is simply read each minute),
    // so no box: a note for whoever reads the log, once, when a log is kept.
    if (cache_.Unwatched() && !unwatchedLogged_ && ctx_.settings.AnyLogSwitch()) {
        unwatchedLogged_ = true;
        ctx_.host.WriteLogLine(kUnwatchedLine);
    }
    if (listed) {
        // The pass may delete schedules while it walks: it walks the names
        // as they were at its start.
        names_ = cache_.Names();
        ctx_.host.SetCaption("Schedules: " + std::to_string(names_.size()));
        const std::int64_t today = DayOf(tick);
        for (const auto& name : names_) Evaluate(name, tick, today, plan);
    }
    CollectSnoozed(now);

    if (!pending_.empty()) ctx_.host.ShowReminders(pending_);
}

void ClockTick::CollectSnoozed(const Clock::Reading& now) {
    // Due by UTC, so that a clock put back or a change of the zone neither
    // shows one twice (it left the store when shown) nor holds it back.
    const Seconds utc = ToSeconds(now.utc);
    const Seconds utcMinute = TruncateToMinute(utc);
    const auto snoozed =
        snoozes_.TakeDue(utc, [this](std::string_view value, std::string_view why) { ReportBadSnooze(value, why); });
    struct Alert {
        bool scheduleSound = false;
        std::string soundName;
    };
    std::map<std::string, Alert> alerts;  // each schedule's sound read once
    for (const Snoozed& s : snoozed) {
        std::string description = s.description;
        if (s.dueUtc < utcMinute) {
            // Its minute passed while the program was not running or the
            // computer slept: it comes as missed, at its local time.
            description = MissedDescription({false, DateTimeToText(LocalOf(s.dueUtc, now), ctx_.locale), 1});
            description += SnoozeNote(s.description);
        }
        pending_.push_back(MakeReminderItem(s.message, description, s.name));
        // The schedule's own sound while it is still there.
        auto [at, added] = alerts.try_emplace(s.name);
        if (added) {
            try {
                KeyReader key(ctx_.store, cfg::ScheduleKey(s.name));
                if (key.Exists()) {
                    at->second.scheduleSound = cfg::Read(key, cfg::schedule::ScheduleSound);
                    at->second.soundName = cfg::Read(key, cfg::schedule::SoundName);
                }
            } catch (const AppError&) {
                // A bad sound setting costs the sound of the global settings,
                // not the reminder.
            }
        }
        SoundReminderAlert(ctx_.sound, ctx_.settings, at->second.scheduleSound, at->second.soundName);
    }
}

void ClockTick::Evaluate(const std::string& name, Seconds tick, std::int64_t today, const PassPlan& plan) {
    // One schedule's trouble (a text the current regional settings cannot
    // read, a value of the wrong type, a write the store refuses) skips that
    // schedule for this pass; the others go on.
    try {
        const ScheduleCache::Entry* entry = cache_.Find(name);
        if (!entry) return;  // gone since the listing
        // The pass's own writes replace the entry's record in place.
        const ScheduleRecord& record = entry->record;
        // A schedule that has not started needs nothing but its start date.
        ScheduleTiming t;
        t.startDate = record.StartDate(today);
        if (IsNotStarted(t, today)) return;
        t = record.TimingAfterStart(today, t.startDate);

        if (plan.missedFrom < tick) {
            // Minutes passed without a pass: what fell due in them, and the
            // window moved on by the cycles they held.
            const MissedSpan span = WalkMissedSpan(t, plan.missedFrom, tick);
            if (span.due.count > 0) ReportMissed(record, name, span.due);
            if (span.moved) {
                t = span.window;
                WriteDates(name, t);
            }
            if (span.noSuchDay) return;
        } else if (CycleHasEnded(t, tick)) {
            auto r = AdvanceCycle(t);
            if (r.status == Advance::NoSuchDay) return;
            if (r.status == Advance::Moved) {
                t = WithWindow(t, r.window);
                WriteDates(name, t);
            }
        }

        if (ctx_.settings.AutoDelSched && IsExpired(t, tick, ctx_.settings.DelSchedDays)) {
            if (DeleteKey(cache_.Writer(), cfg::ScheduleKey(name))) {
                ctx_.host.WriteLogLine("Schedule deleted: " + name);
                return;
            }
            // Not deleted: nothing logged, tried again next pass.
        }

        if (!plan.fireDue) return;
        if (today < DayOf(t.Start())) return;
        if (!IsDue(t, tick)) return;

        const ScheduleAction a = record.action.Get();
        if (a.type == cfg::kTypeReminder) {
            pending_.push_back(MakeReminderItem(a.message, ReminderDescription(t, ctx_.locale), name));
            SoundReminderAlert(ctx_.sound, ctx_.settings, a.scheduleSound, a.soundName);
        } else {
            if (a.scheduleSound && !a.soundName.empty()) ctx_.sound.PlayFile(a.soundName);
            ctx_.host.LaunchProgram(name, a.message, a.workingDir, a.windowState);
        }
    } catch (const AppError& e) {
        ReportUnreadable(name, e.what());
    }
}

void ClockTick::WriteDates(const std::string& name, const ScheduleTiming& t) {
    Store& store = cache_.Writer();
    const std::string keyPath = cfg::ScheduleKey(name);
    cfg::Write(store, keyPath, cfg::schedule::StartDate, DateToText(t.startDate, ctx_.locale));
    cfg::Write(store, keyPath, cfg::schedule::EndDate, DateToText(t.endDate, ctx_.locale));
}

void ClockTick::ReportMissed(const ScheduleRecord& record, const std::string& name, const DueMoments& due) {
    const ScheduleAction a = record.action.Get();
    const MissedNote note{a.type != cfg::kTypeReminder, DateTimeToText(FromSeconds(due.last), ctx_.locale),
                          due.count};
    if (!note.launch) {
        pending_.push_back(MakeReminderItem(a.message, MissedDescription(note), name));
        SoundReminderAlert(ctx_.sound, ctx_.settings, a.scheduleSound, a.soundName);
        return;
    }
    // A program is never started late: what it does may no longer fit the
    // moment. The user learns that it did not run.
    if (ctx_.settings.LogLaunches)
        ctx_.host.WriteLogLine("Missed launch:" + name + " Due:" + note.due + " Program:" + a.message);
    pending_.push_back(MakeReminderItem(NotStartedMessage(note.due, a.message), MissedDescription(note), name));
}

void ClockTick::ReportBadSnooze(std::string_view valueName, std::string_view why) {
    const std::string problem = std::string(cfg::kSnoozedKey) + '\n' + std::string(valueName) + '\n' + std::string(why);
    if (!reported_.insert(problem).second) return;
    ctx_.host.WriteLogLine("Snoozed reminder skipped: " + std::string(valueName) + " (" + std::string(why) + ")");
}

// Once per change of the schedule: the same error is not logged again each
// minute, but a new write that still does not decode is.
void ClockTick::ReportUnreadable(const std::string& name, const std::string& error) {
    ScheduleCache::Entry* entry = cache_.Find(name);
    if (entry && !entry->reported.insert(error).second) return;
    ctx_.host.WriteLogLine("Schedule skipped: " + name + " (" + error + ")");
}

}  // namespace pw::sched
