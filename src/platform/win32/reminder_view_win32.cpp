// The reminder window as its logic sees it (app::ReminderView): caption,
// bounds, visibility and the rich text of the reminders, streamed in whole.
#include <richedit.h>

#include <cstring>

#include "platform/win32/reminder_window_win32.h"
#include "platform/win32/text.h"

namespace pw::win {

void ReminderWindowWin32::SetCaption(std::string_view caption) { SetWindowTextW(hwnd_, Widen(caption).c_str()); }

app::WindowRect ReminderWindowWin32::Bounds() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ReminderWindowWin32::SetBounds(const app::WindowRect& b) {
    SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int ReminderWindowWin32::ClientHeight() const {
    RECT c{};
    GetClientRect(hwnd_, &c);
    return c.bottom - 2 * sizes_.border;
}

void ReminderWindowWin32::SetClientHeight(int height) {
    // The frame is whatever the window has beyond its client area now, so
    // the caption's real height counts and not a guess of it.
    RECT w{}, c{};
    GetWindowRect(hwnd_, &w);
    GetClientRect(hwnd_, &c);
    const int frame = (w.bottom - w.top) - c.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, w.right - w.left, height + 2 * sizes_.border + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ReminderWindowWin32::Visible() const { return IsWindowVisible(hwnd_) != FALSE; }

void ReminderWindowWin32::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    ArmTimer();
}

void ReminderWindowWin32::BringToFront() {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
}

void ReminderWindowWin32::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
    DisarmTimer();
}

void ReminderWindowWin32::SetTextBackground(Rgb colour) {
    background_ = colour;
    if (edit_) SendMessageW(edit_, EM_SETBKGNDCOLOR, 0, colour);
}

namespace {

// Hands the control the document piece by piece as it asks.
struct StreamSource {
    const std::string& text;
    std::size_t offset = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t left = source->text.size() - source->offset;
    const std::size_t n = std::min<std::size_t>(left, static_cast<std::size_t>(std::max<LONG>(wanted, 0)));
    std::memcpy(buffer, source->text.data() + source->offset, n);
    source->offset += n;
    *given = static_cast<LONG>(n);
    return 0;
}

}  // namespace

void ReminderWindowWin32::SetText(const std::vector<app::StyledLine>& lines) {
    // One rich text stream replaces everything: the control lays the text
    // out once, where a line at a time costs a layout (and under Wine a
    // repaint) per line, so that 300 reminders held the program for 15 s.
    const std::string rtf = app::RichText(lines);
    StreamSource source{rtf};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStream;
    if (HWND edit = TextControl()) SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

void ReminderWindowWin32::ScrollToTop() {
    HWND edit = TextControl();
    if (!edit) return;
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
}

void ReminderWindowWin32::SetAppName(std::string_view text) {
    appName_ = Widen(text);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ReminderWindowWin32::SetVersionText(std::string_view text) {
    version_ = Widen(text);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ReminderWindowWin32::SetCountdownText(std::string_view text) {
    countdown_ = Widen(text);
    if (hwnd_) {
        const RECT r = CountdownRect();
        InvalidateRect(hwnd_, &r, FALSE);
    }
}

int ReminderWindowWin32::PanelWidth() const {
    const RECT p = PanelRect();
    return p.right - p.left;
}

int ReminderWindowWin32::CountdownWidth() const { return countdownWidth_; }

void ReminderWindowWin32::SetCountdownLeft(int left) {
    countdownRightGap_ = PanelWidth() - left - countdownWidth_;
    Layout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

std::string ReminderWindowWin32::SnoozeMinutesText() const {
    return Narrow(snoozeField_ ? WindowText(snoozeField_) : snoozeMinutes_);
}

void ReminderWindowWin32::SetSnoozeMinutesText(std::string_view text) {
    snoozeMinutes_ = Widen(text);
    if (snoozeField_) SetWindowTextW(snoozeField_, snoozeMinutes_.c_str());
}

app::ScreenSize ReminderWindowWin32::Screen() const {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

app::WindowRect ReminderWindowWin32::WorkArea() const {
    const RECT r = WorkAreaRect();
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int ReminderWindowWin32::Dpi() const { return WindowBase::Dpi(); }

// The rich edit control turns points into pixels at the screen's resolution
// of the process, the system's.
int ReminderWindowWin32::PixelsPerInch() const { return SystemDpi(); }

Rgb ReminderWindowWin32::SystemColour(int index) const { return GetSysColor(index); }

}  // namespace pw::win
