#include "common/memory_store.h"

#include <algorithm>

namespace pw {

struct MemoryStore::Node {
    std::string name;
    std::uint64_t stamp = 0;
    std::vector<std::pair<std::string, StoreValue>> values;  // first-write order
    std::vector<std::unique_ptr<Node>> children;            // kept in name order

    // Children are kept sorted, so a key among thousands is found by
    // binary search and a pass over every schedule stays linear.
    std::vector<std::unique_ptr<Node>>::iterator LowerBound(std::string_view n) {
        return std::lower_bound(children.begin(), children.end(), n,
                                [](const std::unique_ptr<Node>& c, std::string_view x) { return NameLess(c->name, x); });
    }
    Node* Child(std::string_view n) {
        auto it = LowerBound(n);
        return it != children.end() && NamesEqual((*it)->name, n) ? it->get() : nullptr;
    }
    Node* AddChild(std::string_view n) {
        auto node = std::make_unique<Node>();
        node->name = std::string(n);
        return children.insert(LowerBound(n), std::move(node))->get();
    }
};

namespace {

// A key handle refers to its node by path, so that a key deleted while a
// handle is open makes the handle fail instead of touching freed memory.
class MemoryKey : public StoreKey {
public:
    MemoryKey(MemoryStore::Node* root, std::vector<std::string> path, bool writable, std::uint64_t& changes)
        : root_(root), path_(std::move(path)), writable_(writable), changes_(changes) {}

    std::optional<StoreValue> GetValue(std::string_view name) override {
        auto* n = Resolve();
        if (!n) return std::nullopt;
        for (auto& [k, v] : n->values)
            if (NamesEqual(k, name)) return v;
        return std::nullopt;
    }

    bool SetValue(std::string_view name, const StoreValue& value) override {
        auto* n = Resolve();
        if (!n || !writable_) return false;
        n->stamp = ++changes_;
        for (auto& [k, v] : n->values)
            if (NamesEqual(k, name)) {
                v = value;
                return true;
            }
        n->values.emplace_back(std::string(name), value);
        return true;
    }

    bool DeleteValue(std::string_view name) override {
        auto* n = Resolve();
        if (!n || !writable_) return false;
        auto it = std::find_if(n->values.begin(), n->values.end(), [&](auto& kv) { return NamesEqual(kv.first, name); });
        if (it == n->values.end()) return false;
        n->values.erase(it);
        n->stamp = ++changes_;
        return true;
    }

    std::vector<std::string> SubkeyNames() override {
        std::vector<std::string> out;
        if (auto* n = Resolve())
            for (auto& c : n->children) out.push_back(c->name);
        return out;
    }

    std::optional<std::string> SubkeyName(std::size_t index) override {
        auto* n = Resolve();
        if (!n || index >= n->children.size()) return std::nullopt;
        return n->children[index]->name;
    }

    std::vector<SubkeyStamp> SubkeyStamps() override {
        std::vector<SubkeyStamp> out;
        if (auto* n = Resolve())
            for (auto& c : n->children) out.push_back({c->name, c->stamp});
        return out;
    }

    Contents ReadContents() override {
        Contents c = StoreKey::ReadContents();
        if (auto* n = Resolve()) c.stamp = n->stamp;
        return c;
    }

    std::vector<std::string> ValueNames() override {
        std::vector<std::string> out;
        if (auto* n = Resolve())
            for (auto& kv : n->values) out.push_back(kv.first);
        return out;
    }

private:
    MemoryStore::Node* Resolve() {
        auto* n = root_;
        for (auto& p : path_) {
            n = n->Child(p);
            if (!n) return nullptr;
        }
        return n;
    }

    MemoryStore::Node* root_;
    std::vector<std::string> path_;
    bool writable_;
    std::uint64_t& changes_;
};

class MemoryWatch : public StoreWatch {
public:
    explicit MemoryWatch(const std::uint64_t& changes) : changes_(changes), seen_(changes) {}
    bool Changed() override {
        if (seen_ == changes_) return false;
        seen_ = changes_;
        return true;
    }

private:
    const std::uint64_t& changes_;
    std::uint64_t seen_;
};

}  // namespace

MemoryStore::MemoryStore() {
    for (auto r : {Root::ClassesRoot, Root::CurrentUser, Root::LocalMachine, Root::Users, Root::PerformanceData,
                   Root::CurrentConfig, Root::DynData})
        roots_[r] = std::make_unique<Node>();
}

MemoryStore::~MemoryStore() = default;

std::unique_ptr<StoreKey> MemoryStore::Open(Root root, std::string_view path, OpenMode mode) {
    auto* n = roots_.at(root).get();
    std::vector<std::string> names;
    for (auto part : SplitKeyPath(path)) {
        if (part.empty()) return nullptr;  // "a\\b": no key has an empty name
        auto* c = n->Child(part);
        if (!c) {
            if (mode != OpenMode::Create) return nullptr;
            n->stamp = ++changes_;
            c = n->AddChild(part);
            c->stamp = changes_;
        }
        names.emplace_back(c->name);
        n = c;
    }
    return std::make_unique<MemoryKey>(roots_.at(root).get(), std::move(names), mode != OpenMode::Read,
                                       changes_);
}

bool MemoryStore::DeleteTree(Root root, std::string_view path) {
    auto parts = SplitKeyPath(path);
    if (parts.empty()) return false;  // a root itself cannot be deleted
    auto* n = roots_.at(root).get();
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        n = n->Child(parts[i]);
        if (!n) return false;
    }
    auto it = n->LowerBound(parts.back());
    if (it == n->children.end() || !NamesEqual((*it)->name, parts.back())) return false;
    n->children.erase(it);
    n->stamp = ++changes_;
    return true;
}

std::unique_ptr<StoreWatch> MemoryStore::Watch(Root root, std::string_view path) {
    if (!watchable || !Open(root, path, OpenMode::Create)) return nullptr;
    return std::make_unique<MemoryWatch>(changes_);
}

}  // namespace pw
