#include "common/store_access.h"

#include <algorithm>

#include "common/errors.h"

namespace pw {

namespace {

[[noreturn]] void Fail(std::string_view pattern, std::string_view name) {
    throw StoreError(FormatText(pattern, name));
}

std::optional<StoreValue> ReadValue(Store& store, std::string_view key, std::string_view name) {
    auto k = store.Open(Root::CurrentUser, key, OpenMode::Read);
    if (!k) return std::nullopt;
    return k->GetValue(name);
}

// The size of the data as the registry keeps it: a text in UTF-16 with its
// terminating null, anything else as its bytes.
std::size_t DataSize(const StoreValue& v) {
    if (!v.IsText()) return v.bytes.size();
    std::size_t units = 1;
    for (unsigned char c : v.text) {
        if ((c & 0xC0) == 0x80) continue;  // inside a character
        units += c >= 0xF0 ? 2 : 1;        // beyond the BMP: a surrogate pair
    }
    return units * 2;
}

std::uint32_t IntegerOf(const StoreValue& v, std::string_view name) {
    // Data that does not fit the four bytes of an integer cannot even be
    // fetched; data that fits but is not an integer is the wrong type.
    // Which text comes depends on the size, not on the type: a text of one
    // character fits, one of two does not.
    if (DataSize(v) > 4) Fail("Failed to get data for '%s'", name);
    if (v.type != regtype::Dword || v.bytes.size() != 4) Fail("Invalid data type for '%s'", name);
    return std::uint32_t(v.bytes[0]) | std::uint32_t(v.bytes[1]) << 8 | std::uint32_t(v.bytes[2]) << 16 |
           std::uint32_t(v.bytes[3]) << 24;
}

void Write(Store& store, std::string_view key, std::string_view name, const StoreValue& v) {
    auto k = store.Open(Root::CurrentUser, key, OpenMode::Create);
    if (!k) return;
    if (!k->SetValue(name, v)) Fail("Failed to set data for '%s'", name);
}

std::string TextOf(const std::optional<StoreValue>& v, std::string_view name, std::string_view def) {
    if (!v) return std::string(def);
    if (!v->IsText()) Fail("Invalid data type for '%s'", name);
    return v->text;
}

std::int32_t IntegerOf(const std::optional<StoreValue>& v, std::string_view name, std::int32_t def) {
    if (!v) return def;
    return static_cast<std::int32_t>(IntegerOf(*v, name));
}

bool FlagOf(const std::optional<StoreValue>& v, std::string_view name, bool def) {
    if (!v) return def;
    return IntegerOf(*v, name) != 0;
}

}  // namespace

std::string ReadRegString(Store& store, std::string_view key, std::string_view name, std::string_view def) {
    return TextOf(ReadValue(store, key, name), name, def);
}

std::int32_t ReadRegInteger(Store& store, std::string_view key, std::string_view name, std::int32_t def) {
    return IntegerOf(ReadValue(store, key, name), name, def);
}

bool ReadRegBool(Store& store, std::string_view key, std::string_view name, bool def) {
    return FlagOf(ReadValue(store, key, name), name, def);
}

KeyReader::KeyReader(Store& store, std::string_view key) : key_(store.Open(Root::CurrentUser, key, OpenMode::Read)) {}

std::string KeyReader::ReadString(std::string_view name, std::string_view def) {
    return TextOf(key_ ? key_->GetValue(name) : std::nullopt, name, def);
}

std::optional<std::string> KeyReader::ReadStringIfPresent(std::string_view name) {
    auto v = key_ ? key_->GetValue(name) : std::nullopt;
    if (!v) return std::nullopt;
    return TextOf(v, name, "");
}

std::int32_t KeyReader::ReadInteger(std::string_view name, std::int32_t def) {
    return IntegerOf(key_ ? key_->GetValue(name) : std::nullopt, name, def);
}

bool KeyReader::ReadBool(std::string_view name, bool def) {
    return FlagOf(key_ ? key_->GetValue(name) : std::nullopt, name, def);
}

void WriteRegString(Store& store, std::string_view key, std::string_view name, std::string_view text) {
    Write(store, key, name, StoreValue::Text(text));
}

void WriteRegInteger(Store& store, std::string_view key, std::string_view name, std::int32_t value) {
    Write(store, key, name, StoreValue::Dword(static_cast<std::uint32_t>(value)));
}

void WriteRegBool(Store& store, std::string_view key, std::string_view name, bool value) {
    Write(store, key, name, StoreValue::Dword(value ? 1u : 0u));
}

void SetRunAtStartup(Store& store, std::string_view entry, std::string_view command, bool enable) {
    if (auto k = store.Open(Root::CurrentUser, kRunKey, OpenMode::Create)) {
        if (enable)
            k->SetValue(entry, StoreValue::Text(command));
        else
            k->DeleteValue(entry);
    }
    if (!enable) {
        // Usually not writable without administrator rights; then the
        // machine-wide entry simply stays.
        if (auto k = store.Open(Root::LocalMachine, kRunKey, OpenMode::ReadWrite)) k->DeleteValue(entry);
    }
}

bool KeyExists(Store& store, std::string_view key) {
    return store.Open(Root::CurrentUser, key, OpenMode::Read) != nullptr;
}

std::vector<std::string> ListSubkeys(Store& store, std::string_view key, bool create) {
    auto k = store.Open(Root::CurrentUser, key, create ? OpenMode::Create : OpenMode::Read);
    if (!k) return {};
    return k->SubkeyNames();
}

bool CreateKey(Store& store, std::string_view key) {
    return store.Open(Root::CurrentUser, key, OpenMode::Create) != nullptr;
}

bool DeleteKey(Store& store, std::string_view key) {
    return store.DeleteTree(Root::CurrentUser, key);
}

bool CopyKeyContents(Store& store, Root root, std::string_view from, std::string_view to) {
    return CopyKeyContents(store, store, root, from, to);
}

bool CopyKeyContents(Store& source, Store& target, Root root, std::string_view from, std::string_view to) {
    auto src = source.Open(root, from, OpenMode::Read);
    if (!src) return false;
    // Listed before the target exists, so a target inside the source is
    // never copied into itself.
    auto subkeys = src->SubkeyNames();
    auto dst = target.Open(root, to, OpenMode::Create);
    if (!dst) return false;
    bool ok = true;
    for (auto& name : src->ValueNames()) {
        auto v = src->GetValue(name);
        ok = (v && dst->SetValue(name, *v)) && ok;
    }
    src.reset();
    dst.reset();
    for (auto& sub : subkeys)
        ok = CopyKeyContents(source, target, root, JoinKeyPath(from, sub), JoinKeyPath(to, sub)) && ok;
    return ok;
}

bool HasName(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return NamesEqual(n, name); });
}

