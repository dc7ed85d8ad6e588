// Native: the pass after a 7-day gap over 10,000 schedules on the memory
// store, against an ordinary pass.
#include "missed_pass.h"

#include "common/memory_store.h"

int main() {
    pw::MemoryStore store;
    pw::bench::CompareMissedPass(store, pw::Locale::EnGB(), "memory store");
    return 0;
}
