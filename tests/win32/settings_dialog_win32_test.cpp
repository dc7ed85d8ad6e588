// The settings dialog as Windows builds it: the templates' controls and
// their classes, the notifications that count as the user's and those that
// do not, the pickers' values, the input box, and opening and closing.
#include "platform/win32/settings_dialog_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "common/datefmt.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "platform/win32/clock_window_win32.h"
#include "platform/win32/settings_controls_win32.h"
#include "platform/win32/text.h"
#include "platform/win32/win_files.h"
#include "resource.h"
#include "ui/option_rows.h"
#include "../app/clock_links.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/fake_store.h"

namespace pw::win {
namespace {

using ui::Ctl;
namespace sv = cfg::schedule;

std::wstring ClassOf(HWND h) {
    wchar_t buf[64];
    return std::wstring(buf, static_cast<std::size_t>(GetClassNameW(h, buf, 64)));
}

std::wstring TextOf(HWND h) {
    wchar_t buf[256];
    return std::wstring(buf, static_cast<std::size_t>(GetWindowTextW(h, buf, 256)));
}

LONG_PTR StyleOf(HWND h) { return GetWindowLongPtrW(h, GWL_STYLE); }

class SettingsWin32Test : public ::testing::Test {
protected:
    SettingsWin32Test() : sound(events), boxes(events), shell(events) {
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 9, 0);
    }

