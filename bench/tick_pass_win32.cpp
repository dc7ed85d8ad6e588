// Windows: passes of the tick over 1,000 and 10,000 schedules in the
// registry (run under Wine with scripts/wine-run).
#include <cstdio>

#include "platform/win32/registry_store.h"
#include "tick_pass.h"

int main() {
    const auto loc = pw::Locale::EnGB();
    pw::win::RegistryStore store;
    pw::bench::ReportPasses(store, loc, "registry");
    return 0;
}
