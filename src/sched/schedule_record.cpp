#include "sched/schedule_record.h"

#include "common/datefmt.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::sched {

namespace {

std::optional<DateTime> ReadDate(KeyReader& key, const cfg::DateValue& v, const Locale& loc) {
    auto text = key.ReadStringIfPresent(v.name);
    if (!text) return std::nullopt;
    return DateOf(TextToDate(*text, loc));
}

DateTime ReadTime(KeyReader& key, const cfg::TimeValue& v, const Locale& loc) {
    return TimeOf(TextToTime(cfg::Read(key, v), loc));
}

DateTime DateOrDefault(const std::optional<DateTime>& d, const cfg::DateValue& v, std::int64_t today) {
    return d ? *d : static_cast<DateTime>(today + v.defDays);
}

}  // namespace

ScheduleRecord DecodeRecord(KeyReader& key, const Locale& loc) {
    using namespace cfg;
    ScheduleRecord r;
    r.startDate = Decoded<std::optional<DateTime>>::Of([&] { return ReadDate(key, schedule::StartDate, loc); });
    r.timing = Decoded<StoredTiming>::Of([&] {
        StoredTiming t;
        t.startTime = ReadTime(key, schedule::StartTime, loc);
        t.endDate = ReadDate(key, schedule::EndDate, loc);
        t.endTime = ReadTime(key, schedule::EndTime, loc);
        t.repeatPeriod = ReadTime(key, schedule::RepeatPeriod, loc);
        t.cycleNumber = Read(key, schedule::RepeatCycleNumber);
        t.cycleUnit = ParseCycleUnit(Read(key, schedule::RepeatCycleUnit));
        return t;
    });
    r.action = Decoded<ScheduleAction>::Of([&] {
        ScheduleAction a;
        a.type = Read(key, schedule::ScheduleType);
        a.message = Read(key, schedule::Message);
        a.workingDir = Read(key, schedule::WorkingDir);
        a.windowState = Read(key, schedule::WindowState);
        a.scheduleSound = Read(key, schedule::ScheduleSound);
        a.soundName = Read(key, schedule::SoundName);
        return a;
    });
    return r;
}

DateTime ScheduleRecord::StartDate(std::int64_t today) const {
    return DateOrDefault(startDate.Get(), cfg::schedule::StartDate, today);
}

ScheduleTiming ScheduleRecord::TimingAfterStart(std::int64_t today, DateTime start) const {
    const StoredTiming& v = timing.Get();
    ScheduleTiming t;
    t.startDate = start;
    t.startTime = v.startTime;
    t.endDate = DateOrDefault(v.endDate, cfg::schedule::EndDate, today);
    t.endTime = v.endTime;
    t.repeatPeriod = v.repeatPeriod;
    t.cycleNumber = v.cycleNumber;
    t.cycleUnit = v.cycleUnit;
    return t;
}

}  // namespace pw::sched
