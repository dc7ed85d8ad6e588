#pragma once
// A store kept in memory, with the registry's rules: names compare without
// letter case, subkeys enumerate in name order, values in the order they
// were first written.

#include <map>
#include <memory>

#include "common/store.h"

namespace pw {

class MemoryStore : public Store {
public:
    MemoryStore();
    ~MemoryStore() override;

    std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) override;
    bool DeleteTree(Root root, std::string_view path) override;

    struct Node;

private:
    std::map<Root, std::unique_ptr<Node>> roots_;
};

}  // namespace pw
