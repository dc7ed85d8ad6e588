#include "common/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace pw {
namespace {

using Parts = std::vector<std::string>;

TEST(SplitString, SplitsAtEverySeparatorWithoutOverlap) {
    struct Case {
        const char* text;
        const char* sep;
        Parts parts;
    };
    const std::vector<Case> cases = {
        {"a||b||c", "||", {"a", "b", "c"}},
        {"abc", "||", {"abc"}},
        {"", "||", {""}},
        {"||", "||", {"", ""}},
        {"a||", "||", {"a", ""}},
        {"||a", "||", {"", "a"}},
        {"a|||b", "||", {"a", "|b"}},   // left to right, no overlap
        {"a||||b", "||", {"a", "", "b"}},
        {"1.2.3", ".", {"1", "2", "3"}},
        {"aXbxc", "X", {"a", "bxc"}},   // case-sensitive
        {"abcabc", "abc", {"", "", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitString(c.text, c.sep), c.parts) << '"' << c.text << '"';
    EXPECT_TRUE(SplitString("a||b", "").empty());  // no parts at all
}

TEST(SplitString, ManyPartsNeedNoCapacityFromTheCaller) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += std::to_string(i) + "||";
    const Parts parts = SplitString(text, "||");
    ASSERT_EQ(parts.size(), 1001u);
    EXPECT_EQ(parts[999], "999");
    EXPECT_EQ(parts[1000], "");
}

TEST(TextHelpers, TrimKeepsWhatLiesBetweenTheEnds) {
    struct Case {
        std::string_view text;
        std::string_view blanks;    // TrimBlanks
        std::string_view controls;  // TrimControls
    };
    const Case cases[] = {
        {"", "", ""},
        {" \t ", "", ""},
        {" a b\t", "a b", "a b"},
        {"\xC2\xA0" "12\xE2\x80\xAF", "12", "\xC2\xA0" "12\xE2\x80\xAF"},  // no-break spaces are blanks
        {"\r\npool.ntp.org\x7F\x01", "\r\npool.ntp.org\x7F\x01", "pool.ntp.org"},
        {"\xC2\xA9", "\xC2\xA9", "\xC2\xA9"},  // a letter beyond ASCII is kept whole
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimBlanks(c.text), c.blanks) << c.text;
        EXPECT_EQ(TrimControls(c.text), c.controls) << c.text;
    }
}

TEST(TextHelpers, DecimalNumbersWithTheirSign) {
    const std::pair<std::string_view, std::optional<std::int64_t>> cases[] = {
        {"0", 0},
        {"+17", 17},
        {"-2147483648", -2147483648LL},
        {"007", 7},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {" 1", std::nullopt},  // callers trim first
        {"1e3", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseDecimal(text), value) << text;
    // Far too many digits saturate instead of wrapping to a small number.
    const auto huge = ParseDecimal(std::string(40, '9'));
    ASSERT_TRUE(huge);
    EXPECT_GT(*huge, 1'000'000'000'000'000LL);
    EXPECT_LT(*ParseDecimal("-" + std::string(40, '9')), -1'000'000'000'000'000LL);
}

TEST(TextHelpers, CaseFoldsOnlyAsciiLetters) {
    EXPECT_EQ(LowerAscii("Plenwick TEST 1.2 \xC3\x84"), "plenwick test 1.2 \xC3\x84");
    EXPECT_TRUE(EqualNoCase("Content-LENGTH", "content-length"));
    EXPECT_FALSE(EqualNoCase("\xC3\x84", "\xC3\xA4"));
    EXPECT_FALSE(EqualNoCase("test", "tests"));
}

}  // namespace
}  // namespace pw