namespace {

// Removes from target's key what model's key at the same path lacks.
bool Prune(Store& target, Store& model, Root root, const std::string& path) {
    auto want = model.Open(root, path, OpenMode::Read);
    auto have = target.Open(root, path, OpenMode::ReadWrite);
    if (!want || !have) return false;
    const auto wantValues = want->ValueNames();
    const auto wantKeys = want->SubkeyNames();
    bool ok = true;
    for (auto& name : have->ValueNames())
        if (!HasName(wantValues, name)) ok = have->DeleteValue(name) && ok;
    const auto haveKeys = have->SubkeyNames();
    have.reset();
    for (auto& sub : haveKeys) {
        const std::string child = JoinKeyPath(path, sub);
        ok = (HasName(wantKeys, sub) ? Prune(target, model, root, child) : target.DeleteTree(root, child)) && ok;
    }
    return ok;
}

}  // namespace

bool ReplaceTree(Store& target, Store& model, Root root, std::string_view path) {
    const std::string at(TrimPathSeparators(path));
    // Everything the model holds goes in before anything goes away: a
    // replacement cut short leaves more than the model, never less.
    return CopyKeyContents(model, target, root, at, at) && Prune(target, model, root, at);
}

bool MoveKey(Store& store, std::string_view oldKey, std::string_view newKey) {
    if (!KeyExists(store, oldKey) || KeyExists(store, newKey)) return false;
    // A key cannot move into its own subtree: deleting the old key would
    // delete the copy with it.
    auto from = TrimPathSeparators(oldKey);
    auto to = TrimPathSeparators(newKey);
    if (to.size() > from.size() && to[from.size()] == '\\' && NamesEqual(to.substr(0, from.size()), from))
        return false;
    // Only a complete copy may replace the original: a half-copied key is
    // removed again and the old one stays as it was.
    if (!CopyKeyContents(store, Root::CurrentUser, oldKey, newKey)) {
        store.DeleteTree(Root::CurrentUser, newKey);
        return false;
    }
    return store.DeleteTree(Root::CurrentUser, oldKey);
}

}  // namespace pw
