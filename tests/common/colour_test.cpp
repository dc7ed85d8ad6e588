#include "common/colour.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(Colour, StoredNumbersResolveToRgb) {
    const SystemColourLookup system = [](int index) -> Rgb {
        return index == kSysColourButtonFace ? MakeRgb(240, 240, 240) : MakeRgb(0, 0, static_cast<std::uint8_t>(index));
    };
    struct Case {
        std::uint32_t stored;
        Rgb rgb;
    };
    for (Case c : {
             Case{0x00FF0000u, MakeRgb(0, 0, 255)},      // the default text colour: pure blue
             Case{0x000000FFu, MakeRgb(255, 0, 0)},      // red is the lowest byte
             Case{0x00123456u, MakeRgb(0x56, 0x34, 0x12)},
             Case{0xFF00000Fu, MakeRgb(240, 240, 240)},  // the button face
             Case{0xFF000005u, MakeRgb(0, 0, 5)},
             Case{0xFF1234FFu, MakeRgb(0, 0, 255)},      // only the low byte names the index
             Case{0x80ABCDEFu, MakeRgb(0xEF, 0xCD, 0xAB)},  // any other high byte: its RGB part
             Case{0xFFFFFFFFu, MakeRgb(0, 0, 255)},
         }) {
        EXPECT_EQ(ResolveColour(c.stored, system), c.rgb) << std::hex << c.stored;
    }
}

TEST(Colour, ALookupAnswerIsCutToRgbAndNoLookupGivesBlack) {
    EXPECT_EQ(ResolveColour(0xFF00000Fu, [](int) { return 0xAA102030u; }), 0x102030u);
    EXPECT_EQ(ResolveColour(0xFF00000Fu, nullptr), kBlack);
}

}  // namespace
}  // namespace pw
