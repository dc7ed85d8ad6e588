// The reminder window as Windows shows it: styles, the rich edit's lines
// with their fonts, the panel's labels, the timer and closing.
#include "platform/win32/reminder_window_win32.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/screen_units.h"
#include "config/value_access.h"
#include "config/values.h"
#include "platform/win32/text.h"
#include "sched/reminder_item.h"
#include "sched/snooze.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/fake_store.h"

namespace pw::win {
namespace {

class ReminderWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        // Windows need a display; the ordinary test run has none, and
        // tests/e2e/test_windows_on_display.sh runs these under Xvfb.
        if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
        window = std::make_unique<ReminderWindowWin32>(store, settings,
                                                       [this](std::string_view m) { logged.emplace_back(m); },
                                                       boxes, ProgramVersion{1, 2, 3, 4, "1.2.3.4"});
        ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
    }

    static std::vector<std::string> Items(int n) {
        std::vector<std::string> items;
        for (int i = 1; i <= n; ++i)
            items.push_back(sched::MakeReminderItem("Message " + std::to_string(i), "Start:when " + std::to_string(i),
                                                    "S" + std::to_string(i)));
        return items;
    }
    std::wstring Caption() const {
        wchar_t buf[256];
        const int n = GetWindowTextW(window->Handle(), buf, 256);
        return std::wstring(buf, n);
    }
    // A control's place in the window's client area.
    RECT ChildRect(HWND child) const {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // The rich edit's paragraphs.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const int count = static_cast<int>(SendMessageW(window->TextControl(), EM_GETLINECOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t buf[512];
            *reinterpret_cast<WORD*>(buf) = 511;
            const int n = static_cast<int>(SendMessageW(window->TextControl(), EM_GETLINE, i, reinterpret_cast<LPARAM>(buf)));
            std::wstring line(buf, n);
            while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
            lines.push_back(Narrow(line));
        }
        while (!lines.empty() && lines.back().empty()) lines.pop_back();
        return lines;
    }
    CHARFORMAT2W FormatOfLine(int line) const {
        HWND edit = window->TextControl();
        const LONG start = static_cast<LONG>(SendMessageW(edit, EM_LINEINDEX, line, 0));
        CHARRANGE r{start, start + 1};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return cf;
    }
    int ClientHeight() const {
        RECT c;
        GetClientRect(window->Handle(), &c);
        return c.bottom - 2 * window->Sizes().border;
    }
    void Timer() { SendMessageW(window->Handle(), WM_TIMER, ReminderWindowWin32::kMsgTimerId, 0); }

    pw::test::TestStore store;
    cfg::GlobalSettings settings;
    std::vector<std::string> logged;
    test::Events events;
    test::FakeMessageBoxes boxes{events};
    std::unique_ptr<ReminderWindowWin32> window;
};

TEST_F(ReminderWin32Test, CreatedHiddenAsAStayOnTopToolWindow) {
    HWND h = window->Handle();
    EXPECT_FALSE(IsWindowVisible(h));
    const LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    const LONG_PTR edit = GetWindowLongPtrW(window->TextControl(), GWL_STYLE);
    EXPECT_TRUE(edit & ES_READONLY);
    EXPECT_FALSE(edit & (WS_HSCROLL | WS_BORDER));
    EXPECT_EQ(Caption(), L"Reminders");

    RECT r, work;
    GetWindowRect(h, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);
    EXPECT_EQ(window->NameLabel(), L"Plenwick");
    EXPECT_EQ(window->VersionLabel(), L"Version 1.2.3");
    EXPECT_EQ(window->CountdownLabel(), L" 0:00 ");
}

