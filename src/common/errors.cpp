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

std::string QuotedValue(std::string_view value) {
    if (value.size() <= kQuotedValueLimit) return std::string(value);
    std::size_t cut = kQuotedValueLimit;
    // Back to the start of a UTF-8 character: continuation bytes are
    // 10xxxxxx.
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    std::string out(value.substr(0, cut));
    out += "... (" + std::to_string(value.size()) + " bytes)";
    return out;
}

}  // namespace pw
