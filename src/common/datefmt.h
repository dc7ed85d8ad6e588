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
// An empty pattern acts as "c"; an empty locale pattern named by ddddd,
// dddddd, t, tt or c writes nothing. "m" after an hour means minutes when
// the element before it, not counting literal text and separators, is h
// or hh: "hh:mm" is hours and minutes, "mm/dd hh" month, day and hours.
//
// Values that are not valid (IsValidDateTime: NaN, infinities, before
// 1 January 1, from 10000 on) cannot be written: every writer raises
// ConvertError "Invalid date-time value" for them.

#include <string>
#include <string_view>

#include "common/datetime.h"
#include "common/locale.h"

namespace pw {

std::string FormatDateTime(std::string_view pattern, DateTime value, const Locale& loc);

// True when the pattern holds an am/pm element, so its hours are 12-hour.
bool PatternIsTwelveHour(std::string_view pattern);

// The store's text forms: date text (short date pattern), time text (long
// time pattern), date-time text (date, a blank, time; the time left out at
// exactly midnight). A two-digit year of the short date pattern is written
// with all its digits here, so that a stored date keeps its century; the
// parsers read both.
std::string DateToText(DateTime value, const Locale& loc);
std::string TimeToText(DateTime value, const Locale& loc);
std::string DateTimeToText(DateTime value, const Locale& loc);

// Parsing raises ConvertError "'text' is not a valid date" (time, date and
// time), a long text cut as QuotedValue (common/errors.h) cuts it. A
// date-time text of "0" is the value 0.
//
// What is read, as a user of the locale writes it:
//  - a date is three numbers in the order of day, month and year of the
//    short date pattern, separated by the locale's date separator or the
//    separators the pattern writes between its fields; what the pattern
//    writes before its first or after its last field may stand there.
//    Where the pattern writes month names the month may be its name (or
//    its number), and where it writes a weekday its name is passed over.
//    Days and months may have one digit or two, years one to four; a year
//    of one or two digits is the year with those last digits in the
//    hundred years ending at the locale's twoDigitYearMax. The date must
//    exist, in years 1 to 9999.
//  - a time is hours and minutes, optionally seconds and milliseconds,
//    separated by ":", the locale's time separator or the separators of
//    the long time pattern, with an optional AM/PM designator (the
//    locale's, or AM/PM) before or after. Without a designator hours run
//    0-23 in every locale, so "00:00:00" and "01:00:00" always read; with
//    one they run 1-12.
//  - a date-time text is a date, then optionally a time.
//  - blanks may stand before, after and between the parts; two numbers
//    need a separator between them.
DateTime TextToDate(std::string_view text, const Locale& loc);
DateTime TextToTime(std::string_view text, const Locale& loc);
DateTime TextToDateTime(std::string_view text, const Locale& loc);
bool TryTextToDate(std::string_view text, const Locale& loc, DateTime& out);
bool TryTextToTime(std::string_view text, const Locale& loc, DateTime& out);
bool TryTextToDateTime(std::string_view text, const Locale& loc, DateTime& out);

// The log's time stamp: the short date pattern followed by " hh:mm:ss".
std::string LogTimeStamp(DateTime value, const Locale& loc);

}  // namespace pw