TEST_F(ReminderWin32Test, ThreeRemindersWithTheirFontsAndColours) {
    settings.LogReminders = true;
    settings.ReminderBackground = 0x00E0FFFF;
    window->ShowReminders(Items(3));
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    EXPECT_EQ(Caption(), L"Reminders: 3");
    EXPECT_EQ(ClientHeight(), app::ReminderWindow::ClientHeightFor(3, 19, window->Dpi()));
    const std::string rule(170, '-');
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Start:when 1", "1.Message 1", rule, "Start:when 2", "2.Message 2",
                                                 rule, "Start:when 3", "3.Message 3", rule}));
    EXPECT_EQ(logged.size(), 3u);

    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    struct Expect {
        int line;
        int pixels;
        COLORREF colour;
        bool bold;
    };
    for (Expect e : {Expect{0, 9, RGB(128, 0, 0), false}, Expect{1, 19, RGB(0, 0, 255), true},
                     Expect{2, 7, RGB(255, 0, 0), false}, Expect{7, 19, RGB(0, 0, 255), true}}) {
        const CHARFORMAT2W cf = FormatOfLine(e.line);
        EXPECT_EQ(cf.yHeight, ScaledPixelsToPoints(e.pixels, window->Dpi(), ppi) * 20) << e.line;
        EXPECT_EQ(cf.crTextColor, e.colour) << e.line;
        EXPECT_EQ((cf.dwEffects & CFE_BOLD) != 0, e.bold) << e.line;
        EXPECT_EQ(std::wstring(cf.szFaceName), L"Arial") << e.line;
    }
    // Scrolled back to the first line.
    EXPECT_EQ(SendMessageW(window->TextControl(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(ReminderWin32Test, TheTimerCountsDownAndHides) {
    cfg::Write(store, cfg::kSettingsKey, cfg::global::MsgDisplayTime, 1);
    window->ShowReminders(Items(1));
    Timer();
    EXPECT_EQ(window->CountdownLabel(), L" 0:01 ");
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    Timer();
    EXPECT_EQ(window->CountdownLabel(), L" 0:00 ");
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    Timer();  // hidden: nothing changes
    EXPECT_EQ(window->CountdownLabel(), L" 0:00 ");
}

TEST_F(ReminderWin32Test, TheCountdownKeepsItsPlaceAtTheRightEdge) {
    window->ShowReminders(Items(1));
    RECT c;
    GetClientRect(window->Handle(), &c);
    RECT cd = window->CountdownRect();
    const int gap = c.right - cd.right;
    EXPECT_EQ(gap, window->Sizes().border + window->Sizes().countdownRightGap);
    RECT w;
    GetWindowRect(window->Handle(), &w);
    SetWindowPos(window->Handle(), nullptr, 0, 0, w.right - w.left + 80, w.bottom - w.top, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(window->Handle(), &c);
    cd = window->CountdownRect();
    EXPECT_EQ(c.right - cd.right, gap);
    EXPECT_EQ(c.bottom - cd.bottom,
              window->Sizes().border + (window->Sizes().panelHeight - (cd.bottom - cd.top) + 1) / 2);
}

// Moved to a monitor at twice the DPI while it shows: the panel, its fonts
// and the text are laid out again at the new sizes; nothing is logged twice.
TEST_F(ReminderWin32Test, AChangeOfDpiLaysTheWindowOutAgain) {
    settings.LogReminders = true;
    window->ShowReminders(Items(2));
    const int dpi = window->Dpi() * 2;
    RECT w;
    GetWindowRect(window->Handle(), &w);
    RECT suggested{w.left, w.top, w.left + 2 * (w.right - w.left), w.top + 2 * (w.bottom - w.top)};
    SendMessageW(window->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window->Sizes(), app::ReminderLayout::At(dpi));
    EXPECT_EQ(ClientHeight(), app::ReminderWindow::ClientHeightFor(2, 19, dpi));
    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(FormatOfLine(1).yHeight, ScaledPixelsToPoints(19, dpi, ppi) * 20);
    EXPECT_EQ(logged.size(), 2u);
    // The countdown keeps its scaled gap to the panel's right edge.
    RECT c;
    GetClientRect(window->Handle(), &c);
    EXPECT_EQ(c.right - window->CountdownRect().right, window->Sizes().border + window->Sizes().countdownRightGap);
}

TEST_F(ReminderWin32Test, SnoozeSitsBetweenVersionAndCountdownAndPutsTheRemindersOff) {
    const Locale locale = Locale::EnGB();
    sched::SnoozeQueue queue(store, locale);
    test::FakeClock clock;
    window->Logic().AttachSnooze(&queue, &clock);
    window->ShowReminders(Items(2));
    HWND button = window->SnoozeButton();
    ASSERT_TRUE(button);
    EXPECT_EQ(WindowText(window->SnoozeField()), L"10");
    // Left of the countdown, inside the panel, the field between them, and
    // at any width of the window.
    for (int wider : {0, 200}) {
        RECT w;
        GetWindowRect(window->Handle(), &w);
        SetWindowPos(window->Handle(), nullptr, 0, 0, w.right - w.left + wider, w.bottom - w.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT b = ChildRect(button), f = ChildRect(window->SnoozeField()), c;
        const RECT cd = window->CountdownRect();
        GetClientRect(window->Handle(), &c);
        EXPECT_LT(b.right, f.left);
        EXPECT_LT(f.right, cd.left);
        // Inside the bottom panel.
        const auto& sizes = window->Sizes();
        EXPECT_GE(b.top, c.bottom - sizes.border - sizes.panelHeight);
        EXPECT_LE(b.bottom, c.bottom - sizes.border);
    }
    EXPECT_NE(GetWindowLongPtrW(button, GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_NE(GetWindowLongPtrW(window->SnoozeField(), GWL_STYLE) & WS_TABSTOP, 0);
    SetWindowTextW(window->SnoozeField(), L"3");
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    EXPECT_EQ(ReadRegInteger(store, cfg::kSettingsKey, "SnoozeMinutes", 0), 3);
    auto key = store.Open(Root::CurrentUser, cfg::kSnoozedKey, OpenMode::Read);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ValueNames().size(), 2u);
}

TEST_F(ReminderWin32Test, ClosingOnlyHides) {
    window->ShowReminders(Items(2));
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window->Handle()));
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    window->ShowReminders(Items(1));
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    EXPECT_EQ(Caption(), L"Reminders: 1");
}

TEST_F(ReminderWin32Test, AnyMessageShowsAsTyped) {
    // The text reaches the control as rich text: its own characters, accents
    // and characters beyond the BMP must come out as they went in.
    const std::string message = "Caf\xC3\xA9 {x} a\\b \xE2\x82\xAC \xF0\x9F\x98\x80 \\par\\b";
    window->ShowReminders({sched::MakeReminderItem(message, "Start:{when}", "S")});
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Start:{when}");
    EXPECT_EQ(lines[1], "1." + message);
}

TEST_F(ReminderWin32Test, ManyRemindersStayWithinTheWorkAreaAndScroll) {
    window->ShowReminders(Items(60));
    RECT r, work;
    GetWindowRect(window->Handle(), &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(r.bottom - r.top, work.bottom - work.top);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    // The vertical scroll bar appears when the text needs it; there is never
    // a horizontal one.
    const LONG_PTR edit = GetWindowLongPtrW(window->TextControl(), GWL_STYLE);
    EXPECT_TRUE(edit & WS_VSCROLL);
    EXPECT_FALSE(edit & WS_HSCROLL);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 180u);
    EXPECT_EQ(lines[178], "60.Message 60");
    EXPECT_EQ(SendMessageW(window->TextControl(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(ReminderWin32Test, TheCountdownTicksOnItsOwnWhileShownOnly) {
    EXPECT_FALSE(window->TimerArmed()) << "a hidden window needs no ticks";
    cfg::Write(store, cfg::kSettingsKey, cfg::global::MsgDisplayTime, 1);
    // Shown between two beats of the timer that started with the window:
    // the first tick comes on the next beat, not a whole second later.
    Sleep(400);
    window->ShowReminders(Items(1));
    EXPECT_TRUE(window->TimerArmed());
    // The real timer, not a sent message: the first tick shows 0:01, the
    // next one 0:00 and hides the window.
    const DWORD start = GetTickCount();
    std::vector<DWORD> ticks;
    MSG m;
    while (window->TimerArmed() && GetTickCount() - start < 5000) {
        if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_TIMER && m.hwnd == window->Handle()) ticks.push_back(GetTickCount() - start);
            DispatchMessageW(&m);
        } else {
            Sleep(10);
        }
    }
    EXPECT_FALSE(window->TimerArmed());
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    EXPECT_EQ(window->CountdownLabel(), L" 0:00 ");
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_LE(ticks[0], 900u);
    EXPECT_GE(ticks[1] - ticks[0], 700u);
    EXPECT_LE(ticks[1] - ticks[0], 1300u);

    window->ShowReminders(Items(1));
    EXPECT_TRUE(window->TimerArmed());
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window->TimerArmed()) << "closing hides, and the ticks stop";
}

TEST_F(ReminderWin32Test, DestroyingEndsTheCountdown) {
    cfg::Write(store, cfg::kSettingsKey, cfg::global::MsgDisplayTime, 30);
    window->ShowReminders(Items(1));
    EXPECT_EQ(window->Logic().CountdownSeconds(), 30);
    DestroyWindow(window->Handle());
    EXPECT_EQ(window->Handle(), nullptr);
    EXPECT_EQ(window->Logic().CountdownSeconds(), 0);
}

}  // namespace
}  // namespace pw::win
