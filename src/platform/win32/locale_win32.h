#pragma once
// The user's regional settings, read from Windows.

#include "common/locale.h"

namespace pw::win {

// Reads the current user's locale (LOCALE_USER_DEFAULT) and translates its
// date and time pictures into the program's pattern language. The program
// reads it once at start and keeps it; a setting Windows cannot give falls
// back as LocaleFromWindows describes.
Locale ReadUserLocale();

// The raw settings, before translation (for the tests, which compare the
// program's formatting with the system's own).
WindowsLocaleInfo ReadUserLocaleInfo();

}  // namespace pw::win
