// Reminder items under arbitrary text. Any three fields joined into an item
// must come back whole, "|" and "||" included; any text at all must parse
// into three fields and split without a crash, and the split parts joined
// with the separator must give the text back.
//
// Input: the bytes up to the first two 0x00 bytes are the message, the
// description and the name; the whole input is also parsed and split as it
// is, with a separator taken from its first byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sched/reminder_item.h"

namespace {

void Check(bool ok, const char* what, std::string_view text) {
    if (ok) return;
    std::fprintf(stderr, "%s: [%.*s]\n", what, int(text.size()), text.data());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pw::sched;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string_view fields[3];
    std::string_view rest = input;
    for (int i = 0; i < 2; ++i) {
        const auto at = rest.find('\0');
        fields[i] = rest.substr(0, at);
        rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    }
    fields[2] = rest;
    const std::string item = MakeReminderItem(fields[0], fields[1], fields[2]);
    const ReminderFields f = ParseReminderItem(item);
    Check(f.message == fields[0], "message", input);
    Check(f.description == fields[1], "description", input);
    Check(f.name == fields[2], "name", input);

    ParseReminderItem(input);

    const std::string separator = size > 0 && data[0] % 4 != 0 ? std::string(data[0] % 4, '|') : std::string("x");
    const auto parts = pw::SplitString(input, separator);
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) joined += separator;
        joined += parts[i];
    }
    Check(joined == input, "split and join", input);
    return 0;
}