    void SetUp() override {
        // Windows need a display; tests/e2e/test_windows_on_display.sh runs
        // these under Xvfb.
        if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    }
    void TearDown() override {
        dialog.reset();
        clockWindow.reset();
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void Create() {
        clockWindow = std::make_unique<ClockWindowWin32>(AppServices{store, clock, locale, files, sound, boxes, shell},
                                                         files.ExecutableDirectory(), links.Get());
        ASSERT_TRUE(clockWindow->Create(GetModuleHandleW(nullptr)));
        dialog = std::make_unique<SettingsDialogWin32>(
            SettingsDialogWin32::Services{.app = {store, clock, locale, files, sound, boxes, shell},
                                          .clockWindow = clockWindow->Logic(),
                                          .version = {1, 2, 3, 4, "1.2.3.4"},
                                          .executablePath = "plenwick.exe",
                                          .launcher = links.launcher});
        ASSERT_TRUE(dialog->Create(GetModuleHandleW(nullptr), clockWindow->Handle()));
    }
    // The windows are made at the first showing.
    void CreateShown() {
        Create();
        dialog->Logic().Show(app::DialogPage::Schedules);
    }
    HWND C(Ctl c) const { return dialog->Control(c); }
    HWND Schedules() const { return dialog->PageWindow(ui::Page::Schedules); }
    void StoreSchedule(const std::string& name, int type) {
        cfg::Write(store, cfg::ScheduleKey(name), sv::ScheduleType, type);
    }
    std::string Stored(const std::string& name, const cfg::TimeValue& v) {
        return cfg::Read(store, cfg::ScheduleKey(name), v);
    }
    // What a date or time picker sends when the user changes it.
    void PickerChanged(Ctl c) {
        NMDATETIMECHANGE n{};
        n.nmhdr.hwndFrom = C(c);
        n.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(C(c)));
        n.nmhdr.code = DTN_DATETIMECHANGE;
        SendMessageW(GetParent(C(c)), WM_NOTIFY, n.nmhdr.idFrom, reinterpret_cast<LPARAM>(&n));
    }
    SYSTEMTIME PickerTime(Ctl c) const {
        SYSTEMTIME st{};
        SendMessageW(C(c), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return st;
    }

    test::TestStore store;
    test::FakeClock clock;
    Locale locale = Locale::EnGB();
    WinFileSystem files;
    test::Events events;
    test::FakeSound sound;
    test::FakeMessageBoxes boxes;
    test::FakeShell shell;
    test::ClockLinks links{files, clock, locale, files.ExecutableDirectory()};
    std::unique_ptr<ClockWindowWin32> clockWindow;
    std::unique_ptr<SettingsDialogWin32> dialog;
};

TEST_F(SettingsWin32Test, EveryControlOfTheSchedulesPageIsBuiltAtTheFirstShowingWithItsClass) {
    Create();
    EXPECT_FALSE(dialog->Handle());
    dialog->Logic().Show(app::DialogPage::Schedules);
    struct Row {
        Ctl ctl;
        const wchar_t* cls;
        LONG_PTR style;  // bits the control must have
    };
    const Row rows[] = {
        {Ctl::butHelp, L"Button", 0},
        {Ctl::butClose, L"Button", 0},
        {Ctl::cmbSchedules, L"ComboBox", CBS_DROPDOWNLIST},
        {Ctl::butAddSched, L"Button", BS_ICON | WS_TABSTOP},
        {Ctl::butDelSched, L"Button", BS_ICON | WS_TABSTOP},
        {Ctl::butRename, L"Button", BS_ICON | WS_TABSTOP},
        {Ctl::optSchedType, L"Button", BS_GROUPBOX},
        {Ctl::lblWindowState, L"Static", 0},
        {Ctl::cmbWindowState, L"ComboBox", CBS_DROPDOWNLIST},
        {Ctl::lblMsg, L"Static", 0},
        {Ctl::edtMessage, L"Edit", WS_TABSTOP},
        {Ctl::butTestApp, L"Button", BS_ICON},
        {Ctl::butBrowseApp, L"Button", BS_ICON},
        {Ctl::lblWorkingDir, L"Static", 0},
        {Ctl::edtWorkingDir, L"Edit", WS_TABSTOP},
        {Ctl::butBrowseWorkingDir, L"Button", BS_ICON},
        {Ctl::chkSchedSound, L"Button", BS_AUTOCHECKBOX},
        {Ctl::butPlaySound, L"Button", BS_ICON},
        {Ctl::edtSoundName, L"Edit", WS_TABSTOP},
        {Ctl::butBrowseSound, L"Button", BS_ICON},
        {Ctl::lbl1stRem, L"Static", 0},
        {Ctl::lbl1stDOW, L"Static", 0},
        {Ctl::dtStartDate, L"SysDateTimePick32", DTS_SHORTDATEFORMAT},
        {Ctl::dtStartTime, L"SysDateTimePick32", DTS_TIMEFORMAT},
        {Ctl::dtRepeatPeriod, L"SysDateTimePick32", DTS_TIMEFORMAT},
        {Ctl::lblLastRem, L"Static", 0},
        {Ctl::lblLastDOW, L"Static", 0},
        {Ctl::dtEndDate, L"SysDateTimePick32", DTS_SHORTDATEFORMAT},
        {Ctl::dtEndTime, L"SysDateTimePick32", DTS_TIMEFORMAT},
        {Ctl::spinRepeatCycleNumber, L"Edit", WS_TABSTOP},
        {Ctl::cmbRepeatCycleUnit, L"ComboBox", CBS_DROPDOWNLIST},
        {Ctl::butOnceOnly, L"Button", WS_TABSTOP},
        {Ctl::butSkipToNextCycle, L"Button", WS_TABSTOP},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.ctl));
        HWND h = C(r.ctl);
        ASSERT_TRUE(h);
        EXPECT_EQ(ClassOf(h), r.cls);
        EXPECT_EQ(StyleOf(h) & r.style, r.style);
        if (StyleOf(h) & BS_ICON) {
            EXPECT_TRUE(SendMessageW(h, BM_GETIMAGE, IMAGE_ICON, 0));
        }
    }
    EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
    EXPECT_EQ(TextOf(dialog->Handle()), L"Plenwick v1.2.3");
    EXPECT_TRUE(GetWindowLongPtrW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(StyleOf(dialog->Handle()) & (WS_SYSMENU | WS_THICKFRAME));

    // The five pages in order.
    HWND tab = GetDlgItem(dialog->Handle(), IDC_TAB_PAGES);
    const wchar_t* titles[] = {L"Schedules", L"Global options", L"Display", L"Housekeeping", L"About"};
    ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        wchar_t buf[64] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buf;
        item.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(buf, titles[i]);
        EXPECT_TRUE(dialog->PageWindow(static_cast<ui::Page>(i)));
    }

