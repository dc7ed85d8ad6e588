#pragma once
// The configuration store: a tree of keys holding named, typed values,
// under a few roots. The Windows registry implements it for the program;
// MemoryStore implements it for tests and for systems without a registry.
//
// Paths are relative to their root, with "\" between key names; a leading
// or trailing "\" is ignored. Key and value names compare without regard
// to letter case, as in the registry, and keep the case they were created
// with. Texts are UTF-8 inside the program; the Windows store converts at
// its boundary.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pw {

enum class Root : std::uint8_t {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    CurrentConfig,
    DynData,
};

// Value type codes, numbered as the registry numbers them.
namespace regtype {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t DwordBigEndian = 5;
inline constexpr std::uint32_t Link = 6;
inline constexpr std::uint32_t MultiSz = 7;
inline constexpr std::uint32_t Qword = 11;
}  // namespace regtype

// One stored value. Text types (Sz, ExpandSz) carry their text; every other
// type carries its raw bytes (a Dword as four bytes, lowest first).
struct StoreValue {
    std::uint32_t type = regtype::None;
    std::string text;
    std::vector<std::uint8_t> bytes;

    static StoreValue Text(std::string_view text, std::uint32_t type = regtype::Sz);
    static StoreValue Dword(std::uint32_t value);
    static StoreValue Raw(std::uint32_t type, std::vector<std::uint8_t> bytes);

    bool IsText() const { return type == regtype::Sz || type == regtype::ExpandSz; }
    bool operator==(const StoreValue&) const = default;
};

// An open key. Destroying it closes the key.
class StoreKey {
public:
    virtual ~StoreKey() = default;

    // The value, or nothing when the key has no value of that name or it
    // cannot be read.
    virtual std::optional<StoreValue> GetValue(std::string_view name) = 0;
    // Replaces any older value of that name whatever its type. False when
    // the store refused the write.
    virtual bool SetValue(std::string_view name, const StoreValue& value) = 0;
    virtual bool DeleteValue(std::string_view name) = 0;
    // Names in the store's own enumeration order.
    virtual std::vector<std::string> SubkeyNames() = 0;
    virtual std::vector<std::string> ValueNames() = 0;

    // The name of the subkey at that place of the enumeration order; nothing
    // past the last. A walk over a key with thousands of subkeys need not
    // hold all their names at once.
    virtual std::optional<std::string> SubkeyName(std::size_t index) = 0;

    // Every value with its data, in enumeration order (nothing for one
    // that could not be read), and how many subkeys the key has. A store
    // where each call is a round trip reads this in far fewer calls than a
    // name at a time, which a walk over thousands of keys notices.
    struct Contents {
        std::vector<std::pair<std::string, std::optional<StoreValue>>> values;
        std::size_t subkeyCount = 0;
        // The key's change stamp as it was read (see SubkeyStamps).
        std::uint64_t stamp = 0;
    };
    virtual Contents ReadContents();

    // Every subkey with its change stamp, in enumeration order: a number
    // that differs whenever a value of that subkey was written or deleted
    // or a subkey of it made or removed. 0 when the store keeps none, which
    // a reader takes as "may have changed". One call per subkey, where
    // reading each subkey's values would cost a dozen.
    struct SubkeyStamp {
        std::string name;
        std::uint64_t stamp = 0;
    };
    virtual std::vector<SubkeyStamp> SubkeyStamps();
};

// A watch over a key and everything below it.
class StoreWatch {
public:
    virtual ~StoreWatch() = default;
    // True when something below the key may have changed since the watch
    // was set or last said so, also when the key itself was deleted (the
    // watch then follows the key made again). It may say true without a
    // change, never false after one.
    virtual bool Changed() = 0;
};

enum class OpenMode {
    Read,       // existing key, for reading
    ReadWrite,  // existing key, for reading and writing
    Create,     // create the key and any missing parents
};

class Store {
public:
    virtual ~Store() = default;

    // Nothing when the key does not exist (Read, ReadWrite) or cannot be
    // opened or created.
    virtual std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) = 0;
    // Deletes the key with all its values and subkeys. False when it did not
    // exist or could not be deleted entirely.
    virtual bool DeleteTree(Root root, std::string_view path) = 0;
    // Sets a watch on the key (made when missing). Nothing when the store
    // cannot watch it; a reader then has to read again what it needs.
    virtual std::unique_ptr<StoreWatch> Watch(Root root, std::string_view path);
};

// Path helpers shared by the implementations.
std::string_view TrimPathSeparators(std::string_view path);
std::vector<std::string_view> SplitKeyPath(std::string_view path);
std::string JoinKeyPath(std::string_view parent, std::string_view child);
// Letter case folded for comparison of key and value names (ASCII letters
// only; other bytes compare as they are).
bool NamesEqual(std::string_view a, std::string_view b);
bool NameLess(std::string_view a, std::string_view b);

}  // namespace pw
