// Native: the memory store.
#include "store_read.h"

#include <cstdlib>

#include "common/memory_store.h"

int main(int argc, char** argv) {
    int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    pw::MemoryStore store;
    return pw::bench::Run(store, "memory store", n);
}
