#pragma once
// Writing date-time values with patterns, and the text forms in which the
// store keeps dates and times.
//
// Pattern elements, letters in either case:
//   d dd           day of the month (dd: two digits)
//   ddd dddd       short / full weekday name
//   ddddd dddddd   short / long date form of the locale
//   m mm           month (mm: two digits); right after an hour element,
//                  minutes instead
//   mmm mmmm       short / full month name
//   yy yyyy        year with two / four digits
//   h hh           hour (hh: two digits); 12-hour when the pattern holds an
//                  am/pm element
//   n nn           minutes
//   s ss           seconds
//   z zzz          milliseconds
//   t tt           short / long time form of the locale
//   c              short date, then a blank and the long time unless the
//                  time is exactly midnight
//   am/pm a/p      these letters as written, for the half of the day
//   ampm           the locale's AM or PM designator
//   /              the locale's date separator
//   :              the locale's time separator
//   "x" 'x'        the quoted text itself
//   anything else  itself
// An empty pattern acts as "c".

#include <string>
#include <string_view>

#include "common/datetime.h"
#include "common/locale.h"

namespace pw {

std::string FormatDateTime(std::string_view pattern, DateTime value, const Locale& loc);

// The store's text forms: date text (short date pattern), time text (long
// time pattern), date-time text (date, a blank, time; the time left out at
// exactly midnight).
std::string DateToText(DateTime value, const Locale& loc);
std::string TimeToText(DateTime value, const Locale& loc);
std::string DateTimeToText(DateTime value, const Locale& loc);

// Parsing raises ConvertError "'text' is not a valid date" (time, date and
// time). A date-time text of "0" is the value 0.
DateTime TextToDate(std::string_view text, const Locale& loc);
DateTime TextToTime(std::string_view text, const Locale& loc);
DateTime TextToDateTime(std::string_view text, const Locale& loc);
bool TryTextToDate(std::string_view text, const Locale& loc, DateTime& out);
bool TryTextToTime(std::string_view text, const Locale& loc, DateTime& out);
bool TryTextToDateTime(std::string_view text, const Locale& loc, DateTime& out);

// The log's time stamp: the short date pattern followed by " hh:mm:ss".
std::string LogTimeStamp(DateTime value, const Locale& loc);

}  // namespace pw
