#include "platform/win32/clock_window_win32.h"

#include <shellapi.h>

#include <exception>

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

ClockWindowWin32::ClockWindowWin32(Services s)
    : services_(std::move(s)),
      logic_(app::ClockWindowParts{services_.store, services_.clock, services_.locale, services_.files,
                                   services_.sound, services_.boxes, services_.shell, *this, services_.programDir}) {}

ClockWindowWin32::~ClockWindowWin32() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
    if (backDc_) {
        SelectObject(backDc_, backOld_);
        DeleteObject(backBitmap_);
        DeleteDC(backDc_);
    }
    if (measureDc_) DeleteDC(measureDc_);
    for (auto& [points, font] : fonts_) DeleteObject(font);
}

DWORD ClockWindowWin32::Style() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
DWORD ClockWindowWin32::ExStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)); }

bool ClockWindowWin32::Create(HINSTANCE instance) {
    instance_ = instance;
    icon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PLENWICK));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClockWindowClass;
    RegisterClassExW(&wc);  // fails harmlessly when a second window registers again

    menu_ = LoadMenuW(instance, MAKEINTRESOURCEW(IDM_POPUP));
    popup_ = menu_ ? GetSubMenu(menu_, 0) : nullptr;

    // A caption without system menu or buttons, a single fixed border; the
    // width and position come from FormCreate.
    hwnd_ = CreateWindowExW(0, kClockWindowClass, L"Schedules", WS_POPUP | WS_CAPTION, 0, 0, app::kClockWidth, 60,
                            nullptr, nullptr, instance, this);
    if (!hwnd_) return false;
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    AddTrayIcon();
    Guard([&] { logic_.FormCreate(); });
    return true;
}

void ClockWindowWin32::ShowAtStart() {
    if (state_ == app::WindowState::Normal) ShowWindow(hwnd_, SW_SHOWNORMAL);
}

LRESULT CALLBACK ClockWindowWin32::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<ClockWindowWin32*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ClockWindowWin32*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->OnMessage(msg, wp, lp);
}

template <class F>
void ClockWindowWin32::Guard(F&& handler) {
    // No exception may cross the window procedure. A failing handler is
    // reported once; the timer goes on meanwhile, and a second failure while
    // the box is open is not stacked on top of it.
    try {
        handler();
    } catch (const std::exception& e) {
        RepaintIfChanged();
        if (inErrorBox_) return;
        inErrorBox_ = true;
        services_.boxes.ShowError(e.what());
        inErrorBox_ = false;
    }
    RepaintIfChanged();
}

LRESULT ClockWindowWin32::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer restarted: the icon is gone with the old task bar.
        trayAdded_ = false;
        AddTrayIcon();
        return 0;
    }
    switch (msg) {
        case WM_TIMER:
            if (wp == kClockTimerId) Guard([&] { logic_.ClockTimer(); });
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOVE:
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
            workArea_.reset();
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            PaintWindow(dc);
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
            RemoveTrayIcon();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return r;
        }
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void ClockWindowWin32::ShowPopupMenu(POINT at) {
    if (!popup_) return;
    // Without this the menu of a tray icon stays open when the user clicks
    // elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(popup_, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool ClockWindowWin32::AddTrayIcon() {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = hwnd_;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = icon_;
    lstrcpynW(nid.szTip, L"Plenwick", static_cast<int>(std::size(nid.szTip)));
    trayAdded_ = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
    return trayAdded_;
}

void ClockWindowWin32::RemoveTrayIcon() {
    if (!trayAdded_) return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = hwnd_;
    nid.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    trayAdded_ = false;
}

