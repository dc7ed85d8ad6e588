#include "platform/win32/win_services.h"

#include <gtest/gtest.h>

namespace pw::win {
namespace {

TEST(WinSoundTest, TheSoundServiceComesWithTheFirstSound) {
    // Loaded on demand, so a wrong library or entry name would only show as
    // a silent reminder.
    EXPECT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr) << "the program must not load it at start";
    WinSound sound;
    sound.PlayFile("Z:\\no\\such\\sound.wav");
    EXPECT_TRUE(WinSound::Available());
    EXPECT_NE(GetModuleHandleW(L"winmm.dll"), nullptr);
}

}  // namespace
}  // namespace pw::win
