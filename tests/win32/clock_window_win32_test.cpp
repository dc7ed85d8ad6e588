// The clock window as Windows shows it: styles and size, the painted
// labels, the timer, the menu from the resources, the tray and exit; and
// the single-instance mutexes and the help address.
#include "platform/win32/clock_window_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup.h"
#include "common/screen_units.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "platform/win32/help_win32.h"
#include "platform/win32/instance_mutex.h"
#include "platform/win32/text.h"
#include "platform/win32/settings_dialog_win32.h"
#include "platform/win32/win_files.h"
#include "resource.h"
#include "../app/clock_links.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/fake_store.h"

namespace pw::win {
namespace {

using app::Label;
using app::MenuCommand;

TEST(InstanceMutexWin32, TheSecondClaimOfEachKindEnds) {
    // Unique names per run, so an instance of the program elsewhere in the
    // prefix does not interfere: the guard's logic is the same for any name.
    InstanceMutexes first;
    EXPECT_FALSE(first.CreateOwned("PlenwickTest_A_" + std::to_string(GetCurrentProcessId())));
    InstanceMutexes second;
    EXPECT_TRUE(second.CreateOwned("PlenwickTest_A_" + std::to_string(GetCurrentProcessId())));
    second.CloseLast();
    first.CloseLast();
    InstanceMutexes third;
    EXPECT_FALSE(third.CreateOwned("PlenwickTest_A_" + std::to_string(GetCurrentProcessId())))
        << "a closed mutex is gone with its last handle";
}

TEST(InstanceMutexWin32, NormalAndTestInstancesSideBySide) {
    // Only valid while no plenwick.exe runs in this prefix; the e2e tests
    // end theirs before the Windows tests run.
    InstanceMutexes normal;
    if (normal.CreateOwned(app::kMutexName)) GTEST_SKIP() << "a Plenwick instance is running";
    normal.CloseLast();
    InstanceMutexes a, b, c;
    EXPECT_EQ(app::ClaimInstance(a, std::nullopt), app::InstanceDecision::Run);
    EXPECT_EQ(app::ClaimInstance(b, "Test"), app::InstanceDecision::Run);
    EXPECT_EQ(app::ClaimInstance(c, "TEST"), app::InstanceDecision::End);
}

TEST(HelpWin32, TheTopicIsAnAnchorOfAFileAddress) {
    EXPECT_EQ(HelpTopicUrl("C:\\Program Files\\Plenwick\\plenwk.htm", 10),
              L"file:///C:/Program%20Files/Plenwick/plenwk.htm#topic10");
    EXPECT_EQ(HelpTopicUrl("Z:\\tmp\\a#b\\plenwk.htm", 3), L"file:///Z:/tmp/a%23b/plenwk.htm#topic3");
}

TEST(ClockMenuWin32, TheResourceMenuHasTheCommandsInOrder) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_POPUP));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    const char* want[] = {"Help",     "-",   "Log file",         "-", "Settings", "Disable schedules",
                          "-",        "Minimize to tray", "Restore", "Exit",     "-", "About"};
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(std::size(want)));
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t buf[64] = {};
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
        mi.dwTypeData = buf;
        mi.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &mi));
        std::string text = (mi.fType & MFT_SEPARATOR) ? "-" : Narrow(buf);
        EXPECT_EQ(text, want[i]) << i;
        if (text != "-") {
            MenuCommand c;
            ASSERT_TRUE(MenuCommandOf(mi.wID, c)) << text;
            EXPECT_EQ(MenuIdOf(c), mi.wID);
        }
    }
    EXPECT_TRUE(GetMenuState(popup, IDM_RESTORE, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
}

class ClockWin32Test : public ::testing::Test {
protected:
    ClockWin32Test() : sound(events), boxes(events), shell(events) {
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 9, 0);
    }

    void SetUp() override {
        // Windows need a display; the ordinary test run has none, and
        // tests/e2e/test_windows_on_display.sh runs these under Xvfb.
        if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    }
    void TearDown() override {
        window.reset();
        // The window posts the end of the message loop when it goes.
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void Create() {
        window = std::make_unique<ClockWindowWin32>(AppServices{store, clock, locale, files, sound, boxes, shell},
                                                    files.ExecutableDirectory(), links.Get());
        ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
    }
    HWND Hwnd() const { return window->Handle(); }
    RECT Rect() const {
        RECT r;
        GetWindowRect(Hwnd(), &r);
        return r;
    }
    std::wstring Caption() const {
        wchar_t buf[128];
        const int n = GetWindowTextW(Hwnd(), buf, 128);
        return std::wstring(buf, n);
    }
    UINT MenuState(UINT id) const { return GetMenuState(window->PopupMenu(), id, MF_BYCOMMAND); }
    void Command(UINT id) { SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    test::TestStore store;
    test::FakeClock clock;
    Locale locale = Locale::EnGB();
    WinFileSystem files;
    test::Events events;
    test::FakeSound sound;
    test::FakeMessageBoxes boxes;
    test::FakeShell shell;
    test::ClockLinks links{files, clock, locale, files.ExecutableDirectory()};
    std::unique_ptr<ClockWindowWin32> window;
};

TEST_F(ClockWin32Test, AFixedToolWindowWithoutSystemMenuAtTheStoredPlace) {
    cfg::Write(store, cfg::kSettingsKey, cfg::global::Left, 40);
    cfg::Write(store, cfg::kSettingsKey, cfg::global::Top, 50);
    Create();
    const auto style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    const auto ex = GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(Rect().left, 40);
    EXPECT_EQ(Rect().top, 50);
    EXPECT_EQ(Rect().right - Rect().left, ScaleToDpi(app::kClockWidth, window->Dpi()));
    EXPECT_EQ(Caption(), L"Schedules");
    EXPECT_FALSE(IsWindowVisible(Hwnd())) << "shown only at the end of the start";
    window->ShowAtStart();
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
}

TEST_F(ClockWin32Test, LabelsAreMeasuredStackedAndSizeTheClientArea) {
    Create();
    EXPECT_EQ(window->LabelText(Label::Date), L"Tue 08/12/2026");
    EXPECT_EQ(window->LabelText(Label::Time), L"14:05:09");
    EXPECT_EQ(window->LabelPoints(Label::Time), 14);
    RECT c;
    GetClientRect(Hwnd(), &c);
    HDC dc = GetDC(Hwnd());
    int heights = 0;
    for (Label l : {Label::Date, Label::Time}) {
        HFONT f = CreateFontW(-MulDiv(window->LabelPoints(l), GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_BOLD,
                              FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        HGDIOBJ old = SelectObject(dc, f);
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        SIZE sz;
        const std::wstring& text = window->LabelText(l);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &sz);
        SelectObject(dc, old);
        DeleteObject(f);
        EXPECT_EQ(window->LabelPosition(l).x, app::CentredLeft(c.right, sz.cx));
        EXPECT_EQ(window->LabelPosition(l).y, heights);
        heights += tm.tmHeight;
    }
    ReleaseDC(Hwnd(), dc);
    EXPECT_EQ(c.bottom, heights);
}

TEST_F(ClockWin32Test, TheTimerStartsWhenTheProgramStartsTheClockAndTicksThePass) {
    Create();
    EXPECT_EQ(window->TimerInterval(), 0);
    SettingsDialogWin32 settings({.app = {store, clock, locale, files, sound, boxes, shell},
                                  .clockWindow = window->Logic(),
                                  .executablePath = "plenwick.exe",
                                  .launcher = links.launcher});
    window->Logic().ConnectDialog(settings.Logic());
    ASSERT_TRUE(settings.Create(GetModuleHandleW(nullptr), Hwnd()));
    EXPECT_EQ(window->TimerInterval(), 0);
    window->Logic().StartClock();
    EXPECT_EQ(window->TimerInterval(), 1000);
    SendMessageW(Hwnd(), WM_TIMER, kClockTimerId, 0);
    EXPECT_EQ(Caption(), L"Schedules: 0");
}

// The client area's pixels as the window system holds them now, without
// letting the window handle any message first.
std::vector<COLORREF> ClientPixels(HWND hwnd) {
    RECT c;
    GetClientRect(hwnd, &c);
    HDC dc = GetDC(hwnd);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < c.bottom; ++y)
        for (int x = 0; x < c.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return pixels;
}

TEST_F(ClockWin32Test, EachTickDrawsTheNewTimeAtOnce) {
    // A new second must reach the screen with the tick itself, not only
    // when a paint message comes round.
    Create();
    window->ShowAtStart();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

    SendMessageW(Hwnd(), WM_TIMER, kClockTimerId, 0);
    const auto at09 = ClientPixels(Hwnd());
    clock.local += EncodeTime(0, 0, 1, 0);
    SendMessageW(Hwnd(), WM_TIMER, kClockTimerId, 0);
    ASSERT_EQ(window->LabelText(Label::Time), L"14:05:10");
    const auto at10 = ClientPixels(Hwnd());
    EXPECT_TRUE(at09 != at10) << "the new second is not on the screen";
    clock.local -= EncodeTime(0, 0, 1, 0);
    SendMessageW(Hwnd(), WM_TIMER, kClockTimerId, 0);
    EXPECT_TRUE(ClientPixels(Hwnd()) == at09) << "the same time draws the same picture";
}

TEST_F(ClockWin32Test, MinimizeToTrayHidesAndTheIconsDoubleClickRestores) {
    Create();
    window->ShowAtStart();
    EXPECT_FALSE(MenuState(IDM_TRAY) & MF_GRAYED);
    EXPECT_TRUE(MenuState(IDM_RESTORE) & MF_GRAYED);
    Command(IDM_TRAY);
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    EXPECT_TRUE(MenuState(IDM_TRAY) & MF_GRAYED);
    EXPECT_FALSE(MenuState(IDM_RESTORE) & MF_GRAYED);
    SendMessageW(Hwnd(), kTrayMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(MenuState(IDM_TRAY) & MF_GRAYED);
    EXPECT_TRUE(MenuState(IDM_RESTORE) & MF_GRAYED);
}

TEST_F(ClockWin32Test, DisableSchedulesCarriesItsCheckMark) {
    Create();
    EXPECT_FALSE(MenuState(IDM_DISABLESCHED) & MF_CHECKED);
    Command(IDM_DISABLESCHED);
    EXPECT_TRUE(MenuState(IDM_DISABLESCHED) & MF_CHECKED);
    EXPECT_TRUE(window->Logic().SchedulesDisabled());
}

TEST_F(ClockWin32Test, AStartInTheTrayShowsNothingUntilRestore) {
    cfg::Write(store, cfg::kSettingsKey, cfg::global::StartMinimized, true);
    cfg::Write(store, cfg::kSettingsKey, cfg::global::Left, 70);
    Create();
    window->ShowAtStart();
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(MenuState(IDM_RESTORE) & MF_GRAYED);
    Command(IDM_RESTORE);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_EQ(Rect().left, 70);
}

TEST_F(ClockWin32Test, ExitDestroysTheWindowAndStoresItsPosition) {
    Create();
    SetWindowPos(Hwnd(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND h = Hwnd();
    Command(IDM_CLOSE);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::Left), 123);
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::Top), 45);
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop is told to end";
}

TEST_F(ClockWin32Test, ClosingTheWindowIsExitToo) {
    Create();
    HWND h = Hwnd();
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(KeyExists(store, cfg::kSettingsKey));
}

TEST_F(ClockWin32Test, TheTrayIconIsThereFromTheStartInBothStates) {
    for (bool minimized : {false, true}) {
        SCOPED_TRACE(minimized);
        cfg::Write(store, cfg::kSettingsKey, cfg::global::StartMinimized, minimized);
        Create();
        window->ShowAtStart();
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        EXPECT_TRUE(window->TrayIconAdded());
        EXPECT_EQ(IsWindowVisible(Hwnd()) != FALSE, !minimized);
    }
}

// A move to a monitor at 150 %: the window takes the system's suggested
// place, its width and label fonts follow the new DPI, and the labels still
// fit. The icons are drawn at the sizes asked for, not stretched.
TEST_F(ClockWin32Test, AChangeOfDpiResizesTheWindowAndItsLabels) {
    Create();
    const int before = window->Dpi();
    const int dpi = before * 3 / 2;
    RECT suggested{30, 40, 30 + 200, 40 + 100};
    SendMessageW(Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window->Dpi(), dpi);
    EXPECT_EQ(Rect().left, 30);
    EXPECT_EQ(Rect().top, 40);
    EXPECT_EQ(Rect().right - Rect().left, ScaleToDpi(app::kClockWidth, dpi));
    RECT c;
    GetClientRect(Hwnd(), &c);
    // The 24-hour time keeps its 14 points, now at the higher DPI: its line
    // is half as high again, and it still fits.
    EXPECT_EQ(window->LabelPoints(Label::Time), 14);
    EXPECT_GE(c.bottom, MulDiv(14, dpi, 72) + MulDiv(9, dpi, 72) / 2);
    for (Label l : {Label::Date, Label::Time}) EXPECT_GE(window->LabelPosition(l).x, 1);

    // The notification area's icon at the size the shell asks for.
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(window->TrayIconImage(), &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

}  // namespace
}  // namespace pw::win