HFONT ClockWindowWin32::Font(int points) {
    auto it = fonts_.find(points);
    if (it != fonts_.end()) return it->second;
    HFONT f = CreateFontW(-MulDiv(points, ScreenDpi(), 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    fonts_[points] = f;
    return f;
}

HDC ClockWindowWin32::MeasureDc() {
    if (!measureDc_) measureDc_ = CreateCompatibleDC(nullptr);
    return measureDc_;
}

int ClockWindowWin32::FontHeight(int points) {
    auto it = fontHeights_.find(points);
    if (it != fontHeights_.end()) return it->second;
    HDC dc = MeasureDc();
    HGDIOBJ old = SelectObject(dc, Font(points));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    fontHeights_[points] = tm.tmHeight;
    return tm.tmHeight;
}

void ClockWindowWin32::PaintWindow(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // Drawn off screen first, so the labels do not flicker every second;
    // the buffer lives as long as the client area keeps its size.
    if (!backDc_ || backSize_.cx != client.right || backSize_.cy != client.bottom) {
        if (backDc_) {
            SelectObject(backDc_, backOld_);
            DeleteObject(backBitmap_);
            DeleteDC(backDc_);
        }
        backDc_ = CreateCompatibleDC(dc);
        backBitmap_ = CreateCompatibleBitmap(dc, client.right, client.bottom);
        backOld_ = SelectObject(backDc_, backBitmap_);
        backSize_ = {client.right, client.bottom};
        SetBkMode(backDc_, TRANSPARENT);
    }
    FillRect(backDc_, &client, GetSysColorBrush(COLOR_BTNFACE));
    for (const LabelPaint* l : {&date_, &time_}) {
        HGDIOBJ oldFont = SelectObject(backDc_, Font(l->points));
        SetTextColor(backDc_, GetSysColor(l->colourIndex));
        TextOutW(backDc_, l->left, l->top, l->text.c_str(), static_cast<int>(l->text.size()));
        SelectObject(backDc_, oldFont);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, backDc_, 0, 0, SRCCOPY);
}

void ClockWindowWin32::RepaintIfChanged() {
    if (!hwnd_ || !labelsChanged_) return;
    labelsChanged_ = false;
    // Drawn at once, as a label control draws its new text: going through
    // WM_PAINT would cost several round trips to the window system each
    // second. A hidden window draws nothing and is painted when shown.
    if (!IsWindowVisible(hwnd_)) return;
    if (HDC dc = GetDC(hwnd_)) {
        PaintWindow(dc);
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
    RECT r{0, 0, ClientWidth(), height};
    AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    const int outer = r.bottom - r.top;
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
    if (workArea_) return *workArea_;
    // The work area of the monitor the window is on (or nearest to), so a
    // clock on a second monitor stays there.
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    RECT r;
    HMONITOR mon = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
    if (mon && GetMonitorInfoW(mon, &mi)) {
        r = mi.rcWork;
    } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    workArea_ = app::ScreenRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    return *workArea_;
}

int ClockWindowWin32::ScreenDpi() {
    if (dpi_ == 0) {
        HDC dc = GetDC(nullptr);
        dpi_ = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        if (dpi_ <= 0) dpi_ = 96;
    }
    return dpi_;
}

void ClockWindowWin32::SetLabelText(Label label, std::string_view text) {
    LabelPaint& l = Paint(label);
    std::wstring wide = Widen(text);
    if (wide == l.text) return;
    l.text = std::move(wide);
    l.measured = false;
    labelsChanged_ = true;
}

void ClockWindowWin32::SetLabelFontSize(Label label, int points) {
    LabelPaint& l = Paint(label);
    if (points == l.points) return;
    l.points = points;
    l.measured = false;
    labelsChanged_ = true;
}

app::TextSize ClockWindowWin32::LabelSize(Label label) {
    LabelPaint& l = Paint(label);
    if (!l.measured) {
        HDC dc = MeasureDc();
        HGDIOBJ old = SelectObject(dc, Font(l.points));
        SIZE sz{};
        GetTextExtentPoint32W(dc, l.text.c_str(), static_cast<int>(l.text.size()), &sz);
        SelectObject(dc, old);
        // An empty label keeps the height of a line, as a label does.
        l.size = {sz.cx, FontHeight(l.points)};
        l.measured = true;
    }
    return l.size;
}

void ClockWindowWin32::SetLabelPosition(Label label, int left, int top) {
    LabelPaint& l = Paint(label);
    if (l.left == left && l.top == top) return;
    l.left = left;
    l.top = top;
    labelsChanged_ = true;
}

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
