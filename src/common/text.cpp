#include "common/text.h"

#include <algorithm>
#include <limits>

namespace pw {

namespace {

constexpr std::string_view kBlanks[] = {" ", "\t", "\xC2\xA0", "\xE2\x80\xAF"};

std::size_t TrailingBlank(std::string_view s) {
    for (std::string_view b : kBlanks)
        if (s.ends_with(b)) return b.size();
    return 0;
}

bool IsControlOrSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
}

}  // namespace

std::size_t LeadingBlank(std::string_view s) {
    for (std::string_view b : kBlanks)
        if (s.starts_with(b)) return b.size();
    return 0;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string_view TrimBlanks(std::string_view s) {
    while (std::size_t n = LeadingBlank(s)) s.remove_prefix(n);
    while (std::size_t n = TrailingBlank(s)) s.remove_suffix(n);
    return s;
}

std::string_view TrimControls(std::string_view s) {
    while (!s.empty() && IsControlOrSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsControlOrSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10 - 1;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value < kLimit) value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
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

}  // namespace pw
