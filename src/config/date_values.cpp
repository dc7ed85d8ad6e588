#include "config/date_values.h"

#include <optional>
#include <string>

#include "common/datefmt.h"
#include "config/value_access.h"

namespace pw::cfg {

namespace {

// The stored text, or nothing when the value is missing. The accessors
// give the default for a missing value, so an empty result is read again
// with another default: an empty stored text stays empty (and does not
// parse), a missing value gives that default back.
template <class ReadText>
std::optional<std::string> StoredText(ReadText read) {
    std::string text = read("");
    if (text.empty() && read("-") == "-") return std::nullopt;
    return text;
}

DateTime DateOrDefault(const std::optional<std::string>& text, const DateValue& v, const Locale& loc, DateTime today) {
    if (!text) return DateOf(today) + v.defDays;
    return TextToDate(*text, loc);
}

}  // namespace

DateTime ReadDate(Store& store, std::string_view key, const DateValue& v, const Locale& loc, DateTime today) {
    auto text = StoredText([&](std::string_view def) { return ReadRegString(store, key, v.name, def); });
    return DateOrDefault(text, v, loc, today);
}

DateTime ReadTime(Store& store, std::string_view key, const TimeValue& v, const Locale& loc) {
    return TextToTime(Read(store, key, v), loc);
}

DateTime ReadDateTime(Store& store, std::string_view key, const DateTimeValue& v, const Locale& loc) {
    return TextToDateTime(Read(store, key, v), loc);
}

DateTime ReadDate(KeyReader& key, const DateValue& v, const Locale& loc, DateTime today) {
    auto text = StoredText([&](std::string_view def) { return key.ReadString(v.name, def); });
    return DateOrDefault(text, v, loc, today);
}

DateTime ReadTime(KeyReader& key, const TimeValue& v, const Locale& loc) {
    return TextToTime(key.ReadString(v.name, v.def), loc);
}

void WriteDate(Store& store, std::string_view key, const DateValue& v, DateTime value, const Locale& loc) {
    Write(store, key, v, DateToText(value, loc));
}

void WriteTime(Store& store, std::string_view key, const TimeValue& v, DateTime value, const Locale& loc) {
    Write(store, key, v, TimeToText(value, loc));
}

void WriteDateTime(Store& store, std::string_view key, const DateTimeValue& v, DateTime value, const Locale& loc) {
    Write(store, key, v, DateTimeToText(value, loc));
}

}  // namespace pw::cfg
