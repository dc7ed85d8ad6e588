#include "platform/win32/reminder_window_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "config/values.h"
#include "platform/win32/text.h"
#include "platform/win32/version_win32.h"
#include "platform/win32/win_services.h"
#include "resource.h"

namespace pw::win {

namespace {

const wchar_t* ClassName() {
    static const std::wstring name = Widen(kAppTitle) + L"Reminders";
    return name.c_str();
}

// The rich edit control of Msftedit.dll when the system has it, else the
// older one of Riched20.dll. Loaded at the first reminder, not at start-up
// (the library and its own are a good part of the program's memory); the
// library stays for the program's life, as the control needs it.
const wchar_t* RichEditClass() {
    static const wchar_t* cls = [] {
        if (LoadSystemLibrary(L"Msftedit.dll")) return L"RICHEDIT50W";
        if (LoadSystemLibrary(L"Riched20.dll")) return RICHEDIT_CLASSW;
        return static_cast<const wchar_t*>(nullptr);
    }();
    return cls;
}

// Whether either library is there, without loading it.
bool RichEditAvailable() {
    for (const wchar_t* name : {L"Msftedit.dll", L"Riched20.dll"}) {
        const std::wstring path = SystemFilePath(name);
        if (!path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}

HFONT MakeFont(const wchar_t* face, int pixels, bool bold, bool italic) {
    return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

SIZE TextSize(HWND hwnd, HFONT font, const std::wstring& text) {
    SIZE size{0, 0};
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size;
}

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

constexpr const wchar_t* kSnoozeCaption = L"&Snooze";
constexpr const wchar_t* kWidestMinutes = L"0000";

}  // namespace

ReminderWindowWin32::ReminderWindowWin32(Store& store, const cfg::GlobalSettings& settings,
                                         sched::LogLineWriter log, MessageBoxes& boxes)
    : ReminderWindowWin32(store, settings, std::move(log), boxes, ReadProgramVersion()) {}

ReminderWindowWin32::ReminderWindowWin32(Store& store, const cfg::GlobalSettings& settings,
                                         sched::LogLineWriter log, MessageBoxes& boxes, ProgramVersion version)
    : WindowBase(boxes), logic_(*this, store, settings, std::move(log), std::move(version)) {}

ReminderWindowWin32::~ReminderWindowWin32() {
    if (hwnd_) DestroyWindow(hwnd_);
    for (HFONT f : {nameFont_, versionFont_, countdownFont_, snoozeFont_})
        if (f) DeleteObject(f);
}

bool ReminderWindowWin32::Create(HINSTANCE instance, HWND owner) {
    if (hwnd_) return true;
    if (!RichEditAvailable()) return false;

    if (!CreateBaseWindow(instance, {ClassName()}, kExStyle, L"Reminders", kStyle, app::ReminderWindow::kInitialWidth,
                          200, owner))
        return false;
    CreateFonts();

    Guard([&] { logic_.FormCreate(); });
    Layout();
    timerBeat_ = GetTickCount();
    return true;
}

void ReminderWindowWin32::ArmTimer() {
    if (timerArmed_ || !hwnd_) return;
    // The first event falls on the beat, as it would had the timer run all
    // along: the window stays up for the display time plus part of a second.
    const DWORD interval = app::ReminderWindow::kTimerIntervalMs;
    const DWORD sinceBeat = (GetTickCount() - timerBeat_) % interval;
    timerArmed_ = SetTimer(hwnd_, kMsgTimerId, interval - sinceBeat, nullptr) != 0;
    timerOnBeat_ = sinceBeat == 0;
}

void ReminderWindowWin32::DisarmTimer() {
    if (!timerArmed_) return;
    KillTimer(hwnd_, kMsgTimerId);
    timerArmed_ = false;
}

void ReminderWindowWin32::CreateFonts() {
    sizes_ = app::ReminderLayout::At(Dpi());
    for (HFONT* f : {&nameFont_, &versionFont_, &countdownFont_, &snoozeFont_}) {
        if (*f) DeleteObject(*f);
        *f = nullptr;
    }
    nameFont_ = MakeFont(L"Arial", sizes_.nameFontPixels, true, true);
    // The version in the system's dialog face, like the other small texts
    // of the desktop.
    versionFont_ = MakeFont(L"Tahoma", sizes_.versionFontPixels, true, false);
    countdownFont_ = MakeFont(L"Arial", sizes_.countdownFontPixels, true, false);
    countdownWidth_ = TextSize(hwnd_, countdownFont_, L" 000:00 ").cx;
    countdownHeight_ = TextSize(hwnd_, countdownFont_, L" 0:00 ").cy;
    // The button and its field in the dialogs' face, at the window's DPI
    // (the system gives that face at the primary screen's).
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (HDC screen = GetDC(nullptr)) {
        const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) && systemDpi > 0) {
            metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, Dpi(), systemDpi);
            snoozeFont_ = CreateFontIndirectW(&metrics.lfMessageFont);
        }
    }
    if (!snoozeFont_) snoozeFont_ = MakeFont(L"Tahoma", sizes_.versionFontPixels, false, false);
    if (snoozeButton_) {
        for (HWND h : {snoozeButton_, snoozeField_})
            if (h) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(snoozeFont_), FALSE);
        snoozeTextWidth_ = TextSize(hwnd_, snoozeFont_, L"Snooze").cx;
        snoozeDigitsWidth_ = TextSize(hwnd_, snoozeFont_, kWidestMinutes).cx;
    }
}

