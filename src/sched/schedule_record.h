#pragma once
// One schedule record as the engine keeps it: decoded once from the
// store's values, in three parts read in the order a pass needs them (the
// start date, which is all most schedules need; the other timing values;
// the action values, for a schedule that falls due). A part whose values
// do not decode keeps the error of its first bad value and raises it when
// the pass asks for it, so a pass meets the same error at the same step as
// if it had read the store then.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "common/datetime.h"
#include "common/errors.h"
#include "common/locale.h"
#include "common/store_access.h"
#include "sched/recurrence.h"

namespace pw::sched {

struct ScheduleAction {
    std::int32_t type = 1;  // 1 shows a reminder; any other value launches Message
    std::string message;
    std::string workingDir;
    std::string windowState;
    bool scheduleSound = false;
    std::string soundName;
    bool operator==(const ScheduleAction&) const = default;
};

// A decoded part, or the text of the error that stopped its decoding.
template <class T>
class Decoded {
public:
    template <class Decode>
    static Decoded Of(Decode decode) {
        Decoded d;
        try {
            d.v_ = decode();
        } catch (const AppError& e) {
            d.v_ = Failure{e.what()};
        }
        return d;
    }
    const T& Get() const {
        if (auto* f = std::get_if<Failure>(&v_)) throw AppError(f->error);
        return std::get<T>(v_);
    }
    bool operator==(const Decoded&) const = default;

private:
    struct Failure {
        std::string error;
        bool operator==(const Failure&) const = default;
    };
    std::variant<T, Failure> v_;
};

// The timing values after the start date. Dates are kept as stored: a
// missing one means "today" (or tomorrow) on the day of each pass, not on
// the day it was read.
struct StoredTiming {
    DateTime startTime = 0;
    std::optional<DateTime> endDate;
    DateTime endTime = 0;
    DateTime repeatPeriod = 0;
    std::int64_t cycleNumber = 0;
    CycleUnit cycleUnit = CycleUnit::Disabled;
    bool operator==(const StoredTiming&) const = default;
};

struct ScheduleRecord {
    Decoded<std::optional<DateTime>> startDate;
    Decoded<StoredTiming> timing;
    Decoded<ScheduleAction> action;

    DateTime StartDate(std::int64_t today) const;
    // The other timing values, given the start date already taken.
    ScheduleTiming TimingAfterStart(std::int64_t today, DateTime startDate) const;
    bool operator==(const ScheduleRecord&) const = default;
};

ScheduleRecord DecodeRecord(KeyReader& key, const Locale& loc);

}  // namespace pw::sched
