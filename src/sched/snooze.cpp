#include "sched/snooze.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/datefmt.h"
#include "common/errors.h"
#include "config/values.h"
#include "sched/reminder_item.h"

namespace pw::sched {

namespace {

constexpr std::string_view kNoteOpen = " (snoozed at ";
// The date and time a snoozed reminder comes back at: short date, short time.
constexpr std::string_view kUntilPattern = "ddddd t";

std::string UtcText(Seconds s) {
    CivilDate d;
    CivilTime t;
    DecodeDateTime(FromSeconds(s), d, t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", d.year, d.month, d.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::optional<Seconds> ParseUtcText(std::string_view text) {
    // Exactly the form UtcText writes, digits where digits belong.
    static constexpr std::string_view kForm = "0000-00-00T00:00:00Z";
    if (text.size() != kForm.size()) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (kForm[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != kForm[i]) return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t length) {
        int n = 0;
        std::from_chars(text.data() + at, text.data() + at + length, n);
        return n;
    };
    DateTime date = 0, time = 0;
    if (!TryEncodeDate(number(0, 4), number(5, 2), number(8, 2), date)) return std::nullopt;
    if (!TryEncodeTime(number(11, 2), number(14, 2), number(17, 2), 0, time)) return std::nullopt;
    return ToSeconds(date) + ToSeconds(time);
}

// The number of a value name, or nothing for a name no snooze writes.
std::optional<std::uint64_t> ValueNumber(std::string_view name) {
    std::uint64_t n = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), n);
    if (ec != std::errc() || end != name.data() + name.size() || name.empty()) return std::nullopt;
    return n;
}

}  // namespace

std::string SnoozeValueText(const Snoozed& s) {
    std::string text = UtcText(s.dueUtc);
    text += kItemSeparator;
    text += MakeReminderItem(s.message, s.description, s.name);
    return text;
}

std::optional<Snoozed> ParseSnoozeValue(std::string_view text) {
    const auto at = text.find(kItemSeparator);
    if (at == std::string_view::npos) return std::nullopt;
    const auto due = ParseUtcText(text.substr(0, at));
    if (!due) return std::nullopt;
    const std::string_view item = text.substr(at + kItemSeparator.size());
    // All three texts must be there; an item cut short is no snooze.
    if (SplitString(item, kItemSeparator).size() < 3) return std::nullopt;
    ReminderFields f = ParseReminderItem(item);
    return Snoozed{*due, std::move(f.message), std::move(f.description), std::move(f.name)};
}

std::string_view SnoozeNote(std::string_view description) {
    const auto at = description.rfind(kNoteOpen);
    if (at == std::string_view::npos || !description.ends_with(')')) return {};
    return description.substr(at);
}

std::string SnoozedDescription(std::string_view description, std::string_view time) {
    std::string d(description.substr(0, description.size() - SnoozeNote(description).size()));
    d += kNoteOpen;
    d += time;
    d += ')';
    return d;
}

Seconds SnoozeDue(Seconds utcNow, int minutes) {
    const Seconds due = utcNow + static_cast<Seconds>(minutes) * kSecondsPerMinute;
    const Seconds minute = TruncateToMinute(due);
    return minute == due ? due : minute + kSecondsPerMinute;
}

DateTime LocalOf(Seconds utc, const Clock::Reading& now) {
    const double zoneMinutes = (now.local - now.utc) * kSecondsPerDay / kSecondsPerMinute;
    return FromSeconds(utc + static_cast<Seconds>(std::llround(zoneMinutes)) * kSecondsPerMinute);
}

std::string SnoozeQueue::Put(const std::vector<std::string>& items, int minutes, const Clock::Reading& now) {
    const Seconds utcNow = ToSeconds(now.utc);
    const Seconds due = SnoozeDue(utcNow, minutes);
    const std::string at = FormatDateTime("t", now.local, locale_);

    auto key = store_.Open(Root::CurrentUser, cfg::kSnoozedKey, OpenMode::Create);
    std::uint64_t next = 1;
    if (key)
        for (const auto& name : key->ValueNames())
            if (const auto n = ValueNumber(name)) next = std::max(next, *n + 1);

    std::vector<std::string> written;
    for (const auto& item : items) {
        const ReminderFields f = ParseReminderItem(item);
        const std::string name = std::to_string(next++);
        const Snoozed s{due, f.message, SnoozedDescription(f.description, at), f.name};
        if (!key || !key->SetValue(name, StoreValue::Text(SnoozeValueText(s)))) {
            for (const auto& w : written) key->DeleteValue(w);
            throw StoreError(FormatText("Failed to set data for '%s'", name));
        }
        written.push_back(name);
    }
    return FormatDateTime(kUntilPattern, LocalOf(due, now), locale_);
}

std::vector<Snoozed> SnoozeQueue::TakeDue(Seconds utcNow, const BadValue& bad) {
    auto key = store_.Open(Root::CurrentUser, cfg::kSnoozedKey, OpenMode::ReadWrite);
    if (!key) return {};
    struct Entry {
        std::uint64_t number;
        std::string name;
        Snoozed s;
    };
    std::vector<Entry> due;
    for (auto& [name, value] : key->ReadContents().values) {
        const auto number = ValueNumber(name);
        std::optional<Snoozed> s;
        if (value && value->IsText() && number) s = ParseSnoozeValue(value->text);
        if (!s) {
            if (bad) bad(name, !value ? "cannot be read" : !value->IsText() ? "not a text" : "not a snoozed reminder");
            continue;
        }
        if (s->dueUtc <= utcNow) due.push_back({*number, name, std::move(*s)});
    }
    std::sort(due.begin(), due.end(), [](const Entry& a, const Entry& b) {
        return a.s.dueUtc != b.s.dueUtc ? a.s.dueUtc < b.s.dueUtc : a.number < b.number;
    });
    std::vector<Snoozed> taken;
    taken.reserve(due.size());
    for (auto& e : due) {
        // Out of the store before it is shown, so it shows once. One that
        // cannot be taken out waits for a pass that can: shown now, it would
        // come back every minute.
        if (!key->DeleteValue(e.name)) continue;
        taken.push_back(std::move(e.s));
    }
    return taken;
}

}  // namespace pw::sched