    // The integer field's buttons write into it, from 0 to 99999999.
    HWND spin = GetDlgItem(Schedules(), IDC_SPIN_REPEATCYCLENUMBER);
    EXPECT_EQ(ClassOf(spin), UPDOWN_CLASSW);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), C(Ctl::spinRepeatCycleNumber));
    int low = -1, high = -1;
    SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 99999999);
}

TEST_F(SettingsWin32Test, WhatTheStartFillsReachesTheControlsAtTheFirstShowing) {
    cfg::Write(store, cfg::kSettingsKey, cfg::global::MaxCorrection, 120);
    cfg::Write(store, cfg::kSettingsKey, cfg::global::ClockDateFormat, std::string("ddd"));
    cfg::Write(store, cfg::kSettingsKey, cfg::global::ReminderFontSize, 12);
    cfg::Write(store, cfg::kSettingsKey, cfg::global::AlwaysOnTop, false);
    StoreSchedule("beta", cfg::kTypeLaunch);
    StoreSchedule("Alpha", cfg::kTypeReminder);
    Create();
    // No window yet, and the time synchronization has its limit; the
    // message loop passes the dialog nothing.
    EXPECT_FALSE(dialog->Handle());
    EXPECT_EQ(clockWindow->Logic().Settings().MaxCorrection, 120);
    MSG m{};
    m.message = WM_KEYDOWN;
    m.wParam = VK_TAB;
    EXPECT_FALSE(dialog->IsDialogMessage(m));

    dialog->Logic().Show(app::DialogPage::About);
    ASSERT_TRUE(dialog->Handle());
    EXPECT_EQ(clockWindow->Logic().Settings().MaxCorrection, 120);
    struct Row {
        Ctl ctl;
        const wchar_t* text;
    };
    const Row rows[] = {
        {Ctl::MaxCorrection, L"120"},
        {Ctl::cmbClockDateFormat, L"ddd"},
        {Ctl::cmbSchedules, L"Alpha"},
        {Ctl::lblMsg, L"Reminder"},
        {Ctl::cmbRepeatCycleUnit, L"disabled"},
        {Ctl::lblAppVersion, L"Version 1.2.3.4"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.ctl));
        EXPECT_EQ(TextOf(C(r.ctl)), r.text);
    }
    EXPECT_EQ(SendMessageW(C(Ctl{IDC_TB_FONTHEIGHT}), TBM_GETPOS, 0, 0), 12);
    EXPECT_EQ(SendMessageW(C(Ctl::chkAlwaysOnTop), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(Schedules(), IDC_OPT_REMINDER), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(C(Ctl::butBrowseApp)));
    EXPECT_TRUE(IsWindowVisible(dialog->PageWindow(ui::Page::About)));
    EXPECT_FALSE(IsWindowVisible(Schedules()));
    // Setting the controls is not the user's doing.
    EXPECT_TRUE(events.list.empty()) << events.list.front();
}

