#include "sched/schedule_record.h"

#include "common/datefmt.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::sched {

namespace {

DateTime ReadDate(KeyReader& key, const cfg::DateValue& v, const Locale& loc, std::int64_t today) {
    auto text = key.ReadStringIfPresent(v.name);
    if (!text) return static_cast<DateTime>(today + v.defDays);
    return DateOf(TextToDate(*text, loc));
}

DateTime ReadTime(KeyReader& key, const cfg::TimeValue& v, const Locale& loc) {
    return TimeOf(TextToTime(cfg::Read(key, v), loc));
}

}  // namespace

DateTime ReadStartDate(KeyReader& key, const Locale& loc, std::int64_t today) {
    return ReadDate(key, cfg::schedule::StartDate, loc, today);
}

ScheduleTiming ReadTimingAfterStart(KeyReader& key, const Locale& loc, std::int64_t today, DateTime startDate) {
    using namespace cfg;
    ScheduleTiming t;
    t.startDate = startDate;
    t.startTime = ReadTime(key, schedule::StartTime, loc);
    t.endDate = ReadDate(key, schedule::EndDate, loc, today);
    t.endTime = ReadTime(key, schedule::EndTime, loc);
    t.repeatPeriod = ReadTime(key, schedule::RepeatPeriod, loc);
    t.cycleNumber = Read(key, schedule::RepeatCycleNumber);
    t.cycleUnit = Read(key, schedule::RepeatCycleUnit);
    return t;
}

ScheduleAction ReadAction(KeyReader& key) {
    using namespace cfg;
    ScheduleAction a;
    a.type = Read(key, schedule::ScheduleType);
    a.message = Read(key, schedule::Message);
    a.workingDir = Read(key, schedule::WorkingDir);
    a.windowState = Read(key, schedule::WindowState);
    a.scheduleSound = Read(key, schedule::ScheduleSound);
    a.soundName = Read(key, schedule::SoundName);
    return a;
}

}  // namespace pw::sched
