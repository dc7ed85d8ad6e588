#include "support/fake_store.h"

namespace pw::test {

namespace {

class CountedKey : public StoreKey {
public:
    CountedKey(std::unique_ptr<StoreKey> inner, TestStore& owner, Root root, std::string path)
        : inner_(std::move(inner)), owner_(owner), root_(root), path_(std::move(path)) {
        ++owner_.counts.openKeys;
    }
    ~CountedKey() override { --owner_.counts.openKeys; }

    std::optional<StoreValue> GetValue(std::string_view name) override {
        ++owner_.counts.reads;
        return inner_->GetValue(name);
    }
    bool SetValue(std::string_view name, const StoreValue& value) override {
        ++owner_.counts.writes;
        if (owner_.refuse.write && owner_.refuse.write(root_, path_, name)) return false;
        return inner_->SetValue(name, value);
    }
    bool DeleteValue(std::string_view name) override {
        ++owner_.counts.writes;
        if (owner_.refuse.write && owner_.refuse.write(root_, path_, name)) return false;
        return inner_->DeleteValue(name);
    }
    std::vector<std::string> SubkeyNames() override {
        ++owner_.counts.lists;
        return inner_->SubkeyNames();
    }
    std::optional<std::string> SubkeyName(std::size_t index) override {
        ++owner_.counts.lists;
        return inner_->SubkeyName(index);
    }
    std::vector<std::string> ValueNames() override {
        ++owner_.counts.lists;
        return inner_->ValueNames();
    }
    // A read of each value, as a store that reads a key whole still does.
    Contents ReadContents() override {
        auto c = inner_->ReadContents();
        owner_.counts.reads += static_cast<int>(c.values.size());
        return c;
    }
    std::vector<SubkeyStamp> SubkeyStamps() override {
        ++owner_.counts.lists;
        return inner_->SubkeyStamps();
    }

private:
    std::unique_ptr<StoreKey> inner_;
    TestStore& owner_;
    Root root_;
    std::string path_;
};

}  // namespace

std::unique_ptr<StoreKey> TestStore::Open(Root root, std::string_view path, OpenMode mode) {
    ++counts.opens;
    if (refuse.open && refuse.open(root, path)) return nullptr;
    auto k = inner_->Open(root, path, mode);
    if (!k) return nullptr;
    return std::make_unique<CountedKey>(std::move(k), *this, root, std::string(path));
}

std::unique_ptr<StoreWatch> TestStore::Watch(Root root, std::string_view path) {
    if (refuse.watch && refuse.watch(root, path)) return nullptr;
    return inner_->Watch(root, path);
}

bool TestStore::DeleteTree(Root root, std::string_view path) {
    ++counts.deletes;
    if (refuse.deleteTree && refuse.deleteTree(root, path)) return false;
    return inner_->DeleteTree(root, path);
}

}  // namespace pw::test
