#include "platform/win32/registry_store.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/text.h"

namespace pw::win {

namespace {

HKEY RootHandle(Root r) {
    switch (r) {
        case Root::ClassesRoot: return HKEY_CLASSES_ROOT;
        case Root::CurrentUser: return HKEY_CURRENT_USER;
        case Root::LocalMachine: return HKEY_LOCAL_MACHINE;
        case Root::Users: return HKEY_USERS;
        case Root::PerformanceData: return HKEY_PERFORMANCE_DATA;
        case Root::CurrentConfig: return HKEY_CURRENT_CONFIG;
        case Root::DynData: return HKEY_DYN_DATA;
    }
    return HKEY_CURRENT_USER;
}

// Texts come back from the registry as stored: possibly without a final
// NUL, possibly with several. Keep everything before the first NUL.
std::string TextOf(const BYTE* data, std::size_t size) {
    std::wstring_view w(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    auto nul = w.find(L'\0');
    if (nul != std::wstring_view::npos) w = w.substr(0, nul);
    return Narrow(w);
}

StoreValue ValueOf(DWORD type, const BYTE* data, std::size_t size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) return StoreValue::Text(TextOf(data, size), type);
    return StoreValue::Raw(type, std::vector<std::uint8_t>(data, data + size));
}

std::uint64_t StampOf(const FILETIME& t) { return std::uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

// The registry's limit for a value name, in characters, with its NUL.
constexpr DWORD kMaxValueName = 16384;

class RegistryKey : public StoreKey {
public:
    explicit RegistryKey(HKEY h) : h_(h) {}
    ~RegistryKey() override { RegCloseKey(h_); }

    std::optional<StoreValue> GetValue(std::string_view name) override {
        auto wname = Widen(name);
        // Most values are short: one call with a buffer that usually fits,
        // and a second only for longer data. Each registry call is a round
        // trip to the registry's owner, which is what a read costs.
        std::vector<BYTE> data(512);
        DWORD type = 0;
        LONG r = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < 8 && r == ERROR_MORE_DATA; ++attempt) {
            DWORD got = static_cast<DWORD>(data.size() - sizeof(wchar_t));
            r = RegQueryValueExW(h_, wname.c_str(), nullptr, &type, data.data(), &got);
            if (r == ERROR_SUCCESS) data.resize(got);
            else if (r == ERROR_MORE_DATA) data.resize(static_cast<std::size_t>(got) + sizeof(wchar_t));
        }
        if (r != ERROR_SUCCESS) return std::nullopt;
        return ValueOf(type, data.data(), data.size());
    }

    bool SetValue(std::string_view name, const StoreValue& v) override {
        auto wname = Widen(name);
        if (v.IsText()) {
            auto w = Widen(v.text);
            auto bytes = (w.size() + 1) * sizeof(wchar_t);
            if (bytes > MAXDWORD) return false;
            return RegSetValueExW(h_, wname.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(w.c_str()),
                                  static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
        }
        if (v.bytes.size() > MAXDWORD) return false;
        return RegSetValueExW(h_, wname.c_str(), 0, v.type, v.bytes.empty() ? nullptr : v.bytes.data(),
                              static_cast<DWORD>(v.bytes.size())) == ERROR_SUCCESS;
    }

    bool DeleteValue(std::string_view name) override {
        return RegDeleteValueW(h_, Widen(name).c_str()) == ERROR_SUCCESS;
    }

    std::vector<std::string> SubkeyNames() override {
        std::vector<std::string> out;
        for (std::size_t i = 0;; ++i) {
            auto name = SubkeyName(i);
            if (!name) break;
            out.push_back(std::move(*name));
        }
        return out;
    }

    std::optional<std::string> SubkeyName(std::size_t index) override {
        wchar_t buf[256];  // the registry's limit for a key name is 255
        DWORD len = static_cast<DWORD>(std::size(buf));
        const auto i = static_cast<DWORD>(index);
        if (i != index || RegEnumKeyExW(h_, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return std::nullopt;
        return Narrow(std::wstring_view(buf, len));
    }

    // The last-write time of each subkey comes with its name, in the same
    // call.
    std::vector<SubkeyStamp> SubkeyStamps() override {
        std::vector<SubkeyStamp> out;
        wchar_t buf[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(std::size(buf));
            FILETIME written{};
            if (RegEnumKeyExW(h_, i, buf, &len, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS) break;
            out.push_back({Narrow(std::wstring_view(buf, len)), StampOf(written)});
        }
        return out;
    }

    std::vector<std::string> ValueNames() override {
        std::vector<std::string> out;
        DWORD maxLen = 0;
        if (RegQueryInfoKeyW(h_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS)
            return out;
        std::wstring buf(maxLen + 1, L'\0');
        for (DWORD i = 0;; ++i) {
            DWORD len = maxLen + 1;
            LONG r = RegEnumValueW(h_, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
            if (r != ERROR_SUCCESS) break;
            out.push_back(Narrow(std::wstring_view(buf.data(), len)));
        }
        return out;
    }

    // One call for the sizes and one per value, each bringing name and data
    // together, instead of a listing of names and a read of each.
    Contents ReadContents() override {
        Contents c;
        DWORD subkeys = 0, values = 0, maxName = 0, maxData = 0;
        FILETIME written{};
        if (RegQueryInfoKeyW(h_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, &maxName, &maxData,
                             nullptr, &written) != ERROR_SUCCESS)
            return c;
        c.stamp = StampOf(written);
        std::wstring name(maxName + 1, L'\0');
        std::vector<BYTE> data(maxData + sizeof(wchar_t));
        for (DWORD i = 0, retries = 0; i < values;) {
            DWORD nameLen = static_cast<DWORD>(name.size()), got = static_cast<DWORD>(data.size()), type = 0;
            LONG r = RegEnumValueW(h_, i, name.data(), &nameLen, nullptr, &type, data.data(), &got);
            if (r == ERROR_MORE_DATA && retries++ < 8) {
                // The value grew since the sizes were taken.
                name.resize(kMaxValueName);
                data.resize(std::max<std::size_t>(got, data.size() * 2));
                continue;
            }
            if (r != ERROR_SUCCESS) break;
            c.values.emplace_back(Narrow(std::wstring_view(name.data(), nameLen)), ValueOf(type, data.data(), got));
            ++i;
            retries = 0;
        }
        c.subkeyCount = subkeys;
        return c;
    }

private:
    HKEY h_;
};

constexpr DWORD kWatchFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

// One asynchronous notification at a time: each signal is taken by
// Changed, which asks for the next before the caller reads anything, so a
// change made while the caller reads signals again.
class RegistryWatch : public StoreWatch {
public:
    RegistryWatch(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {}
    ~RegistryWatch() override {
        Close();
        if (event_) CloseHandle(event_);
    }

    bool Arm() {
        if (!event_) event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!event_) return false;
        if (!key_ && RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_NOTIFY | KEY_QUERY_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return false;
        }
        ResetEvent(event_);
        if (RegNotifyChangeKeyValue(key_, TRUE, kWatchFilter, event_, TRUE) == ERROR_SUCCESS) return true;
        Close();
        return false;
    }

    bool Changed() override {
        // A deleted key keeps its handle but tells of no later change: the
        // key made again is another key. Asking the handle for its
        // information fails once its key is gone.
        const bool gone = !key_ || RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
        if (gone) {
            Close();
            Arm();  // when it fails, the next call says "changed" again
            return true;
        }
        if (WaitForSingleObject(event_, 0) != WAIT_OBJECT_0) return false;
        if (!Arm()) Close();
        return true;
    }

private:
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

    HKEY root_;
    std::wstring path_;
    HKEY key_ = nullptr;
    HANDLE event_ = nullptr;
};

}  // namespace

std::unique_ptr<StoreWatch> RegistryStore::Watch(Root root, std::string_view path) {
    auto w = std::make_unique<RegistryWatch>(RootHandle(root), Widen(TrimPathSeparators(path)));
    if (!w->Arm()) return nullptr;
    return w;
}

std::unique_ptr<StoreKey> RegistryStore::Open(Root root, std::string_view path, OpenMode mode) {
    auto wpath = Widen(TrimPathSeparators(path));
    HKEY h = nullptr;
    LONG r;
    if (mode == OpenMode::Create) {
        r = RegCreateKeyExW(RootHandle(root), wpath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE | view_, nullptr, &h, nullptr);
    } else {
        REGSAM sam = mode == OpenMode::Read ? KEY_READ : (KEY_READ | KEY_WRITE);
        r = RegOpenKeyExW(RootHandle(root), wpath.c_str(), 0, sam | view_, &h);
    }
    if (r != ERROR_SUCCESS) return nullptr;
    return std::make_unique<RegistryKey>(h);
}

bool RegistryStore::DeleteTree(Root root, std::string_view path) {
    auto trimmed = TrimPathSeparators(path);
    if (trimmed.empty()) return false;
    auto wpath = Widen(trimmed);
    HKEY h = nullptr;
    if (RegOpenKeyExW(RootHandle(root), wpath.c_str(), 0, KEY_READ | KEY_WRITE | DELETE, &h) != ERROR_SUCCESS)
        return false;
    // Children first, then the key itself.
    LONG r = RegDeleteTreeW(h, nullptr);
    RegCloseKey(h);
    if (r != ERROR_SUCCESS) return false;
    return RegDeleteKeyW(RootHandle(root), wpath.c_str()) == ERROR_SUCCESS;
}

}  // namespace pw::win
