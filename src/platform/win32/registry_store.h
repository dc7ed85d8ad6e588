#pragma once
// The configuration store on the Windows registry.

#include "common/store.h"

namespace pw::win {

class RegistryStore : public Store {
public:
    RegistryStore() = default;
    // view: KEY_WOW64_64KEY for a 32-bit program that must read the keys
    // an administrator's 64-bit tools write (HKLM\Software is split in two
    // on 64-bit Windows); 0 for the program's own view. Used by Open.
    explicit RegistryStore(unsigned long view) : view_(view) {}

    std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) override;
    bool DeleteTree(Root root, std::string_view path) override;
    // RegNotifyChangeKeyValue on the key's subtree, names and values.
    std::unique_ptr<StoreWatch> Watch(Root root, std::string_view path) override;

private:
    unsigned long view_ = 0;
};

}  // namespace pw::win
