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

    // Opened with creation, so the key exists from the first pass on. When it
    // can be neither opened nor created, the names of the last pass stay and
    // this pass walks nothing.
    if (auto key = ctx_.store.Open(Root::CurrentUser, cfg::kSchedulesKey, OpenMode::Create)) {
        names_ = key->SubkeyNames();
        key.reset();
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
    const std::string keyPath = cfg::ScheduleKey(name);
    // One schedule's trouble (a text the current regional settings cannot
    // read, a value of the wrong type, a write the store refuses) skips that
    // schedule for this pass; the others go on.
    try {
        KeyReader key(ctx_.store, keyPath);
        if (!key.Exists()) return;  // gone since the listing
        // The values are read as the steps need them; a schedule that has not
        // started costs one read.
        ScheduleTiming t;
        t.startDate = ReadStartDate(key, ctx_.locale, today);
        if (IsNotStarted(t, today)) return;
        t = ReadTimingAfterStart(key, ctx_.locale, today, t.startDate);

        if (plan.missedFrom < tick) {
            // Minutes passed without a pass: what fell due in them, and the
            // window moved on by the cycles they held.
            const MissedSpan span = WalkMissedSpan(t, plan.missedFrom, tick);
            if (span.due.count > 0) ReportMissed(key, name, span.due);
            if (span.moved) {
                t = span.window;
                WriteDates(keyPath, t);
            }
            if (span.noSuchDay) return;
        } else if (CycleHasEnded(t, tick)) {
            auto r = AdvanceCycle(t);
            if (r.status == Advance::NoSuchDay) return;
            if (r.status == Advance::Moved) {
                t = WithWindow(t, r.window);
                WriteDates(keyPath, t);
            }
        }

        if (ctx_.settings.AutoDelSched && IsExpired(t, tick, ctx_.settings.DelSchedDays)) {
            if (DeleteKey(ctx_.store, keyPath)) {
                ctx_.host.WriteLogLine("Schedule deleted: " + name);
                ctx_.host.RemoveFromScheduleList(name);
                return;
            }
            // Not deleted: nothing logged, tried again next pass.
        }

        if (!plan.fireDue) return;
        if (today < DayOf(t.Start())) return;
        if (!IsDue(t, tick)) return;

        const ScheduleAction a = ReadAction(key);
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

void ClockTick::WriteDates(const std::string& keyPath, const ScheduleTiming& t) {
    cfg::Write(ctx_.store, keyPath, cfg::schedule::StartDate, DateToText(t.startDate, ctx_.locale));
    cfg::Write(ctx_.store, keyPath, cfg::schedule::EndDate, DateToText(t.endDate, ctx_.locale));
}

void ClockTick::ReportMissed(KeyReader& key, const std::string& name, const DueMoments& due) {
    const ScheduleAction a = ReadAction(key);
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

void ClockTick::ReportUnreadable(const std::string& name, const std::string& error) {
    if (!reported_.insert(name + '\n' + error).second) return;
    ctx_.host.WriteLogLine("Schedule skipped: " + name + " (" + error + ")");
}

}  // namespace pw::sched
