#include "config/value_access.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "common/store_access.h"
#include "common/text.h"

namespace pw::cfg {

namespace {

// A whole number with an optional sign and blanks around it; digits
// beyond what 64 bits hold saturate, since the field's range is far
// smaller anyway.
std::optional<std::int64_t> WholeNumber(std::string_view text) { return ParseDecimal(TrimBlanks(text)); }

}  // namespace

bool Read(Store& store, std::string_view key, const FlagValue& v) { return ReadRegBool(store, key, v.name, v.def); }

std::int32_t Read(Store& store, std::string_view key, const IntValue& v) {
    return ReadRegInteger(store, key, v.name, v.def);
}

std::uint32_t Read(Store& store, std::string_view key, const ColourValue& v) {
    return static_cast<std::uint32_t>(ReadRegInteger(store, key, v.name, static_cast<std::int32_t>(v.def)));
}

std::string Read(Store& store, std::string_view key, const TextValue& v) {
    return ReadRegString(store, key, v.name, v.def);
}

std::string Read(Store& store, std::string_view key, const TimeValue& v) {
    return ReadRegString(store, key, v.name, v.def);
}

std::string Read(Store& store, std::string_view key, const DateTimeValue& v) {
    return ReadRegString(store, key, v.name, v.def);
}

std::string Read(Store& store, std::string_view key, const FolderValue& v, std::string_view programFolder) {
    std::string def(programFolder);
    def += v.defSuffix;
    return ReadRegString(store, key, v.name, def);
}

bool Read(KeyReader& key, const FlagValue& v) { return key.ReadBool(v.name, v.def); }
std::int32_t Read(KeyReader& key, const IntValue& v) { return key.ReadInteger(v.name, v.def); }
std::string Read(KeyReader& key, const TextValue& v) { return key.ReadString(v.name, v.def); }
std::string Read(KeyReader& key, const TimeValue& v) { return key.ReadString(v.name, v.def); }

void Write(Store& store, std::string_view key, const FlagValue& v, bool value) {
    WriteRegBool(store, key, v.name, value);
}
void Write(Store& store, std::string_view key, const IntValue& v, std::int32_t value) {
    WriteRegInteger(store, key, v.name, value);
}
void Write(Store& store, std::string_view key, const ColourValue& v, std::uint32_t value) {
    WriteRegInteger(store, key, v.name, static_cast<std::int32_t>(value));
}
void Write(Store& store, std::string_view key, const TextValue& v, std::string_view value) {
    WriteRegString(store, key, v.name, value);
}
void Write(Store& store, std::string_view key, const FolderValue& v, std::string_view value) {
    WriteRegString(store, key, v.name, value);
}
void Write(Store& store, std::string_view key, const DateValue& v, std::string_view text) {
    WriteRegString(store, key, v.name, text);
}
void Write(Store& store, std::string_view key, const TimeValue& v, std::string_view text) {
    WriteRegString(store, key, v.name, text);
}
void Write(Store& store, std::string_view key, const DateTimeValue& v, std::string_view text) {
    WriteRegString(store, key, v.name, text);
}

std::int32_t Clamp(const IntValue& v, std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, v.min, v.max));
}

std::int32_t SpinFieldValue(std::string_view text, const IntValue& value) {
    return Clamp(value, WholeNumber(text).value_or(0));
}

}  // namespace pw::cfg
