#pragma once
// The clock window's in-memory copy of the global values that take effect
// at once when the settings dialog changes them. Fields start at the
// table's defaults.

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

#include "common/datetime.h"
#include "common/errors.h"
#include "common/locale.h"
#include "common/store.h"
#include "config/values.h"

namespace pw::cfg {

// The type of a value's field in memory.
template <class Kind>
struct FieldOf;
template <>
struct FieldOf<FlagValue> {
    using type = bool;
};
template <>
struct FieldOf<IntValue> {
    using type = std::int32_t;
};
template <>
struct FieldOf<ColourValue> {
    using type = std::uint32_t;
};
template <>
struct FieldOf<TextValue> {
    using type = std::string;
};
template <>
struct FieldOf<DateTimeValue> {
    using type = DateTime;
};

// The field's start value: the value's default. The only date-time default
// is "0", the value 0, which stands for never.
template <class Kind>
typename FieldOf<Kind>::type DefaultField(const Kind& v) {
    if constexpr (std::is_same_v<Kind, DateTimeValue>)
        return 0;
    else
        return typename FieldOf<Kind>::type(v.def);
}

struct GlobalSettings {
#define PW_FIELD(Kind, Name, ...) FieldOf<Kind>::type Name = DefaultField(global::Name);
#define PW_NO_FIELD(...)
    PW_GLOBAL_VALUES(PW_FIELD, PW_NO_FIELD)
#undef PW_FIELD
#undef PW_NO_FIELD

    bool AnyLogSwitch() const { return LogLaunches || LogReminders || LogNetTime; }
};

// Loads every field from the settings key, in the order of the list;
// LastSynchTime's text is read in the locale, and an integer is brought
// into its range. A value of the
// wrong type raises StoreError and a LastSynchTime text that does not
// parse ConvertError; the fields read before it keep their new contents.
void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& settings);

// The same, but a value that cannot be read is handed to onError and keeps
// its default, and loading goes on with the next value: one bad value in
// the registry must not cost the user every other setting. An onError that
// rethrows gives the behaviour above.
using LoadErrorHandler = std::function<void(const AppError&)>;
void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& settings, const LoadErrorHandler& onError);

}  // namespace pw::cfg