void ReminderWindowWin32::CreateSnoozeControls() {
    if (snoozeButton_ || !hwnd_) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto child = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        HWND h = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (h) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(snoozeFont_), FALSE);
        return h;
    };
    // Button first: the tab order runs text, button, minutes.
    snoozeButton_ = child(0, L"BUTTON", kSnoozeCaption, WS_TABSTOP | BS_PUSHBUTTON, IDC_BUT_SNOOZE);
    snoozeField_ = child(WS_EX_CLIENTEDGE, L"EDIT", snoozeMinutes_.c_str(), WS_TABSTOP | ES_NUMBER | ES_RIGHT,
                         IDC_EDT_SNOOZE);
    snoozeSpin_ = child(0, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, IDC_SPIN_SNOOZE);
    if (snoozeField_) SendMessageW(snoozeField_, EM_SETLIMITTEXT, 4, 0);
    if (snoozeSpin_) {
        SendMessageW(snoozeSpin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(snoozeField_), 0);
        SendMessageW(snoozeSpin_, UDM_SETRANGE32, cfg::global::SnoozeMinutes.min, cfg::global::SnoozeMinutes.max);
    }
    snoozeTextWidth_ = TextSize(hwnd_, snoozeFont_, L"Snooze").cx;
    snoozeDigitsWidth_ = TextSize(hwnd_, snoozeFont_, kWidestMinutes).cx;
}

ReminderWindowWin32::SnoozeRects ReminderWindowWin32::SnoozeLayout() const {
    const RECT cd = CountdownRect();
    const int height = cd.bottom - cd.top;
    // Text to frame and control to control: a third of the height, the
    // way a dialog spaces a button of its font.
    const int pad = height / 3;
    const int spinWidth = std::max<int>(height * 2 / 3, GetSystemMetrics(SM_CXVSCROLL));
    SnoozeRects r{};
    r.spin = RECT{cd.left - pad - spinWidth, cd.top, cd.left - pad, cd.bottom};
    r.field = RECT{r.spin.left - snoozeDigitsWidth_ - pad, cd.top, r.spin.left, cd.bottom};
    r.button = RECT{r.field.left - pad - snoozeTextWidth_ - 2 * pad, cd.top, r.field.left - pad, cd.bottom};
    return r;
}

