#include "sched/reminder_item.h"

#include <algorithm>

#include "common/datefmt.h"

namespace pw::sched {

namespace {

std::string EscapeField(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        out += c;
        if (c == '|') out += '.';
    }
    return out;
}

std::string UnescapeField(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '|' && i + 1 < s.size() && s[i + 1] == '.') ++i;
    }
    return out;
}

constexpr std::string_view kMissedReminder = "Missed: ";
constexpr std::string_view kMissedLaunch = "Missed launch: ";
constexpr std::string_view kTimesOpen = " (";
constexpr std::string_view kTimesClose = " times)";

}  // namespace

std::string MakeReminderItem(std::string_view message, std::string_view description, std::string_view name) {
    std::string item = EscapeField(message);
    item += kItemSeparator;
    item += EscapeField(description);
    item += kItemSeparator;
    item += EscapeField(name);
    return item;
}

ReminderFields ParseReminderItem(std::string_view item) {
    auto parts = SplitString(item, kItemSeparator);
    ReminderFields f;
    if (parts.size() <= 3) {
        if (parts.size() > 0) f.message = UnescapeField(parts[0]);
        if (parts.size() > 1) f.description = UnescapeField(parts[1]);
        if (parts.size() > 2) f.name = UnescapeField(parts[2]);
        return f;
    }
    // An item joined without escaping, whose message held "||": the
    // description and the name are the last two fields (the description
    // never holds the separator), and everything before them is the message.
    const std::size_t messageParts = parts.size() - 2;
    for (std::size_t i = 0; i < messageParts; ++i) {
        if (i > 0) f.message += kItemSeparator;
        f.message += UnescapeField(parts[i]);
    }
    f.description = UnescapeField(parts[messageParts]);
    f.name = UnescapeField(parts[messageParts + 1]);
    return f;
}

std::string ReminderDescriptionText(std::string_view start, std::string_view period, std::int64_t cycleNumber,
                                    std::string_view cycleUnit, std::string_view end) {
    std::string d = "Start:";
    d += start;
    d += "     [";
    d += period;
    d += "/";
    d += std::to_string(cycleNumber);
    d += cycleUnit;
    d += "]     End:";
    d += end;
    return d;
}

std::string ReminderDescription(const ScheduleTiming& t, const Locale& loc) {
    return ReminderDescriptionText(DateTimeToText(FromSeconds(t.Start()), loc), TimeToText(t.repeatPeriod, loc),
                                   t.cycleNumber, CycleUnitText(t.cycleUnit), DateTimeToText(FromSeconds(t.End()), loc));
}

std::string MissedDescription(const MissedNote& note) {
    std::string d(note.launch ? kMissedLaunch : kMissedReminder);
    d += note.due;
    if (note.count > 1) {
        d += kTimesOpen;
        d += std::to_string(note.count);
        d += kTimesClose;
    }
    return d;
}

std::optional<MissedNote> ParseMissedDescription(std::string_view d) {
    MissedNote note;
    if (d.starts_with(kMissedLaunch)) {
        note.launch = true;
        d.remove_prefix(kMissedLaunch.size());
    } else if (d.starts_with(kMissedReminder)) {
        d.remove_prefix(kMissedReminder.size());
    } else {
        return std::nullopt;
    }
    note.count = 1;
    const auto open = d.rfind(kTimesOpen);
    if (d.ends_with(kTimesClose) && open != std::string_view::npos) {
        const auto digits = d.substr(open + kTimesOpen.size());
        const auto number = digits.substr(0, digits.size() - std::min(digits.size(), kTimesClose.size()));
        if (!number.empty() && number.size() <= 18 &&
            number.find_first_not_of("0123456789") == std::string_view::npos) {
            note.count = std::stoll(std::string(number));
            d = d.substr(0, open);
        }
    }
    note.due = std::string(d);
    return note;
}

std::string NotStartedMessage(std::string_view due, std::string_view commandLine) {
    std::string m = "Not started at ";
    m += due;
    m += ": ";
    m += commandLine;
    return m;
}

}  // namespace pw::sched
