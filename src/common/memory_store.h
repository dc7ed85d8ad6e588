#pragma once
// A store kept in memory, with the registry's rules: names compare without
// letter case, subkeys enumerate in name order, values in the order they
// were first written. Every change stamps the key it changed with a
// store-wide count, and a watch sees any change of the store.

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
    std::unique_ptr<StoreWatch> Watch(Root root, std::string_view path) override;

    // Off: Watch gives nothing, as for a registry that refuses the watch.
    bool watchable = true;

    struct Node;

private:
    std::map<Root, std::unique_ptr<Node>> roots_;
    std::uint64_t changes_ = 0;
};

}  // namespace pw