bool ReminderWindowWin32::IsDialogMessage(MSG& msg) {
    if (!hwnd_ || !snoozeButton_ || !IsWindowVisible(hwnd_)) return false;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
    // The text control asks for every key, Tab included; here Tab leaves
    // it for the button as in a dialog.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && msg.hwnd == edit_) {
        if (HWND next = GetNextDlgTabItem(hwnd_, edit_, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return true;
    }
    return ::IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT ReminderWindowWin32::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_DPICHANGED:
        // Another monitor or a new scaling: the system suggests the place
        // and size; the panel, its fonts and the reminders follow the DPI.
        CreateFonts();
        MoveToSuggestedRect(lp);
        Guard([&] { logic_.DpiChanged(); });
        Layout();
        InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        Paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_TIMER:
        if (wp == kMsgTimerId) {
            if (timerArmed_ && !timerOnBeat_) {
                SetTimer(hwnd_, kMsgTimerId, app::ReminderWindow::kTimerIntervalMs, nullptr);
                timerOnBeat_ = true;
            }
            Guard([&] { logic_.MsgTimerTimer(); });
        }
        return 0;
    case WM_CLOSE:
        Guard([&] { logic_.FormClose(); });
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_BUT_SNOOZE && HIWORD(wp) == BN_CLICKED) {
            Guard([&] { logic_.butSnoozeClick(); });
        } else if (LOWORD(wp) == IDCANCEL) {
            // Esc, through the dialog keys: as the close button.
            Guard([&] { logic_.FormClose(); });
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        }
        return Default(msg, wp, lp);
    case WM_SETFOCUS: {
        // The keyboard goes to a control, never to the frame, so that Tab
        // and the mnemonics work from the first key; the text first, where
        // a stray key changes nothing.
        HWND target = lastFocus_ && IsWindowVisible(lastFocus_) ? lastFocus_ : edit_;
        if (target) SetFocus(target);
        return 0;
    }
    case WM_GETMINMAXINFO: {
        // Small enough to be out of the way, large enough for the panel.
        auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
        RECT w{}, c{};
        GetWindowRect(hwnd_, &w);
        GetClientRect(hwnd_, &c);
        mm->ptMinTrackSize.x = sizes_.minTextWidth + (w.right - w.left) - c.right;
        mm->ptMinTrackSize.y = sizes_.minTextHeight + sizes_.panelHeight + 2 * sizes_.border + (w.bottom - w.top) - c.bottom;
        return 0;
    }
    case WM_DESTROY:
        DisarmTimer();
        Guard([&] { logic_.FormDestroy(); });
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

RECT ReminderWindowWin32::PanelRect() const {
    RECT c;
    GetClientRect(hwnd_, &c);
    const int b = sizes_.border;
    return RECT{b, c.bottom - b - sizes_.panelHeight, c.right - b, c.bottom - b};
}

RECT ReminderWindowWin32::CountdownRect() const {
    const RECT p = PanelRect();
    const int width = p.right - p.left;
    const int left = p.left + width - countdownWidth_ - countdownRightGap_;
    const int top = p.top + (sizes_.panelHeight - countdownHeight_) / 2;
    return RECT{left, top, left + countdownWidth_, top + countdownHeight_};
}

HWND ReminderWindowWin32::TextControl() {
    if (edit_ || !hwnd_ || editFailed_) return edit_;
    const wchar_t* editClass = RichEditClass();
    if (editClass)
        edit_ = CreateWindowExW(0, editClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                                0, 10, 10, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!edit_) {
        // Once: the panel and the countdown still show, and the clock goes on.
        editFailed_ = true;
        ShowError("The reminder text cannot be shown: the system's rich edit control could not be created.");
        return nullptr;
    }
    // Long lines are cut at the right edge instead of wrapped; many
    // reminders need more than the default 32K characters.
    SendMessageW(edit_, EM_SETTARGETDEVICE, 0, 1);
    SendMessageW(edit_, EM_EXLIMITTEXT, 0, 16 * 1024 * 1024);
    if (background_) SendMessageW(edit_, EM_SETBKGNDCOLOR, 0, *background_);
    CreateSnoozeControls();
    Layout();
    return edit_;
}

void ReminderWindowWin32::Layout() {
    if (!hwnd_ || !edit_) return;
    const RECT p = PanelRect();
    MoveWindow(edit_, sizes_.border, sizes_.border, std::max<int>(p.right - p.left, 0),
               std::max<int>(p.top - sizes_.border, 0), TRUE);
    if (snoozeButton_) {
        const SnoozeRects r = SnoozeLayout();
        for (auto [h, rect] : {std::pair{snoozeButton_, r.button}, {snoozeField_, r.field}, {snoozeSpin_, r.spin}})
            if (h) MoveWindow(h, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
    InvalidateRect(hwnd_, &p, TRUE);
}

void ReminderWindowWin32::Paint(HDC dc) {
    RECT p = PanelRect();
    // The panel's frame, as a group box without a caption draws it.
    DrawEdge(dc, &p, EDGE_ETCHED, BF_RECT);
    SetBkMode(dc, TRANSPARENT);

    // The name in raised letters: a light edge above left, a shadow below
    // right, the maroon face on top.
    HGDIOBJ old = SelectObject(dc, nameFont_);
    SIZE nameSize{0, 0};
    GetTextExtentPoint32W(dc, appName_.c_str(), static_cast<int>(appName_.size()), &nameSize);
    const int nameX = p.left + sizes_.nameLeft;
    const int nameY = p.top + (sizes_.panelHeight - nameSize.cy) / 2;
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    TextOutW(dc, nameX - 1, nameY - 1, appName_.c_str(), static_cast<int>(appName_.size()));
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    TextOutW(dc, nameX + 1, nameY + 1, appName_.c_str(), static_cast<int>(appName_.size()));
    SetTextColor(dc, kMaroon);
    TextOutW(dc, nameX, nameY, appName_.c_str(), static_cast<int>(appName_.size()));

    // The version right of the name, on the same baseline.
    TEXTMETRICW nameMetrics{}, versionMetrics{};
    SelectObject(dc, nameFont_);
    GetTextMetricsW(dc, &nameMetrics);
    SelectObject(dc, versionFont_);
    GetTextMetricsW(dc, &versionMetrics);
    SetTextColor(dc, kBlack);
    const RECT cd = CountdownRect();
    const int versionEnd = snoozeButton_ ? SnoozeLayout().button.left : cd.left;
    RECT versionRect{nameX + nameSize.cx + sizes_.versionGap, nameY + nameMetrics.tmAscent - versionMetrics.tmAscent,
                     versionEnd - sizes_.countdownGap, p.bottom - 2};
    // Where the snooze controls leave too little room, the numbers alone.
    std::wstring version = version_;
    SIZE versionSize{0, 0};
    GetTextExtentPoint32W(dc, version.c_str(), static_cast<int>(version.size()), &versionSize);
    if (versionSize.cx > versionRect.right - versionRect.left && version.rfind(L' ') != std::wstring::npos)
        version = version.substr(version.rfind(L' ') + 1);
    DrawTextW(dc, version.c_str(), static_cast<int>(version.size()), &versionRect,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);

    // The countdown: lime on black, right-aligned in its box.
    HBRUSH black = CreateSolidBrush(kBlack);
    FillRect(dc, &cd, black);
    DeleteObject(black);
    SelectObject(dc, countdownFont_);
    SetTextColor(dc, kLime);
    RECT text = cd;
    DrawTextW(dc, countdown_.c_str(), static_cast<int>(countdown_.size()), &text,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

}  // namespace pw::win
