#pragma once
// Small text routines several parts need: ASCII letter case, trimming,
// whole decimal numbers and splitting. Everything here is byte-wise on
// UTF-8; letters beyond ASCII keep their case, as the stored names and the
// command line compare them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

char LowerAscii(char c);
std::string LowerAscii(std::string_view s);
// Equal but for the case of ASCII letters.
bool EqualNoCase(std::string_view a, std::string_view b);

// Blanks at either end go: spaces, tabs and the no-break spaces some
// locales write into their date and time texts.
std::string_view TrimBlanks(std::string_view s);
// The length in bytes of the blank s starts with, 0 if none.
std::size_t LeadingBlank(std::string_view s);
// Spaces and every control character (DEL included) at either end go, as a
// line typed into a list or read from a downloaded file may carry them.
std::string_view TrimControls(std::string_view s);

// A whole decimal number: an optional "+" or "-", then digits and nothing
// else (no blanks). A magnitude beyond what 64 bits hold saturates near
// the limit instead of wrapping, so callers check their own range.
std::optional<std::int64_t> ParseDecimal(std::string_view text);

// Splits text at every occurrence of separator, left to right without
// overlap, case-sensitive. Text without the separator gives one part; an
// empty separator gives no parts at all.
std::vector<std::string> SplitString(std::string_view text, std::string_view separator);

// Texts joined at compile time, so a name written once (the program's
// title, its settings key) can be part of other constant texts:
//   inline constexpr std::string_view kKey = Joined<kMaker, kAppTitle>;
template <const std::string_view&... Parts>
struct JoinedText {
    static constexpr auto storage = [] {
        std::array<char, (Parts.size() + ... + 0) + 1> out{};
        std::size_t at = 0;
        for (std::string_view part : {Parts...})
            for (char c : part) out[at++] = c;
        return out;
    }();
    static constexpr std::string_view value{storage.data(), storage.size() - 1};
};
template <const std::string_view&... Parts>
inline constexpr std::string_view Joined = JoinedText<Parts...>::value;

}  // namespace pw