TEST_F(SettingsWin32Test, WindowsBuiltAfterTheStartStayHiddenWithWhatTheStartFilled) {
    const auto pumpFor = [](DWORD ms) {
        const DWORD start = GetTickCount();
        MSG m;
        while (GetTickCount() - start < ms) {
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            Sleep(5);
        }
    };
    // Gone before its time: the timer must not reach a dead dialog.
    Create();
    dialog->BuildLater(20);
    dialog.reset();
    pumpFor(100);

    cfg::Write(store, cfg::kSettingsKey, cfg::global::MaxCorrection, 120);
    StoreSchedule("Alpha", cfg::kTypeReminder);
    Create();
    dialog->BuildLater(20);
    pumpFor(300);
    ASSERT_TRUE(dialog->Handle());
    EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
    EXPECT_EQ(TextOf(C(Ctl::MaxCorrection)), L"120");
    EXPECT_TRUE(events.list.empty()) << events.list.front();
    dialog->Logic().Show(app::DialogPage::Schedules);
    EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
    EXPECT_TRUE(IsWindowVisible(Schedules()));
    EXPECT_EQ(TextOf(C(Ctl::cmbSchedules)), L"Alpha");
}

TEST_F(SettingsWin32Test, FillingTheControlsIsNotTakenForTheUsersChange) {
    // With no schedules the page shows "Schedule 1" and its defaults; had
    // any field's notification counted as the user's, its key would exist.
    Create();
    dialog->Logic().Show(app::DialogPage::Schedules);
    EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
    EXPECT_EQ(TextOf(C(Ctl::cmbSchedules)), L"Schedule 1");
    EXPECT_EQ(TextOf(C(Ctl::cmbRepeatCycleUnit)), L"disabled");
    dialog->Logic().StorePendingText();
    EXPECT_TRUE(ListSubkeys(store, cfg::kSchedulesKey, false).empty());
    EXPECT_TRUE(events.list.empty()) << events.list.front();
}

TEST_F(SettingsWin32Test, TextTypedIsStoredWhenTheFieldIsLeft) {
    StoreSchedule("Work", 1);
    Create();
    dialog->Logic().Show(app::DialogPage::Schedules);
    SetFocus(C(Ctl::edtMessage));
    SetWindowTextW(C(Ctl::edtMessage), L"Call home");
    EXPECT_EQ(cfg::Read(store, cfg::ScheduleKey("Work"), sv::Message), "");
    SetFocus(C(Ctl::cmbSchedules));
    EXPECT_EQ(cfg::Read(store, cfg::ScheduleKey("Work"), sv::Message), "Call home");
}

