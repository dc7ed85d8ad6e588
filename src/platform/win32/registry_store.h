#pragma once
// The configuration store on the Windows registry.

#include "common/store.h"

namespace pw::win {

class RegistryStore : public Store {
public:
    std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) override;
    bool DeleteTree(Root root, std::string_view path) override;
    // RegNotifyChangeKeyValue on the key's subtree, names and values.
    std::unique_ptr<StoreWatch> Watch(Root root, std::string_view path) override;
};

}  // namespace pw::win
