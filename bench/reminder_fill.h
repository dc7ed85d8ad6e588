#pragma once
// 300 reminders due in one minute, as the clock tick hands them to the
// reminder window. Shared by the native benchmark (the portable work of a
// fill) and the Windows one (the real window).

#include <chrono>
#include <string>
#include <vector>

#include "sched/reminder_item.h"

namespace pw::bench {

inline constexpr int kReminders = 300;

inline std::vector<std::string> DueReminders(int n) {
    std::vector<std::string> items;
    for (int i = 1; i <= n; ++i)
        items.push_back(sched::MakeReminderItem(
            "Call the supplier about order " + std::to_string(1000 + i) + " before noon",
            "Start:08/12/2026 09:30:00     [01:00:00/0disabled]     End:08/12/2026 17:00:00",
            "Reminder " + std::to_string(i)));
    return items;
}

// The best of a few runs of f, in milliseconds.
template <class F>
double BestMs(int runs, F&& f) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

}  // namespace pw::bench
