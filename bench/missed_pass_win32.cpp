// Windows: the pass after a 7-day gap over 10,000 schedules in the
// registry, against an ordinary pass (run under Wine with
// scripts/wine-run).
#include "missed_pass.h"
#include "platform/win32/registry_store.h"

int main() {
    pw::win::RegistryStore store;
    pw::bench::CompareMissedPass(store, pw::Locale::EnGB(), "registry");
    return 0;
}
