#pragma once
// The user's regional settings, read from Windows.

#include "common/locale.h"

namespace pw::win {

// Reads the current user's locale (LOCALE_USER_DEFAULT) and translates its
// date and time pictures into the program's pattern language. A setting
// Windows cannot give falls back as LocaleFromWindows describes.
Locale ReadUserLocale();

// The raw settings, before translation (for the tests, which compare the
// program's formatting with the system's own).
WindowsLocaleInfo ReadUserLocaleInfo();

// The program's one copy of the user's locale: read at start and read
// again when Windows says a setting changed. The parts of the program hold
// a reference to Current(), which a change replaces in place.
class UserLocale {
public:
    UserLocale() : current_(ReadUserLocale()) {}
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

    const Locale& Current() const { return current_; }
    // Reads the settings again; true when they differ from those held,
    // which they then replace.
    bool Reread();

private:
    Locale current_;
};

}  // namespace pw::win
