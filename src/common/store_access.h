#pragma once
// The value accessors every part of the program reads and writes through,
// and the operations on whole keys. Key paths are below the current
// user's root. Each call opens its key and closes it before returning; no
// handle is kept between calls, and reading never writes anything.
//
// Reading: a missing key or value gives the default. A value of another
// type than the kind asked for raises StoreError "Invalid data type for
// 'name'", except that an integer or flag read from data longer than four
// bytes (a text counts as UTF-16 with its terminating null, so one of two
// characters or more) raises "Failed to get data for 'name'". An empty
// stored text is returned empty.
// Writing: the key is created with any missing parents; a write the store
// refuses raises "Failed to set data for 'name'". A key that cannot be
// opened or created leaves the write undone without an error.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/store.h"

namespace pw {

std::string ReadRegString(Store& store, std::string_view key, std::string_view name, std::string_view def);
std::int32_t ReadRegInteger(Store& store, std::string_view key, std::string_view name, std::int32_t def);
bool ReadRegBool(Store& store, std::string_view key, std::string_view name, bool def);

void WriteRegString(Store& store, std::string_view key, std::string_view name, std::string_view text);
void WriteRegInteger(Store& store, std::string_view key, std::string_view name, std::int32_t value);
void WriteRegBool(Store& store, std::string_view key, std::string_view name, bool value);

// The current user's (and the machine's) key of programs started at log-on.
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Writes (enable) or deletes (disable) the start-with-Windows entry in the
// current user's Run key; disabling also deletes it from the machine's Run
// key where the rights allow.
void SetRunAtStartup(Store& store, std::string_view entry, std::string_view command, bool enable);

// Reads several values of one key through a single open handle, with the
// same rules as the accessors above. For code that reads a whole record at
// once (a schedule's thirteen values), where opening the key per value
// would cost more than the reads themselves. The key closes when the
// reader goes.
class KeyReader {
public:
    KeyReader(Store& store, std::string_view key);
    // Reads through a key already open (or one kept in memory).
    explicit KeyReader(std::unique_ptr<StoreKey> key) : key_(std::move(key)) {}
    bool Exists() const { return key_ != nullptr; }
    std::string ReadString(std::string_view name, std::string_view def);
    // The stored text, or nothing when the value is missing.
    std::optional<std::string> ReadStringIfPresent(std::string_view name);
    std::int32_t ReadInteger(std::string_view name, std::int32_t def);
    bool ReadBool(std::string_view name, bool def);

private:
    std::unique_ptr<StoreKey> key_;
};

// Whole keys (paths below the current user's root).
bool KeyExists(Store& store, std::string_view key);
// Subkey names in the store's order; with create the key is made first
// when missing. An empty list when it cannot be opened.
std::vector<std::string> ListSubkeys(Store& store, std::string_view key, bool create);
bool CreateKey(Store& store, std::string_view key);
// True when the key existed and is gone with all it contained.
bool DeleteKey(Store& store, std::string_view key);
// Moves a key with its values and subkeys to a new path: only when the old
// key exists and the new one does not; otherwise nothing changes. True when
// the key was moved.
bool MoveKey(Store& store, std::string_view oldKey, std::string_view newKey);

// Copies every value and subkey of one open key into another.
bool CopyKeyContents(Store& store, Root root, std::string_view from, std::string_view to);
// The same from a key of one store into a key of another.
bool CopyKeyContents(Store& source, Store& target, Root root, std::string_view from, std::string_view to);
// Whether a list of key or value names holds name, in any letter case.
bool HasName(const std::vector<std::string>& names, std::string_view name);
// Makes target's key at path hold exactly what model's key there holds:
// its values and subkeys are written, and those model lacks removed. True
// when all of it went through.
bool ReplaceTree(Store& target, Store& model, Root root, std::string_view path);

}  // namespace pw