TEST_F(SettingsWin32Test, PickersShowTheStoredDateAndStoreWholeMinutes) {
    StoreSchedule("Work", 1);
    cfg::Write(store, cfg::ScheduleKey("Work"), sv::StartDate, DateToText(EncodeDate(2026, 12, 25), locale));
    Create();
    dialog->Logic().Show(app::DialogPage::Schedules);
    const SYSTEMTIME start = PickerTime(Ctl::dtStartDate);
    EXPECT_EQ(start.wYear, 2026);
    EXPECT_EQ(start.wMonth, 12);
    EXPECT_EQ(start.wDay, 25);
    EXPECT_EQ(TextOf(C(Ctl::lbl1stDOW)), L"Friday");

    // The user sets 10:15:40; the picker and the store keep 10:15.
    SYSTEMTIME t = PickerTime(Ctl::dtStartTime);
    t.wHour = 10;
    t.wMinute = 15;
    t.wSecond = 40;
    SendMessageW(C(Ctl::dtStartTime), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
    PickerChanged(Ctl::dtStartTime);
    EXPECT_EQ(Stored("Work", sv::StartTime), TimeToText(EncodeTime(10, 15, 0, 0), locale));
    EXPECT_EQ(PickerTime(Ctl::dtStartTime).wSecond, 0);
    EXPECT_EQ(PickerTime(Ctl::dtStartTime).wHour, 10);
}

TEST_F(SettingsWin32Test, TheTypeButtonsSwitchTheLaunchControls) {
    StoreSchedule("Work", 1);
    Create();
    dialog->Logic().Show(app::DialogPage::Schedules);
    EXPECT_FALSE(IsWindowEnabled(C(Ctl::edtWorkingDir)));
    SendMessageW(GetDlgItem(Schedules(), IDC_OPT_LAUNCH), BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(C(Ctl::lblMsg)), L"Application");
    EXPECT_TRUE(IsWindowEnabled(C(Ctl::edtWorkingDir)));
    EXPECT_TRUE(IsWindowEnabled(C(Ctl::cmbWindowState)));
    EXPECT_EQ(cfg::Read(store, cfg::ScheduleKey("Work"), sv::ScheduleType), 0);
}

TEST_F(SettingsWin32Test, OpensOnItsPageAndEscHidesIt) {
    Create();
    struct Row {
        app::DialogPage open;
        ui::Page shown;
    };
    const Row rows[] = {
        {app::DialogPage::About, ui::Page::About},
        {app::DialogPage::LastSelected, ui::Page::About},
        {app::DialogPage::Schedules, ui::Page::Schedules},
        {app::DialogPage::LastSelected, ui::Page::Schedules},
    };
    for (const auto& r : rows) {
        dialog->Logic().Show(r.open);
        EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
        for (int p = 0; p < ui::kPageCount; ++p)
            EXPECT_EQ(IsWindowVisible(dialog->PageWindow(static_cast<ui::Page>(p))) != FALSE,
                      static_cast<ui::Page>(p) == r.shown);
        // Esc comes to the dialog as Cancel.
        SendMessageW(dialog->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
    }
}

TEST_F(SettingsWin32Test, EveryControlOfTheOptionPagesIsBuiltWithItsClassAndCaption) {
    CreateShown();
    struct Row {
        Ctl ctl;
        const wchar_t* cls;
        LONG_PTR style;        // bits the control must have
        const wchar_t* text;   // its caption, or nothing to leave unchecked
    };
    const Row rows[] = {
        {Ctl::chkLaunchAtWinStart, L"Button", BS_AUTOCHECKBOX, L"Launch at windows start"},
        {Ctl{IDC_CHK_STARTMINIMIZED}, L"Button", BS_AUTOCHECKBOX, L"Start minimized"},
        {Ctl::chkAlwaysOnTop, L"Button", BS_AUTOCHECKBOX, L"Always on top"},
        {Ctl{IDC_CHK_BEEP}, L"Button", BS_AUTOCHECKBOX, L"System beep"},
        {Ctl{IDC_CHK_GLOBALSOUND}, L"Button", BS_AUTOCHECKBOX, L"Play sound"},
        {Ctl::edtGlobalSoundName, L"Edit", WS_TABSTOP, nullptr},
        {Ctl::butBrowseGlobalSound, L"Button", BS_ICON | WS_TABSTOP, L"Select folder"},
        {Ctl::butPlayGlobalSound, L"Button", BS_ICON | WS_TABSTOP, L"Play"},
        {Ctl{IDC_CHK_LOGREMINDERS}, L"Button", BS_AUTOCHECKBOX, L"Log reminder events"},
        {Ctl{IDC_CHK_LOGLAUNCHES}, L"Button", BS_AUTOCHECKBOX, L"Log program launches"},
        {Ctl{IDC_CHK_LOGNETTIME}, L"Button", BS_AUTOCHECKBOX, L"Log net time events"},
        {Ctl{IDC_CHK_12HRFORMAT}, L"Button", BS_AUTOCHECKBOX, L"12-hour time format"},
        {Ctl::cmbClockDateFormat, L"ComboBox", CBS_DROPDOWN, L"default"},
        {Ctl::butConnectNow, L"Button", WS_TABSTOP, L"Connect now"},
        {Ctl{IDC_CHK_AUTOSYNCHTIME}, L"Button", BS_AUTOCHECKBOX, L"Automatically connect every"},
        {Ctl{IDC_EDT_AUTOSYNCHINTERVAL}, L"Edit", WS_TABSTOP, nullptr},
        {Ctl::MaxCorrection, L"Edit", WS_TABSTOP, L"60"},
        {Ctl::memoTimeServers, L"Edit", ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, nullptr},
        {Ctl::butTestTimeServers, L"Button", WS_TABSTOP, L"Test servers"},
        {Ctl::lblNetTimeProgress, L"Static", SS_ENDELLIPSIS | SS_NOPREFIX, L""},
        {Ctl{IDC_EDT_MSGDISPLAYTIME}, L"Edit", WS_TABSTOP, L"50"},
        {Ctl{IDC_EDT_SNOOZEMINUTES}, L"Edit", WS_TABSTOP, L"10"},
        {Ctl{IDC_TB_FONTHEIGHT}, TRACKBAR_CLASSW, WS_TABSTOP, nullptr},
        {Ctl{IDC_BUT_REMINDERTEXTCOLOR}, L"Button", BS_OWNERDRAW | WS_TABSTOP, L"Text color"},
        {Ctl{IDC_BUT_REMINDERBGCOLOR}, L"Button", BS_OWNERDRAW | WS_TABSTOP, L"Background"},
        {Ctl::edtBackupDir, L"Edit", WS_TABSTOP, nullptr},
        {Ctl::butBackDirBrowse, L"Button", BS_ICON | WS_TABSTOP, L"Select folder"},
        {Ctl::butBackup, L"Button", WS_TABSTOP, L"Backup"},
        {Ctl::butRestore, L"Button", WS_TABSTOP, L"Restore"},
        {Ctl{IDC_CHK_AUTOTRIMLOG}, L"Button", BS_AUTOCHECKBOX, L"Automatically delete log records older than"},
        {Ctl{IDC_EDT_TRIMLOGDAYS}, L"Edit", WS_TABSTOP, L"30"},
        {Ctl::butTrimLog, L"Button", WS_TABSTOP, L"Trim now"},
        {Ctl{IDC_CHK_AUTODELSCHED}, L"Button", BS_AUTOCHECKBOX, L"Automatically delete expired schedules after"},
        {Ctl{IDC_EDT_DELSCHEDDAYS}, L"Edit", WS_TABSTOP, L"30"},
        {Ctl::lblAppName, L"Static", 0, L"Plenwick"},
        {Ctl::lblAppVersion, L"Static", 0, L"Version 1.2.3.4"},
        {Ctl::butCheckForUpdate, L"Button", WS_TABSTOP, L"Check for updates"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.ctl));
        HWND h = C(r.ctl);
        ASSERT_TRUE(h);
        EXPECT_EQ(ClassOf(h), r.cls);
        EXPECT_EQ(StyleOf(h) & r.style, r.style);
        if (r.text) {
            EXPECT_EQ(TextOf(h), r.text);
        }
    }
    EXPECT_EQ(SendMessageW(C(Ctl::cmbClockDateFormat), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(C(Ctl{IDC_TB_FONTHEIGHT}), TBM_GETPOS, 0, 0), 19);
}

// Every row of the option pages on the built dialog: its control is on its
// page with the window of its kind; an integer field's up-down and the
// slider span the stored value's range; the stored value shows, and what the
// user does to the window reaches the store.
TEST_F(SettingsWin32Test, EveryOptionRowHasItsControlWithItsValuesRange) {
    struct Kind {
        const wchar_t* cls;
        LONG_PTR style;
    };
    auto kindOf = [](ui::RowKind k) -> Kind {
        switch (k) {
            case ui::RowKind::Check: return {L"Button", BS_AUTOCHECKBOX};
            case ui::RowKind::Spin: return {L"Edit", WS_TABSTOP};
            case ui::RowKind::Text: return {L"Edit", WS_TABSTOP};
            case ui::RowKind::Combo: return {L"ComboBox", CBS_DROPDOWN};
            case ui::RowKind::Slider: return {TRACKBAR_CLASSW, WS_TABSTOP};
            case ui::RowKind::Colour: return {L"Button", BS_OWNERDRAW | WS_TABSTOP};
        }
        return {};
    };
    // A stored value unlike the control's first state for each flag, integer
    // and text.
    for (const ui::OptionPage& page : ui::OptionPages())
        for (const ui::OptionRow& row : page.rows) {
            if (auto* flag = std::get_if<const cfg::FlagValue*>(&row.value))
                cfg::Write(store, cfg::kSettingsKey, **flag, !(*flag)->def);
            if (auto* number = std::get_if<const cfg::IntValue*>(&row.value); number && row.kind == ui::RowKind::Spin)
                cfg::Write(store, cfg::kSettingsKey, **number, (*number)->max);
            if (auto* text = std::get_if<const cfg::TextValue*>(&row.value))
                cfg::Write(store, cfg::kSettingsKey, **text, "stored");
        }
    CreateShown();
    int rows = 0;
    for (const ui::OptionPage& page : ui::OptionPages())
        for (const ui::OptionRow& row : page.rows) {
            ++rows;
            SCOPED_TRACE(static_cast<int>(row.control));
            // Its kind and page come from the row alone, not a second line
            // of the control table.
            EXPECT_EQ(std::count_if(Controls().begin(), Controls().end(),
                                    [&](const ControlInfo& i) { return i.ctl == row.control; }),
                      1);
            HWND h = C(row.control);
            ASSERT_TRUE(h);
            EXPECT_EQ(GetParent(h), dialog->PageWindow(page.page));
            const Kind kind = kindOf(row.kind);
            EXPECT_EQ(ClassOf(h), kind.cls);
            EXPECT_EQ(StyleOf(h) & kind.style, kind.style);
            HWND parent = GetParent(h);
            const auto id = static_cast<WPARAM>(GetDlgCtrlID(h));
            std::visit(
                [&](const auto* value) {
                    using V = std::remove_cvref_t<decltype(*value)>;
                    auto stored = [&] { return cfg::Read(store, cfg::kSettingsKey, *value); };
                    if constexpr (std::is_same_v<V, cfg::FlagValue>) {
                        EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED, !value->def);
                        SendMessageW(h, BM_CLICK, 0, 0);
                        EXPECT_EQ(stored(), value->def);
                    } else if constexpr (std::is_same_v<V, cfg::IntValue>) {
                        if (row.kind == ui::RowKind::Slider) {
                            EXPECT_EQ(SendMessageW(h, TBM_GETRANGEMIN, 0, 0), value->min);
                            EXPECT_EQ(SendMessageW(h, TBM_GETRANGEMAX, 0, 0), value->max);
                            return;
                        }
                        HWND upDown = GetDlgItem(parent, static_cast<int>(id) + 1);
                        ASSERT_EQ(ClassOf(upDown), UPDOWN_CLASSW);
                        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(upDown, UDM_GETBUDDY, 0, 0)), h);
                        int low = -1, high = -1;
                        SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                                     reinterpret_cast<LPARAM>(&high));
                        EXPECT_EQ(low, value->min);
                        EXPECT_EQ(high, value->max);
                        UDACCEL accel{};
                        SendMessageW(upDown, UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
                        EXPECT_EQ(accel.nInc, static_cast<UINT>(row.step));
                        EXPECT_EQ(TextOf(h), std::to_wstring(value->max));
                        SetWindowTextW(h, std::to_wstring(value->min).c_str());
                        EXPECT_EQ(stored(), value->min);
                    } else if constexpr (std::is_same_v<V, cfg::TextValue>) {
                        EXPECT_EQ(TextOf(h), L"stored");
                        if (row.kind != ui::RowKind::Text) return;
                        // A multi-line field reports no change of a text set by a
                        // message; typing does.
                        SetWindowTextW(h, L"typed");
                        for (WORD code : {EN_CHANGE, EN_KILLFOCUS})
                            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(h));
                        EXPECT_EQ(stored(), "typed");
                    }
                },
                row.value);
        }
    EXPECT_GT(rows, 20);
}

