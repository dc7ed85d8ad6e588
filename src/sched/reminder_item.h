#pragma once
// Reminder items: the message, the reminder's description and the
// schedule's name in one string, joined by "||", as the clock tick and the
// editor's Test button hand them to the reminder window.
//
// A message (or name) may itself contain "||". So that it still reaches
// the window whole, every "|" inside a field is written as "|." in the item;
// no field then holds "||", the split finds exactly the two separators,
// and UnescapeField gives the text back. Fields without "|" are unchanged.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/locale.h"
#include "common/text.h"
#include "sched/recurrence.h"

namespace pw::sched {

inline constexpr std::string_view kItemSeparator = "||";

struct ReminderFields {
    std::string message;
    std::string description;
    std::string name;
};

std::string MakeReminderItem(std::string_view message, std::string_view description, std::string_view name);
// The three fields of an item; missing fields are empty. An item joined by
// plain concatenation whose message holds "||" (more than three fields)
// still gives the last two fields as description and name and keeps the
// message whole.
ReminderFields ParseReminderItem(std::string_view item);

// "Start:" start + five blanks + "[" period "/" number unit "]" + five
// blanks + "End:" end, the texts as given. The editor's Test button builds
// its description with this from the texts of its controls.
std::string ReminderDescriptionText(std::string_view start, std::string_view period, std::int64_t cycleNumber,
                                    std::string_view cycleUnit, std::string_view end);
// The description the clock tick shows: the moments of the current cycle
// as date-time texts of the locale (the time left out at midnight), the
// repeat period in the locale's long time form. Raises ConvertError for a
// moment that cannot be written.
std::string ReminderDescription(const ScheduleTiming& t, const Locale& loc);

// Minutes that passed without a pass (the computer asleep, the clock put
// forward) still reach the window, one item per schedule: a reminder with
// the description "Missed: " + the last missed moment (+ " (N times)"), a
// program that was not started with "Missed launch: " and so on, and the
// message "Not started at " + moment + ": " + command line. The window
// tells the kinds apart by the description, which only the tick writes.
struct MissedNote {
    bool launch = false;
    std::string due;  // date-time text of the last missed moment
    std::int64_t count = 0;
};
std::string MissedDescription(const MissedNote& note);
std::optional<MissedNote> ParseMissedDescription(std::string_view description);
std::string NotStartedMessage(std::string_view due, std::string_view commandLine);

}  // namespace pw::sched
