#include "platform/win32/clock_window_win32.h"

#include <tuple>

#include "platform/win32/help_win32.h"
#include "platform/win32/text.h"
#include "resource.h"

namespace pw::win {

using app::Label;
using app::MenuCommand;

namespace {

struct MenuEntry {
    MenuCommand command;
    UINT id;
};
constexpr MenuEntry kMenu[] = {
    {MenuCommand::Help, IDM_HELP},     {MenuCommand::LogFile, IDM_LOGFILE},
    {MenuCommand::Options, IDM_OPTIONS}, {MenuCommand::DisableSched, IDM_DISABLESCHED},
    {MenuCommand::Tray, IDM_TRAY},     {MenuCommand::Restore, IDM_RESTORE},
    {MenuCommand::Close, IDM_CLOSE},   {MenuCommand::About, IDM_ABOUT},
};

}  // namespace

bool MenuCommandOf(UINT id, MenuCommand& command) {
    for (const auto& e : kMenu)
        if (e.id == id) {
            command = e.command;
            return true;
        }
    return false;
}

UINT MenuIdOf(MenuCommand command) {
    for (const auto& e : kMenu)
        if (e.command == command) return e.id;
    return 0;
}

ClockWindowWin32::ClockWindowWin32(const AppServices& services, std::string programDir, app::ClockWindowLinks links)
    : WindowBase(services.boxes),
      logic_(app::ClockWindowParts{
          .app = services, .view = *this, .programDir = std::move(programDir), .links = std::move(links)}) {}

ClockWindowWin32::~ClockWindowWin32() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
    for (HICON icon : {bigIcon_, smallIcon_, trayIcon_})
        if (icon) DestroyIcon(icon);
}

DWORD ClockWindowWin32::ExStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)); }

bool ClockWindowWin32::Create(HINSTANCE instance) {
    instance_ = instance;
    icon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PLENWICK));
    menu_ = LoadMenuW(instance, MAKEINTRESOURCEW(IDM_POPUP));
    popup_ = menu_ ? GetSubMenu(menu_, 0) : nullptr;

    // A caption without system menu or buttons, a single fixed border; the
    // width and position come from FormCreate.
    if (!CreateBaseWindow(instance, {ClockWindowClass(), CS_DBLCLKS, icon_}, 0, L"Schedules", WS_POPUP | WS_CAPTION,
                          app::kClockWidth, 60, nullptr))
        return false;
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    labels_.SetDpi(Dpi());
    LoadIcons();
    Guard([&] { logic_.FormCreate(); });
    return true;
}

void ClockWindowWin32::LoadIcons() {
    // The caption's and the task switcher's icons at the window's DPI; the
    // notification area's at the size the shell asks for, the system's.
    for (auto& [icon, which, metric, dpi] : {std::tuple<HICON&, WPARAM, int, int>{bigIcon_, ICON_BIG, SM_CXICON, Dpi()},
                                             {smallIcon_, ICON_SMALL, SM_CXSMICON, Dpi()},
                                             {trayIcon_, 0, SM_CXSMICON, SystemDpi()}}) {
        HICON old = icon;
        icon = LoadIconForDpi(instance_, IDI_PLENWICK, metric, dpi);
        if (which == ICON_BIG || which == ICON_SMALL) SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
        if (old) DestroyIcon(old);
    }
}

void ClockWindowWin32::ShowAtStart() {
    if (state_ == app::WindowState::Normal) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }
    // The tray icon right after the clock has painted and answers: the
    // shell library it needs takes longer to load than the whole rest of
    // the start.
    PostMessageW(hwnd_, kAddTrayMessage, 0, 0);
}

LRESULT ClockWindowWin32::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        // A new task bar, perhaps at a new scaling: the icon at its size.
        LoadIcons();
        tray_.AddAgain(trayIcon_ ? trayIcon_ : icon_);
        return 0;
    }
    switch (msg) {
        case kAddTrayMessage:
            tray_.Add(hwnd_, kTrayIconId, kTrayMessage, trayIcon_ ? trayIcon_ : icon_);
            return 0;
        case WM_SETTINGCHANGE:
            // Whatever the section named ("intl" from the control panel, or
            // none), the settings are read again, after the sender has its
            // answer: the follow-up may show an error box, and a broadcast
            // waits for every window. Several changes in a row are read once.
            if (userLocale_ && !settingChangePosted_)
                settingChangePosted_ = PostMessageW(hwnd_, kSettingChangedMessage, 0, 0) != FALSE;
            return 0;
        case kSettingChangedMessage:
            settingChangePosted_ = false;
            Guard([&] {
                if (userLocale_ && userLocale_->Reread()) logic_.RegionalSettingsChanged();
            });
            return 0;
        case WM_DPICHANGED:
            // Another monitor or a new scaling: fonts and icons at the new
            // DPI, the window where the system suggests, then the logic
            // gives it its width and height.
            labels_.SetDpi(Dpi());
            MoveToSuggestedRect(lp);
            LoadIcons();
            Guard([&] { logic_.DpiChanged(); });
            return 0;
        case WM_TIMER:
            if (wp == kClockTimerId) Guard([&] { logic_.ClockTimer(); });
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            RECT client;
            GetClientRect(hwnd_, &client);
            labels_.Paint(dc, client);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            Guard([&] { logic_.lblDateDblClick(); });
            return 0;
        case WM_CONTEXTMENU: {
            POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (lp == -1) {  // from the keyboard
                RECT r;
                GetWindowRect(hwnd_, &r);
                at = {r.left, r.top};
            }
            ShowPopupMenu(at);
            return 0;
        }
        case WM_COMMAND: {
            MenuCommand c;
            if (HIWORD(wp) == 0 && MenuCommandOf(LOWORD(wp), c)) Guard([&] { logic_.OnCommand(c); });
            return 0;
        }
        case kTrayMessage:
            switch (LOWORD(lp)) {
                case WM_RBUTTONUP: {
                    POINT at;
                    GetCursorPos(&at);
                    ShowPopupMenu(at);
                    break;
                }
                case WM_LBUTTONDBLCLK:
                    Guard([&] { logic_.TrayIconDblClick(); });
                    break;
            }
            return 0;
        case WM_CLOSE:
            Guard([&] { logic_.mnuCloseClick(); });
            return 0;
        case WM_ENDSESSION:
            // The session ends without destroying the window: save the
            // position now, as at a normal exit.
            if (wp && !positionSaved_) {
                positionSaved_ = true;
                Guard([&] { logic_.FormDestroy(); });
            }
            return 0;
        case WM_DESTROY:
            if (!positionSaved_) {
                positionSaved_ = true;
                Guard([&] { logic_.FormDestroy(); });
            }
            KillTimer(hwnd_, kClockTimerId);
            tray_.Remove();
            PostQuitMessage(0);
            return 0;
    }
    return Default(msg, wp, lp);
}

