// Native: one pass of the tick over 1,000 and 10,000 schedules on the
// memory store.
#include "tick_pass.h"

#include "common/memory_store.h"

int main() {
    const auto loc = pw::Locale::EnGB();
    pw::MemoryStore store;
    double a = pw::bench::TimePass(store, loc, 1000, "memory store");
    double b = pw::bench::TimePass(store, loc, 10000, "memory store");
    std::printf("growth from 1,000 to 10,000: %.1fx\n", b / a);
    return 0;
}
