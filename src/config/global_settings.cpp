#include "config/global_settings.h"

#include "config/date_values.h"
#include "config/value_access.h"

namespace pw::cfg {

namespace {

// Runs one read; an error goes to the handler and leaves the field alone.
template <class Read>
void Guarded(const LoadErrorHandler& onError, Read&& read) {
    try {
        read();
    } catch (const AppError& e) {
        onError(e);
    }
}

template <class Kind>
auto ReadField(Store& store, std::string_view key, const Kind& v, const Locale&) {
    return Read(store, key, v);
}
std::int32_t ReadField(Store& store, std::string_view key, const IntValue& v, const Locale&) {
    return Clamp(v, Read(store, key, v));
}
DateTime ReadField(Store& store, std::string_view key, const DateTimeValue& v, const Locale& loc) {
    return ReadDateTime(store, key, v, loc);
}

}  // namespace

void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& s) {
    LoadGlobalSettings(store, loc, s, [](const AppError&) { throw; });
}

void LoadGlobalSettings(Store& store, const Locale& loc, GlobalSettings& s, const LoadErrorHandler& onError) {
    const auto key = kSettingsKey;
#define PW_LOAD(Kind, Name, ...) Guarded(onError, [&] { s.Name = ReadField(store, key, global::Name, loc); });
#define PW_SKIP(...)
    PW_GLOBAL_VALUES(PW_LOAD, PW_SKIP)
#undef PW_LOAD
#undef PW_SKIP
}

}  // namespace pw::cfg
