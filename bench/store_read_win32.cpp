// Windows: the registry (run it under Wine with scripts/wine-run).
#include <cstdlib>

#include "platform/win32/registry_store.h"
#include "store_read.h"

int main(int argc, char** argv) {
    int n = argc > 1 ? std::atoi(argv[1]) : 2000;
    pw::win::RegistryStore store;
    return pw::bench::Run(store, "registry", n);
}
