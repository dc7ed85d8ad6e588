#include "common/errors.h"

namespace pw {

std::string FormatText(std::string_view pattern, std::string_view arg) {
    auto at = pattern.find("%s");
    if (at == std::string_view::npos) return std::string(pattern);
    std::string out;
    out.reserve(pattern.size() + arg.size());
    out.append(pattern.substr(0, at)).append(arg).append(pattern.substr(at + 2));
    return out;
}

namespace {

std::string CutAndMarked(std::string_view value, std::size_t cut) {
    std::string out(value.substr(0, cut));
    out += "... (" + std::to_string(value.size()) + " bytes)";
    return out;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string QuotedValue(std::string_view value) {
    if (value.size() <= kQuotedValueLimit) return std::string(value);
    std::size_t cut = kQuotedValueLimit;
    // Back to the start of a UTF-8 character: continuation bytes are
    // 10xxxxxx.
    while (cut > 0 && IsContinuation(value[cut])) --cut;
    return CutAndMarked(value, cut);
}

std::string QuotedValueUpTo(std::string_view value, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t at = 0; at < value.size();) {
        const auto lead = static_cast<unsigned char>(value[at]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        // A sequence cut short, and a byte that starts none, are one
        // character each, as the conversion to UTF-16 makes them.
        std::size_t n = 1;
        while (n < length && at + n < value.size() && IsContinuation(value[at + n])) ++n;
        const std::size_t units = n == 4 ? 2 : 1;
        if (chars + units > maxChars) return CutAndMarked(value, at);
        chars += units;
        at += n;
    }
    return std::string(value);
}

}  // namespace pw
