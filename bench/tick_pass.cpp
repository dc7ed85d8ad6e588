// Native: passes of the tick over 1,000 and 10,000 schedules on the
// memory store.
#include "tick_pass.h"

#include "common/memory_store.h"

int main() {
    const auto loc = pw::Locale::EnGB();
    pw::MemoryStore store;
    pw::bench::ReportPasses(store, loc, "memory store");
    return 0;
}
