#pragma once
// Store decorators for tests: one counts every access, one refuses chosen
// operations, so tests can see that code reads without writing, opens and
// closes its keys, and survives a store that says no.

#include <functional>
#include <memory>
#include <string>

#include "common/memory_store.h"

namespace pw::test {

struct StoreCounts {
    int opens = 0;
    int openKeys = 0;  // handles currently open
    int reads = 0;
    int writes = 0;
    int deletes = 0;
    int lists = 0;
};

// What a refusing store says no to. Each rule gets the root and the path
// (and the value name for writes) and returns true to refuse.
struct Refusals {
    std::function<bool(Root, std::string_view)> open;
    std::function<bool(Root, std::string_view, std::string_view)> write;
    std::function<bool(Root, std::string_view)> deleteTree;
    std::function<bool(Root, std::string_view)> watch;
};

class TestStore : public Store {
public:
    TestStore() : inner_(std::make_unique<MemoryStore>()) {}

    std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) override;
    bool DeleteTree(Root root, std::string_view path) override;
    std::unique_ptr<StoreWatch> Watch(Root root, std::string_view path) override;

    StoreCounts counts;
    Refusals refuse;

private:
    std::unique_ptr<MemoryStore> inner_;
};

}  // namespace pw::test