TEST_F(SettingsWin32Test, TheDateBoxStoresWhatIsTypedAndWhatIsChosen) {
    CreateShown();
    HWND box = C(Ctl::cmbClockDateFormat);
    HWND page = GetParent(box);
    const auto id = static_cast<WPARAM>(GetDlgCtrlID(box));
    SetWindowTextW(box, L"ddd");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::ClockDateFormat), "ddd");
    EXPECT_EQ(clockWindow->Logic().Settings().ClockDateFormat, "ddd");
    // A choice from the list: the edit still shows "ddd" when it is reported.
    SendMessageW(box, CB_SETCURSEL, 2, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::ClockDateFormat), "ddd, dd/mm/yy");
}

TEST_F(SettingsWin32Test, TheSliderStoresItsPositionAsTheReminderFontSize) {
    CreateShown();
    HWND slider = C(Ctl{IDC_TB_FONTHEIGHT});
    SendMessageW(slider, TBM_SETPOS, TRUE, 10);
    SendMessageW(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 10), reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::ReminderFontSize), 10);
    EXPECT_EQ(clockWindow->Logic().Settings().ReminderFontSize, 10);
}

// The colour dialog: the thread's window with an OK button and a red field.
BOOL CALLBACK FindColourDialog(HWND h, LPARAM found) {
    if (GetDlgItem(h, IDOK) && GetDlgItem(h, 706 /* the red field */)) {
        *reinterpret_cast<HWND*>(found) = h;
        return FALSE;
    }
    return TRUE;
}

