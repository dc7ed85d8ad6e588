// Windows: one pass of the tick over 1,000 and 10,000 schedules in the
// registry (run under Wine with scripts/wine-run).
#include <cstdio>

#include "platform/win32/registry_store.h"
#include "tick_pass.h"

int main() {
    const auto loc = pw::Locale::EnGB();
    pw::win::RegistryStore store;
    double a = pw::bench::TimePass(store, loc, 1000, "registry");
    double b = pw::bench::TimePass(store, loc, 10000, "registry");
    std::printf("growth from 1,000 to 10,000: %.1fx\n", b / a);
    return 0;
}
