#pragma once
// Reads one schedule record's thirteen values N times through the value
// accessors and prints the time per value. Shared by the native benchmark
// (memory store) and the Windows one (registry).

#include <chrono>
#include <cstdio>
#include <string>

#include "common/store.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::bench {

inline void FillRecord(Store& store, const std::string& key) {
    using namespace cfg;
    Write(store, key, schedule::ScheduleType, 1);
    Write(store, key, schedule::Message, "Stand up and stretch");
    Write(store, key, schedule::WorkingDir, "");
    Write(store, key, schedule::WindowState, "normal");
    Write(store, key, schedule::ScheduleSound, false);
    Write(store, key, schedule::SoundName, "");
    Write(store, key, schedule::StartDate, "08/12/2026");
    Write(store, key, schedule::StartTime, "09:30:00");
    Write(store, key, schedule::EndDate, "09/12/2026");
    Write(store, key, schedule::EndTime, "17:30:00");
    Write(store, key, schedule::RepeatPeriod, "01:00:00");
    Write(store, key, schedule::RepeatCycleNumber, 1);
    Write(store, key, schedule::RepeatCycleUnit, "days");
}

// Returns a checksum so the reads cannot be optimised away.
inline std::size_t ReadRecord(Store& store, const std::string& key) {
    using namespace cfg;
    std::size_t sum = 0;
    sum += static_cast<std::size_t>(Read(store, key, schedule::ScheduleType));
    sum += Read(store, key, schedule::Message).size();
    sum += Read(store, key, schedule::WorkingDir).size();
    sum += Read(store, key, schedule::WindowState).size();
    sum += Read(store, key, schedule::ScheduleSound);
    sum += Read(store, key, schedule::SoundName).size();
    sum += ReadRegString(store, key, schedule::StartDate.name, "").size();
    sum += Read(store, key, schedule::StartTime).size();
    sum += ReadRegString(store, key, schedule::EndDate.name, "").size();
    sum += Read(store, key, schedule::EndTime).size();
    sum += Read(store, key, schedule::RepeatPeriod).size();
    sum += static_cast<std::size_t>(Read(store, key, schedule::RepeatCycleNumber));
    sum += Read(store, key, schedule::RepeatCycleUnit).size();
    return sum;
}

// The same record through one open key.
inline std::size_t ReadRecordOnce(Store& store, const std::string& key) {
    using namespace cfg;
    KeyReader k(store, key);
    std::size_t sum = 0;
    sum += static_cast<std::size_t>(Read(k, schedule::ScheduleType));
    sum += Read(k, schedule::Message).size();
    sum += Read(k, schedule::WorkingDir).size();
    sum += Read(k, schedule::WindowState).size();
    sum += Read(k, schedule::ScheduleSound);
    sum += Read(k, schedule::SoundName).size();
    sum += k.ReadString(schedule::StartDate.name, "").size();
    sum += Read(k, schedule::StartTime).size();
    sum += k.ReadString(schedule::EndDate.name, "").size();
    sum += Read(k, schedule::EndTime).size();
    sum += Read(k, schedule::RepeatPeriod).size();
    sum += static_cast<std::size_t>(Read(k, schedule::RepeatCycleNumber));
    sum += Read(k, schedule::RepeatCycleUnit).size();
    return sum;
}

inline int Run(Store& store, const char* label, int n) {
    const std::string key = cfg::ScheduleKey("Benchmark record");
    FillRecord(store, key);
    std::size_t sum = ReadRecord(store, key);  // warm
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) sum += ReadRecord(store, key);
    auto t1 = std::chrono::steady_clock::now();
    double us = std::chrono::duration<double, std::micro>(t1 - t0).count();
    std::printf("%s, key opened per value: %d records x 13 values in %.1f ms: %.3f us per value (checksum %zu)\n",
                label, n, us / 1000.0, us / (13.0 * n), sum);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) sum += ReadRecordOnce(store, key);
    t1 = std::chrono::steady_clock::now();
    us = std::chrono::duration<double, std::micro>(t1 - t0).count();
    std::printf("%s, key opened per record: %d records x 13 values in %.1f ms: %.3f us per value (checksum %zu)\n",
                label, n, us / 1000.0, us / (13.0 * n), sum);
    DeleteKey(store, key);
    return 0;
}

}  // namespace pw::bench