// The colour dialog is modal: a timer of this thread closes it with OK.
void CALLBACK AcceptColourDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindColourDialog, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, timer);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

TEST_F(SettingsWin32Test, AColourButtonOpensTheColourDialogAndStoresTheChoice) {
    CreateShown();
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::ReminderTextColor), 0xFF0000u);
    SetTimer(nullptr, 0, 50, AcceptColourDialog);
    // The dialog opens on the last colour chosen in it, black at first.
    HWND button = C(Ctl{IDC_BUT_REMINDERTEXTCOLOR});
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(cfg::Read(store, cfg::kSettingsKey, cfg::global::ReminderTextColor), 0u);
    EXPECT_EQ(clockWindow->Logic().Settings().ReminderTextColor, 0u);
}

// The input box is modal: a timer of this thread answers it the way a
// user would, from inside its message loop.
struct Answer {
    const wchar_t* caption;
    const wchar_t* typed;
    int button;
};
Answer g_answer;

void CALLBACK AnswerInputBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", g_answer.caption);
    if (!box) return;
    KillTimer(nullptr, timer);
    if (g_answer.typed) SetDlgItemTextW(box, IDC_EDT_INPUT, g_answer.typed);
    SendMessageW(GetDlgItem(box, g_answer.button), BM_CLICK, 0, 0);
}

TEST(InputBoxWin32, ReturnsWhatWasTypedOrNothingOnCancel) {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    struct Row {
        const wchar_t* initial;
        const wchar_t* typed;
        int button;
        std::optional<std::wstring> result;
    };
    const Row rows[] = {
        {L"", L"Dentist", IDOK, L"Dentist"},
        {L"Dentist", nullptr, IDOK, L"Dentist"},
        {L"Dentist", L"Zahnarzt \u00e4", IDOK, L"Zahnarzt \u00e4"},
        {L"", L"Dentist", IDCANCEL, std::nullopt},
    };
    for (const auto& r : rows) {
        g_answer = {L"New Schedule", r.typed, r.button};
        SetTimer(nullptr, 0, 50, AnswerInputBox);
        const auto got =
            AskText(GetModuleHandleW(nullptr), nullptr, L"New Schedule", L"Schedule name", r.initial);
        EXPECT_EQ(got, r.result);
    }
}

}  // namespace
}  // namespace pw::win
