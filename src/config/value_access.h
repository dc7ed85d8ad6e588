#pragma once
// Typed reads and writes of the values of config/values.h: each takes the
// value's name and default from the table, so no caller repeats them.
// Date and time texts are read as text here; their conversion to date-time
// values is in config/date_values.h.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/store.h"
#include "common/store_access.h"
#include "config/values.h"

namespace pw::cfg {

bool Read(Store& store, std::string_view key, const FlagValue& v);
std::int32_t Read(Store& store, std::string_view key, const IntValue& v);
std::uint32_t Read(Store& store, std::string_view key, const ColourValue& v);
std::string Read(Store& store, std::string_view key, const TextValue& v);
std::string Read(Store& store, std::string_view key, const TimeValue& v);
std::string Read(Store& store, std::string_view key, const DateTimeValue& v);
std::string Read(Store& store, std::string_view key, const FolderValue& v, std::string_view programFolder);

// The same reads through one open key (see KeyReader).
bool Read(KeyReader& key, const FlagValue& v);
std::int32_t Read(KeyReader& key, const IntValue& v);
std::string Read(KeyReader& key, const TextValue& v);
std::string Read(KeyReader& key, const TimeValue& v);

void Write(Store& store, std::string_view key, const FlagValue& v, bool value);
void Write(Store& store, std::string_view key, const IntValue& v, std::int32_t value);
void Write(Store& store, std::string_view key, const ColourValue& v, std::uint32_t value);
void Write(Store& store, std::string_view key, const TextValue& v, std::string_view value);
void Write(Store& store, std::string_view key, const FolderValue& v, std::string_view value);
void Write(Store& store, std::string_view key, const DateValue& v, std::string_view text);
void Write(Store& store, std::string_view key, const TimeValue& v, std::string_view text);
void Write(Store& store, std::string_view key, const DateTimeValue& v, std::string_view text);

// Brings an integer into the value's range (the dialog's rule on leaving a
// field).
std::int32_t Clamp(const IntValue& v, std::int64_t value);

// The value of an integer field of the settings dialog as its text reads:
// a whole number (blanks around it and a sign allowed) brought into the
// value's range; any other text reads as 0, brought into the range too.
std::int32_t SpinFieldValue(std::string_view text, const IntValue& value);

}  // namespace pw::cfg
