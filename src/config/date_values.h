#pragma once
// Typed reads and writes of the date, time and date-time values of
// config/values.h: the store keeps them as texts in the user's regional
// formats, the program works with date-time values. A stored text that
// does not parse raises ConvertError ("'...' is not a valid date"), and a
// value of the wrong registry type StoreError, as every read does.

#include <string_view>

#include "common/datetime.h"
#include "common/locale.h"
#include "common/store.h"
#include "common/store_access.h"
#include "config/values.h"

namespace pw::cfg {

// Missing, a date is today's date plus the value's default days (the date
// part only, whatever time of day today carries).
DateTime ReadDate(Store& store, std::string_view key, const DateValue& v, const Locale& loc, DateTime today);
// Missing, a time or date-time is its default text read in the locale.
DateTime ReadTime(Store& store, std::string_view key, const TimeValue& v, const Locale& loc);
DateTime ReadDateTime(Store& store, std::string_view key, const DateTimeValue& v, const Locale& loc);

// The same reads through one open key (a whole schedule record at once).
DateTime ReadDate(KeyReader& key, const DateValue& v, const Locale& loc, DateTime today);
DateTime ReadTime(KeyReader& key, const TimeValue& v, const Locale& loc);

// Written as date text (the date part), time text (the time of day) and
// date-time text.
void WriteDate(Store& store, std::string_view key, const DateValue& v, DateTime value, const Locale& loc);
void WriteTime(Store& store, std::string_view key, const TimeValue& v, DateTime value, const Locale& loc);
void WriteDateTime(Store& store, std::string_view key, const DateTimeValue& v, DateTime value, const Locale& loc);

}  // namespace pw::cfg
