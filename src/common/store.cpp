#include "common/store.h"

#include <algorithm>

namespace pw {

StoreValue StoreValue::Text(std::string_view text, std::uint32_t type) {
    StoreValue v;
    v.type = type;
    v.text = std::string(text);
    return v;
}

StoreValue StoreValue::Dword(std::uint32_t value) {
    StoreValue v;
    v.type = regtype::Dword;
    v.bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return v;
}

StoreValue StoreValue::Raw(std::uint32_t type, std::vector<std::uint8_t> bytes) {
    StoreValue v;
    v.type = type;
    v.bytes = std::move(bytes);
    return v;
}

StoreKey::Contents StoreKey::ReadContents() {
    Contents c;
    for (auto& name : ValueNames()) {
        auto value = GetValue(name);
        c.values.emplace_back(std::move(name), std::move(value));
    }
    c.subkeyCount = SubkeyNames().size();
    return c;
}

std::vector<StoreKey::SubkeyStamp> StoreKey::SubkeyStamps() {
    std::vector<SubkeyStamp> out;
    for (auto& name : SubkeyNames()) out.push_back({std::move(name), 0});
    return out;
}

std::unique_ptr<StoreWatch> Store::Watch(Root, std::string_view) { return nullptr; }

std::string_view TrimPathSeparators(std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return path;
}

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    path = TrimPathSeparators(path);
    if (path.empty()) return parts;
    std::size_t start = 0;
    while (true) {
        auto at = path.find('\\', start);
        parts.push_back(path.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

std::string JoinKeyPath(std::string_view parent, std::string_view child) {
    std::string out(TrimPathSeparators(parent));
    if (!out.empty()) out += '\\';
    out += child;
    return out;
}

namespace {
char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool NameLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
    });
}

}  // namespace pw
