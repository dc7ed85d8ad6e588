#pragma once
// The clock window on Windows: a small captioned window without system
// menu or caption buttons, two painted labels (date over time), the clock
// timer, the pop-up menu and the notification-area icon. What it shows and
// does comes from app::ClockWindow; this class maps window messages to its
// handlers and its view calls to the window.

#include <windows.h>

#include <string>

#include "app/clock_view.h"
#include "app/clock_window.h"
#include "common/text.h"
#include "common/version.h"
#include "platform/win32/painted_labels.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/text.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/window_base.h"

namespace pw::win {

// The window class, which the setup and the test driver look for too.
inline constexpr std::string_view kClockWindowClassTail = "Clock";
inline constexpr std::string_view kClockWindowClass = Joined<kAppTitle, kClockWindowClassTail>;
inline const wchar_t* ClockWindowClass() {
    static const std::wstring name = Widen(kClockWindowClass);
    return name.c_str();
}
// The tray icon reports mouse events to the clock window with this message.
inline constexpr UINT kTrayMessage = WM_APP + 1;
// Posted to itself at the start: add the tray icon.
inline constexpr UINT kAddTrayMessage = WM_APP + 2;
// Posted to itself when Windows says a setting changed: read the user's
// regional settings again.
inline constexpr UINT kSettingChangedMessage = WM_APP + 3;
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT_PTR kClockTimerId = 1;

// The menu command of a resource identifier, false when it is none.
bool MenuCommandOf(UINT id, app::MenuCommand& command);
UINT MenuIdOf(app::MenuCommand command);

class ClockWindowWin32 : public WindowBase, private app::ClockView {
public:
    // programDir: the executable's directory with its trailing separator;
    // links: the parts it drives, made before it.
    ClockWindowWin32(const AppServices& services, std::string programDir, app::ClockWindowLinks links);
    ~ClockWindowWin32() override;
    ClockWindowWin32(const ClockWindowWin32&) = delete;
    ClockWindowWin32& operator=(const ClockWindowWin32&) = delete;

    // Creates the window hidden and runs FormCreate. False when the window
    // could not be created.
    bool Create(HINSTANCE instance);
    // Shows and paints the window unless it starts in the tray; the tray
    // icon follows as the message loop's first message. The last step of
    // the start.
    void ShowAtStart();

    app::ClockWindow& Logic() { return logic_; }
    // The program's locale, the one its services hold: read again whenever
    // Windows says a setting changed, and when it differs the program
    // follows it at once.
    void FollowRegionalSettings(UserLocale& locale) { userLocale_ = &locale; }

    // For tests and the screenshot tool.
    const std::wstring& LabelText(app::Label label) const { return labels_.Text(label); }
    int LabelPoints(app::Label label) const { return labels_.Points(label); }
    POINT LabelPosition(app::Label label) const { return labels_.Position(label); }
    bool TrayIconAdded() const { return tray_.Added(); }
    HICON TrayIconImage() const { return trayIcon_; }
    int TimerInterval() const { return timerInterval_; }
    HMENU PopupMenu() const { return popup_; }

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // Draws the labels once when the handler that changed them returns:
    // a refresh changes a label several times, and each drawing is a round
    // trip to the window system.
    void AfterHandler() override { RepaintIfChanged(); }
    void RepaintIfChanged();
    void ShowPopupMenu(POINT at);
    DWORD ExStyle() const;
    // The program's icon at the sizes of the caption, the task switcher and
    // the notification area, at the current DPI.
    void LoadIcons();

    // app::ClockView
    void SetCaption(std::string_view caption) override;
    int Left() override;
    int Top() override;
    int Width() override;
    int Height() override;
    void SetPosition(int left, int top) override;
    void SetWidth(int width) override;
    int ClientWidth() override;
    void SetClientHeight(int height) override;
    app::WindowState State() override { return state_; }
    void SetState(app::WindowState state) override;
    void SetTopmost(bool topmost) override;
    void MakeToolWindow() override;
    app::ScreenRect WorkArea() override;
    int WindowDpi() override;
    void SetLabelText(app::Label label, std::string_view text) override;
    void SetLabelFontSize(app::Label label, int points) override;
    app::TextSize LabelSize(app::Label label) override;
    void SetLabelPosition(app::Label label, int left, int top) override;
    void SetMenuEnabled(app::MenuCommand command, bool enabled) override;
    void SetMenuChecked(app::MenuCommand command, bool checked) override;
    void MinimizeApplication() override;
    void ShowApplication() override;
    void BringToFront() override;
    void SetTimerInterval(int milliseconds) override;
    void Close() override;
    bool OpenHelp(std::string_view path, int topic) override;

    app::ClockWindow logic_;
    UserLocale* userLocale_ = nullptr;
    bool settingChangePosted_ = false;
    HMENU menu_ = nullptr;
    HMENU popup_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HICON icon_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON trayIcon_ = nullptr;
    UINT taskbarCreated_ = 0;
    TrayIcon tray_;
    PaintedLabels labels_;
    bool positionSaved_ = false;
    int timerInterval_ = 0;
    int clientHeight_ = 0;
    app::WindowState state_ = app::WindowState::Normal;
    std::wstring caption_;
};

}  // namespace pw::win