void ClockWindowWin32::ShowPopupMenu(POINT at) {
    if (!popup_) return;
    // Without this the menu of a tray icon stays open when the user clicks
    // elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(popup_, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void ClockWindowWin32::RepaintIfChanged() {
    if (!hwnd_ || !labels_.TakeChanged()) return;
    // Drawn at once, as a label control draws its new text: going through
    // WM_PAINT would cost several round trips to the window system each
    // second. A hidden window draws nothing and is painted when shown.
    if (!IsWindowVisible(hwnd_)) return;
    if (HDC dc = GetDC(hwnd_)) {
        RECT client;
        GetClientRect(hwnd_, &client);
        labels_.Paint(dc, client);
        ReleaseDC(hwnd_, dc);
    } else {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void ClockWindowWin32::SetCaption(std::string_view caption) {
    // Set once a minute, mostly to what it already says; an unchanged
    // caption is not redrawn.
    std::wstring wide = Widen(caption);
    if (wide == caption_) return;
    caption_ = std::move(wide);
    SetWindowTextW(hwnd_, caption_.c_str());
}

int ClockWindowWin32::Left() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.left;
}

int ClockWindowWin32::Top() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.top;
}

int ClockWindowWin32::Width() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}

int ClockWindowWin32::Height() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

void ClockWindowWin32::SetPosition(int left, int top) {
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClockWindowWin32::SetWidth(int width) {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ClockWindowWin32::ClientWidth() {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.right;
}

void ClockWindowWin32::SetClientHeight(int height) {
    clientHeight_ = height;
    // The frame as the window has it now: its caption's height depends on
    // the monitor's DPI, which AdjustWindowRectEx does not know.
    RECT client;
    GetClientRect(hwnd_, &client);
    const int outer = Height() - client.bottom + height;
    if (outer == Height()) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, Width(), outer, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClockWindowWin32::SetState(app::WindowState state) {
    state_ = state;
    // A minimized clock lives in the tray only; there is no icon of it on
    // the desktop.
    if (state == app::WindowState::Minimized) ShowWindow(hwnd_, SW_HIDE);
}

void ClockWindowWin32::SetTopmost(bool topmost) {
    SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ClockWindowWin32::MakeToolWindow() {
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyle() | WS_EX_TOOLWINDOW));
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // The tool window's caption is lower: keep the client area's height.
    SetClientHeight(clientHeight_);
}

app::ScreenRect ClockWindowWin32::WorkArea() {
    // The work area of the monitor the window is on, so a clock on a second
    // monitor stays there.
    const RECT r = WorkAreaRect();
    return app::ScreenRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int ClockWindowWin32::WindowDpi() { return Dpi(); }

void ClockWindowWin32::SetLabelText(Label label, std::string_view text) { labels_.SetText(label, text); }

void ClockWindowWin32::SetLabelFontSize(Label label, int points) { labels_.SetFontSize(label, points); }

app::TextSize ClockWindowWin32::LabelSize(Label label) { return labels_.Size(label); }

void ClockWindowWin32::SetLabelPosition(Label label, int left, int top) { labels_.SetPosition(label, left, top); }

void ClockWindowWin32::SetMenuEnabled(MenuCommand command, bool enabled) {
    if (popup_) EnableMenuItem(popup_, MenuIdOf(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void ClockWindowWin32::SetMenuChecked(MenuCommand command, bool checked) {
    if (popup_) CheckMenuItem(popup_, MenuIdOf(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void ClockWindowWin32::MinimizeApplication() { ShowWindow(hwnd_, SW_HIDE); }

void ClockWindowWin32::ShowApplication() { ShowWindow(hwnd_, SW_SHOWNORMAL); }

void ClockWindowWin32::BringToFront() { SetForegroundWindow(hwnd_); }

void ClockWindowWin32::SetTimerInterval(int milliseconds) {
    timerInterval_ = milliseconds;
    if (milliseconds <= 0)
        KillTimer(hwnd_, kClockTimerId);
    else
        SetTimer(hwnd_, kClockTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void ClockWindowWin32::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool ClockWindowWin32::OpenHelp(std::string_view path, int topic) { return OpenHelpDocument(path, topic); }

}  // namespace pw::win
