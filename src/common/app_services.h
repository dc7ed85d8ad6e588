#pragma once
// What the program's parts share: the store, the clock, the user's locale,
// files, sounds, message boxes and the shell. The program makes one set at
// start-up; each part's own context is this set plus the few things only
// that part needs, so a new shared service is added here once and not in
// every context. Tests build it from their fakes.

#include "common/clock.h"
#include "common/files.h"
#include "common/locale.h"
#include "common/services.h"
#include "common/store.h"

namespace pw {

struct AppServices {
    Store& store;
    Clock& clock;
    // The user's regional settings. The program holds one and replaces it
    // in place when the user changes them, so every part reads the new
    // ones from then on; what a part made from the old ones it makes again
    // when told (app::ClockWindow::RegionalSettingsChanged).
    const Locale& locale;
    FileSystem& files;
    Sound& sound;
    MessageBoxes& boxes;
    Shell& shell;

    // The same services writing to another store (the settings dialog
    // writes schedules through the tick's write-through store).
    AppServices WithStore(Store& other) const { return {other, clock, locale, files, sound, boxes, shell}; }
};

}  // namespace pw
