#pragma once
// Backup and restore of N schedules: ExportRegistryTree and
// ImportRegistryFile timed for growing N, with the time per schedule
// against the smallest N of the same run (1.00 is linear) and the peak
// memory the routine took beyond what the process held before it (flat
// means it does not grow with N). Shared by the native benchmark (memory
// store, files on disk) and the Windows one (registry).

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "common/backup.h"
#include "common/files.h"
#include "common/store.h"
#include "store_read.h"

namespace pw::bench {

// Peak memory of the process since the last reset, and the reset.
struct MemoryProbe {
    std::function<void()> resetPeak;
    std::function<double()> peakMb;
    std::function<double()> currentMb;
};

inline int RunBackup(Store& store, FileSystem& fs, const std::string& dir, const MemoryProbe& mem,
                     const char* label) {
    const std::string base = "Software\\PlenwickBench\\Plenwick";
    const std::string file = dir + "registry.cfg";
    double baseExport = 0, baseImport = 0;
    int baseN = 0;
    bool warm = false;
    // The first round only warms caches and the allocator.
    for (int n : {1000, 1000, 2000, 5000, 10000}) {
        store.DeleteTree(Root::CurrentUser, base);
        for (int i = 0; i < n; ++i) FillRecord(store, JoinKeyPath(base, "Schedules\\Schedule " + std::to_string(i)));

        double before = mem.currentMb();
        mem.resetPeak();
        auto t0 = std::chrono::steady_clock::now();
        auto r = ExportRegistryTree(store, fs, file, base);
        auto t1 = std::chrono::steady_clock::now();
        double exportExtra = mem.peakMb() - before;
        if (!r.Ok()) {
            std::printf("%s: export failed\n", label);
            return 1;
        }

        store.DeleteTree(Root::CurrentUser, base);
        before = mem.currentMb();
        mem.resetPeak();
        auto t2 = std::chrono::steady_clock::now();
        auto in = ImportRegistryFile(store, fs, file);
        auto t3 = std::chrono::steady_clock::now();
        double importExtra = mem.peakMb() - before;
        if (in.values != n * 13) {
            std::printf("%s: import wrote %d values, not %d\n", label, in.values, n * 13);
            return 1;
        }

        double ex = std::chrono::duration<double>(t1 - t0).count();
        double im = std::chrono::duration<double>(t3 - t2).count();
        if (!warm) {
            warm = true;
            continue;
        }
        if (baseN == 0) baseN = n, baseExport = ex / n, baseImport = im / n;
        std::printf("%s, %5d schedules: export %.3f s (%.2f x per schedule, +%.1f MB peak), "
                    "import %.3f s (%.2f x per schedule, +%.1f MB peak)\n",
                    label, n, ex, (ex / n) / baseExport, exportExtra, im, (im / n) / baseImport, importExtra);
    }
    store.DeleteTree(Root::CurrentUser, "Software\\PlenwickBench");
    fs.Remove(file);
    std::printf("%s: per-schedule ratios are against %d schedules; goal under 5 s each at 10000\n", label, baseN);
    return 0;
}

}  // namespace pw::bench
