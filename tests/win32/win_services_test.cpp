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

HWND doomed;
// A timer procedure has the system's calling convention, which a lambda
// lacks on 32-bit Windows.
void CALLBACK DestroyDoomed(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    DestroyWindow(doomed);
}

// A question whose box ends without a button pressed is a No, even where
// Yes is the default button: the program ending under an open "New Version
// Found" must not start the browser.
TEST(WinMessageBoxesTest, ABoxEndedWithoutAnAnswerIsANo) {
    // tests/e2e/test_windows_on_display.sh runs this under Xvfb.
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    struct Case {
        const char* what;
        bool quit;  // a quit is posted, as Exit or a WM_CLOSE to the clock window posts one
    };
    for (Case c : {Case{"the program ends", true}, Case{"the owner window goes", false}}) {
        SCOPED_TRACE(c.what);
        // A class of its own: the system's classes may be redirected to the
        // common controls by the test program's manifest.
        static const ATOM ownerClass = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"PwTestBoxOwner";
            return RegisterClassW(&wc);
        }();
        ASSERT_NE(ownerClass, 0);
        HWND owner = CreateWindowExW(0, L"PwTestBoxOwner", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        doomed = owner;
        if (c.quit)
            PostQuitMessage(0);
        else
            SetTimer(nullptr, 0, 300, DestroyDoomed);
        WinMessageBoxes boxes;
        boxes.SetOwner(owner);
        EXPECT_EQ(boxes.Ask("New Version Found", "Would you like to read about it?", Answer::Yes), Answer::No);
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        if (IsWindow(owner)) DestroyWindow(owner);
    }
}

}  // namespace
}  // namespace pw::win
