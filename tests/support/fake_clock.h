#pragma once
// A clock for tests: reads whatever the test sets, and records each attempt
// to set it instead of touching the machine's clock.

#include <stdexcept>
#include <vector>

#include "common/clock.h"

namespace pw::test {

class FakeClock : public Clock {
public:
    DateTime local = 0;        // what Now() returns
    int biasMinutes = 0;       // UTC = local + bias
    ClockSet setAnswer = ClockSet::Done;  // what SetUtc answers
    bool followSets = true;    // a successful SetUtc moves local time too
    std::vector<DateTime> sets;  // every SetUtc call, in order
    bool throwOnSet = false;     // SetUtc raises an error (after noting the call)

    DateTime Now() override { return local; }
    DateTime UtcNow() override { return local + biasMinutes / 1440.0; }
    ClockSet SetUtc(DateTime utc) override {
        sets.push_back(utc);
        if (throwOnSet) throw std::runtime_error("the clock cannot be set");
        if (setAnswer != ClockSet::Done) return setAnswer;
        if (followSets) local = utc - biasMinutes / 1440.0;
        return ClockSet::Done;
    }
    int ZoneBiasMinutes() override { return biasMinutes; }

    void Advance(double days) { local += days; }
    void AdvanceSeconds(double s) { local += s / 86400.0; }
};

}  // namespace pw::test
