#pragma once
// Reminders put off from the reminder window ("Snooze"). Each one is kept
// in the store as soon as it is put off, one text value per reminder under
// the snoozed key: its due moment in UTC and its three texts, so that it
// comes back after Exit, a crash, a restart or sleep, and even when its
// schedule has been deleted or renamed meanwhile. The store is the queue:
// nothing is held in memory, and a reminder leaves the store in the same
// pass that shows it, so it comes back once whatever the clock does.
//
// A value's text: "yyyy-mm-ddThh:nn:ssZ" (the due moment, UTC) + "||" +
// the reminder item (sched/reminder_item.h), whose fields keep their own
// escaping. The value names are decimal numbers, counting up.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/locale.h"
#include "common/store.h"

namespace pw::sched {

struct Snoozed {
    Seconds dueUtc = 0;  // a whole minute
    std::string message;
    std::string description;  // ends with the " (snoozed at ...)" note
    std::string name;
    bool operator==(const Snoozed&) const = default;
};

std::string SnoozeValueText(const Snoozed& s);
// Nothing for a text no snooze writes.
std::optional<Snoozed> ParseSnoozeValue(std::string_view text);

// The description with " (snoozed at " + time + ")" at its end, in place
// of the note of an earlier snooze of the same reminder.
std::string SnoozedDescription(std::string_view description, std::string_view time);
// The note alone ("" when there is none), for a reminder that comes back
// late and is shown as missed.
std::string_view SnoozeNote(std::string_view description);

// The minute a reminder put off now comes back: at least `minutes` whole
// minutes from now, at the start of a minute.
Seconds SnoozeDue(Seconds utcNow, int minutes);

// A UTC moment as local time, by the zone of the reading (whole minutes,
// so a reading's milliseconds do not move it off its minute).
DateTime LocalOf(Seconds utc, const Clock::Reading& now);

class SnoozeQueue {
public:
    SnoozeQueue(Store& store, const Locale& locale) : store_(store), locale_(locale) {}

    // Puts every reminder item off by `minutes` from the reading `now`.
    // Each value is written before the call returns; when the store refuses
    // one, those written by this call are taken back and StoreError is
    // raised, so a reminder is either put off whole or still on the screen.
    // Gives the local date and time they come back at, as the log writes it.
    std::string Put(const std::vector<std::string>& items, int minutes, const Clock::Reading& now);

    // Takes every snooze due at or before the UTC moment out of the store,
    // in the order they fall due and, within a minute, were put off. A
    // value no snooze writes stays where it is and is handed to `bad` with
    // its name and why.
    using BadValue = std::function<void(std::string_view valueName, std::string_view why)>;
    std::vector<Snoozed> TakeDue(Seconds utcNow, const BadValue& bad);

private:
    Store& store_;
    const Locale& locale_;
};

}  // namespace pw::sched
