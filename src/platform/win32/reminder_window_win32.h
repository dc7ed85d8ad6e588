#pragma once
// The reminder window on Windows: a sizeable tool window that stays on top
// of all others, a read-only rich edit control for the reminders and a
// bottom panel with the program's name, its version and the countdown.
// Everything it shows and when comes from app::ReminderWindow; this class
// only maps window messages to its handlers and its view calls to controls.
//
// How the program wires it, at start after the clock window and the
// settings dialog:
//
//     pw::win::ReminderWindowWin32 reminders(store, settings,
//         [&eventLog](std::string_view m) { eventLog.Write(m); });
//     reminders.Create(instance);   // hidden; FormCreate; the timer starts
//     ...
//     // in the clock tick's host:
//     void ShowReminders(const std::vector<std::string>& items) override {
//         reminders.ShowReminders(items);
//     }
//
// The settings are the clock window's in-memory copy; the window reads it at
// each ShowReminders, so the settings dialog needs to tell it nothing. The
// window's one-second countdown timer keeps the beat it started with in
// Create for the window's whole life, but is only armed while the window is
// shown: a hidden window's ticks do nothing, and an idle program should not
// wake up for them. The caption's close button only hides the window. The
// editor's Test button calls ShowReminders with one item.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/store.h"
#include "common/version.h"
#include "config/global_settings.h"
#include "sched/log_line.h"
#include "app/reminder_window.h"
#include "platform/win32/window_base.h"

namespace pw::win {

class ReminderWindowWin32 : public WindowBase, private app::ReminderView {
public:
    // The version shown in the panel; by default the running program's.
    // An error that escapes a handler is shown in the program's error box.
    ReminderWindowWin32(Store& store, const cfg::GlobalSettings& settings, sched::LogLineWriter log,
                        MessageBoxes& boxes);
    ReminderWindowWin32(Store& store, const cfg::GlobalSettings& settings, sched::LogLineWriter log,
                        MessageBoxes& boxes, ProgramVersion version);
    ~ReminderWindowWin32() override;
    ReminderWindowWin32(const ReminderWindowWin32&) = delete;
    ReminderWindowWin32& operator=(const ReminderWindowWin32&) = delete;

    // Creates the window hidden, runs FormCreate and sets the countdown
    // timer's beat. False when the window or its text control could not be
    // created. Leave owner empty in the program: Windows hides the windows
    // of a minimized owner, and the clock window minimizes into the tray,
    // where reminders must still appear.
    bool Create(HINSTANCE instance, HWND owner = nullptr);

    void ShowReminders(const std::vector<std::string>& items) { logic_.ShowReminders(items); }

    app::ReminderWindow& Logic() { return logic_; }
    bool TimerArmed() const { return timerArmed_; }

    // The rich text control, made at its first use; null when it cannot be
    // made. Also for tests and the screenshot tool.
    HWND TextControl();
    const std::wstring& CountdownLabel() const { return countdown_; }
    const std::wstring& VersionLabel() const { return version_; }
    const std::wstring& NameLabel() const { return appName_; }
    // The countdown label's rectangle in client coordinates.
    RECT CountdownRect() const;
    // The Snooze button and its minutes field with their up-down, made
    // with the text control; null before.
    HWND SnoozeButton() const { return snoozeButton_; }
    HWND SnoozeField() const { return snoozeField_; }

    // Tab, mnemonics (Alt+S) and Esc for the window's controls; the
    // program's message loop asks this before dispatching.
    bool IsDialogMessage(MSG& msg);

    static constexpr UINT_PTR kMsgTimerId = 1;
    // The border and the panel's sizes at the window's DPI.
    const app::ReminderLayout& Sizes() const { return sizes_; }
    // The DPI of the monitor the window is on.
    int Dpi() const override;

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroyed() override { edit_ = snoozeButton_ = snoozeField_ = snoozeSpin_ = lastFocus_ = nullptr; }
    void Layout();
    void Paint(HDC dc);
    RECT PanelRect() const;
    // The panel's fonts and sizes at the window's DPI.
    void CreateFonts();
    void CreateSnoozeControls();
    // Where the snooze controls go: against the countdown, as high as its
    // box, every width from the measured texts and that height, so that a
    // panel scaled for the screen carries them along.
    struct SnoozeRects {
        RECT button;
        RECT field;
        RECT spin;
    };
    SnoozeRects SnoozeLayout() const;

    // app::ReminderView
    void SetCaption(std::string_view caption) override;
    app::WindowRect Bounds() const override;
    void SetBounds(const app::WindowRect& bounds) override;
    int ClientHeight() const override;
    void SetClientHeight(int height) override;
    bool Visible() const override;
    void Show() override;
    void BringToFront() override;
    void Hide() override;
    void SetTextBackground(Rgb colour) override;
    void SetText(const std::vector<app::StyledLine>& lines) override;
    void ScrollToTop() override;
    void SetAppName(std::string_view text) override;
    void SetVersionText(std::string_view text) override;
    void SetCountdownText(std::string_view text) override;
    int PanelWidth() const override;
    int CountdownWidth() const override;
    void SetCountdownLeft(int left) override;
    std::string SnoozeMinutesText() const override;
    void SetSnoozeMinutesText(std::string_view text) override;
    app::ScreenSize Screen() const override;
    app::WindowRect WorkArea() const override;
    int PixelsPerInch() const override;
    Rgb SystemColour(int index) const override;

    app::ReminderWindow logic_;
    HWND edit_ = nullptr;
    bool editFailed_ = false;
    std::optional<Rgb> background_;
    HFONT nameFont_ = nullptr;
    HFONT versionFont_ = nullptr;
    HFONT countdownFont_ = nullptr;
    HFONT snoozeFont_ = nullptr;
    HWND snoozeButton_ = nullptr;
    HWND snoozeField_ = nullptr;
    HWND snoozeSpin_ = nullptr;
    std::wstring snoozeMinutes_;  // kept until the field exists
    int snoozeTextWidth_ = 0;     // "Snooze" in the button's font
    int snoozeDigitsWidth_ = 0;   // the widest minutes, "0000"
    // The child that had the focus when the window was last deactivated.
    HWND lastFocus_ = nullptr;
    std::wstring appName_;
    std::wstring version_;
    std::wstring countdown_;
    int countdownWidth_ = 0;
    int countdownHeight_ = 0;
    // Distance of the countdown label's right edge from the panel's right
    // edge; kept when the window is resized.
    int countdownRightGap_ = app::ReminderLayout{}.countdownRightGap;
    app::ReminderLayout sizes_;
    // The countdown timer: the moment of its beat (GetTickCount at Create),
    // whether it is armed, and whether it already runs at the full second
    // (the first event after arming comes at the next beat, sooner).
    DWORD timerBeat_ = 0;
    bool timerArmed_ = false;
    bool timerOnBeat_ = false;
    void ArmTimer();
    void DisarmTimer();
};

}  // namespace pw::win
