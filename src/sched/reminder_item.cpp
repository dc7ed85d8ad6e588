#include "sched/reminder_item.h"

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
    if (parts.size() > 0) f.message = UnescapeField(parts[0]);
    if (parts.size() > 1) f.description = UnescapeField(parts[1]);
    // An item made elsewhere with more separators keeps the rest in the name.
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (i > 2) f.name += kItemSeparator;
        f.name += UnescapeField(parts[i]);
    }
    return f;
}

std::string ReminderDescription(const ScheduleTiming& t, const Locale& loc) {
    std::string d = "Start:";
    d += DateTimeToText(FromSeconds(t.Start()), loc);
    d += "     [";
    d += TimeToText(t.repeatPeriod, loc);
    d += "/";
    d += std::to_string(t.cycleNumber);
    d += t.cycleUnit;
    d += "]     End:";
    d += DateTimeToText(FromSeconds(t.End()), loc);
    return d;
}

std::vector<std::string> SplitString(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    if (separator.empty()) return parts;
    std::size_t start = 0;
    while (true) {
        auto at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

}  // namespace pw::sched
