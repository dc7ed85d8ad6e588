#pragma once
// Backup and restore of N schedules: ExportRegistryTree and
// ImportRegistryFile timed for growing N, with the time per schedule
// against the smallest N of the same run (1.00 is linear), the time against
// the least the store itself must do for it in the same round (each key
// opened once, its values read in one go or written one by one: 1.00 is
// all the store's), and the peak memory the routine took beyond what the process
// held before it (flat means it does not grow with N). Shared by the native
// benchmark (memory store, files on disk) and the Windows one (registry).

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup.h"
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

inline std::string RecordKey(const std::string& base, int i) {
    return JoinKeyPath(base, "Schedules\\Schedule " + std::to_string(i));
}

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
        for (int i = 0; i < n; ++i) FillRecord(store, RecordKey(base, i));

        // The floors: every record read, then written anew into an empty
        // tree, through one open key.
        auto f0 = std::chrono::steady_clock::now();
        std::vector<std::pair<std::string, StoreValue>> values;
        for (int i = 0; i < n; ++i) {
            auto key = store.Open(Root::CurrentUser, RecordKey(base, i), OpenMode::Read);
            values.clear();
            for (auto& [name, value] : key->ReadContents().values) values.emplace_back(name, *value);
        }
        auto f1 = std::chrono::steady_clock::now();
        store.DeleteTree(Root::CurrentUser, base);
        auto f2 = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) {
            auto key = store.Open(Root::CurrentUser, RecordKey(base, i), OpenMode::Create);
            for (auto& [name, value] : values) key->SetValue(name, value);
        }
        auto f3 = std::chrono::steady_clock::now();

        double before = mem.currentMb();
        mem.resetPeak();
        auto t0 = std::chrono::steady_clock::now();
        auto r = backup::ExportRegistryTree(store, fs, file, base);
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
        auto in = backup::ImportRegistryFile(store, fs, file);
        auto t3 = std::chrono::steady_clock::now();
        double importExtra = mem.peakMb() - before;
        if (in.values != n * 13) {
            std::printf("%s: import wrote %d values, not %d\n", label, in.values, n * 13);
            return 1;
        }

        double ex = std::chrono::duration<double>(t1 - t0).count();
        double im = std::chrono::duration<double>(t3 - t2).count();
        double readFloor = std::chrono::duration<double>(f1 - f0).count();
        double writeFloor = std::chrono::duration<double>(f3 - f2).count();
        if (!warm) {
            warm = true;
            continue;
        }
        if (baseN == 0) baseN = n, baseExport = ex / n, baseImport = im / n;
        std::printf("%s, %5d schedules: export %.3f s (%.2f x per schedule, %.2f x the reads, +%.1f MB peak), "
                    "import %.3f s (%.2f x per schedule, %.2f x the writes, +%.1f MB peak)\n",
                    label, n, ex, (ex / n) / baseExport, ex / readFloor, exportExtra, im, (im / n) / baseImport,
                    im / writeFloor, importExtra);
    }
    store.DeleteTree(Root::CurrentUser, "Software\\PlenwickBench");
    fs.Remove(file);
    std::printf("%s: per-schedule ratios are against %d schedules; goal under 5 s each at 10000\n", label, baseN);
    return 0;
}

}  // namespace pw::bench
