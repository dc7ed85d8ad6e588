#pragma once
// Colour numbers as the program stores them: 32 bits; a high byte of 0x00
// holds red (lowest byte), green and blue in the low three bytes; a high
// byte of 0xFF names a system colour by the index in the low byte (15 is
// the face colour of buttons). Whatever is drawn gets a plain RGB value
// with red lowest, the form Windows takes.

#include <cstdint>
#include <functional>

namespace pw {

// An RGB value, red in the lowest byte, the top byte zero.
using Rgb = std::uint32_t;

constexpr Rgb MakeRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Rgb{red} | (Rgb{green} << 8) | (Rgb{blue} << 16);
}

inline constexpr int kSysColourButtonFace = 15;

inline constexpr Rgb kMaroon = MakeRgb(128, 0, 0);
inline constexpr Rgb kRed = MakeRgb(255, 0, 0);
inline constexpr Rgb kLime = MakeRgb(0, 255, 0);
inline constexpr Rgb kBlack = MakeRgb(0, 0, 0);
inline constexpr Rgb kWhite = MakeRgb(255, 255, 255);

// The current RGB value of a system colour index; the system decides what
// an index it does not know gives.
using SystemColourLookup = std::function<Rgb(int index)>;

// The RGB value a stored colour number stands for. A system colour goes
// through the lookup. A number with any other high byte (one no dialog of
// this program writes, only an edited registry or backup) is read as RGB
// from its low three bytes, so a bad value draws some colour and never
// fails.
Rgb ResolveColour(std::uint32_t value, const SystemColourLookup& systemColour);

}  // namespace pw
