#include "platform/win32/settings_dialog_win32.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "platform/win32/colour_button_win32.h"
#include "platform/win32/common_dialogs_win32.h"
#include "platform/win32/settings_controls_win32.h"
#include "platform/win32/text.h"
#include "platform/win32/win_services.h"
#include "resource.h"
#include "ui/option_rows.h"

namespace pw::win {

using ui::Ctl;
using ui::Event;
using ui::Page;

namespace {

// The logo on the About page, in pixels at 96 dots per inch.
constexpr int kLogoSize = 48;

using EnableThemeDialogTextureFn = HRESULT(WINAPI*)(HWND, DWORD);

// The themed pages' texture; nothing on a system without themes.
void EnableTabTexture(HWND page) {
    static const EnableThemeDialogTextureFn fn = [] {
        HMODULE lib = LoadSystemLibrary(L"uxtheme.dll");
        return lib ? reinterpret_cast<EnableThemeDialogTextureFn>(
                         reinterpret_cast<void*>(GetProcAddress(lib, "EnableThemeDialogTexture")))
                   : nullptr;
    }();
    if (fn) fn(page, ETDT_ENABLETAB);
}

// While the dialog shows, it looks once a second whether schedules it lists
// were deleted behind it.
constexpr UINT_PTR kFollowSchedulesTimer = 1;
constexpr UINT kFollowSchedulesMs = 1000;

}  // namespace

SettingsDialogWin32::SettingsDialogWin32(Services s)
    : boxes_(s.app.boxes), logic_(std::move(s), *this), guard_(boxes_) {
    customColours_.fill(RGB(255, 255, 255));
}

SettingsDialogWin32::~SettingsDialogWin32() {
    if (owner_ && !built_) KillTimer(owner_, reinterpret_cast<UINT_PTR>(this));
    if (frame_) {
        SetWindowLongPtrW(frame_, DWLP_USER, 0);
        for (HWND p : pages_)
            if (p) SetWindowLongPtrW(p, DWLP_USER, 0);
        DestroyWindow(frame_);
    }
    for (HICON i : glyphs_) DestroyIcon(i);
    if (logo_) DestroyIcon(logo_);
    if (nameFont_) DeleteObject(nameFont_);
}

bool SettingsDialogWin32::Create(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    owner_ = owner;
    // The windows come at the first showing; their templates must be there
    // now, while the program can still refuse to start.
    const auto hasTemplate = [instance](int id) {
        return FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */) != nullptr;
    };
    if (!hasTemplate(IDD_SETTINGS)) return false;
    for (const auto& p : Pages())
        if (!hasTemplate(p.templateId)) return false;
    guard_.Run([&] { logic_.FormCreate(); });
    return true;
}

void SettingsDialogWin32::BuildLater(unsigned delayMs) {
    // The owner's timer, told apart from the owner's own by this object's
    // address.
    if (owner_ && !built_) SetTimer(owner_, reinterpret_cast<UINT_PTR>(this), delayMs, BuildTimerProc);
}

void CALLBACK SettingsDialogWin32::BuildTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    auto* self = reinterpret_cast<SettingsDialogWin32*>(id);
    if (!self->built_) self->BuildWindows();
}

// Making the frame, its five pages and every control costs more than the
// rest of the start together: never before the clock shows.
bool SettingsDialogWin32::BuildWindows() {
    if (built_) return false;
    built_ = true;
    // Here and not at start-up: it loads the common controls library.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES |
                                             ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    if (!InitCommonControlsEx(&icc)) return false;
    frame_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_SETTINGS), owner_, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!frame_) return false;
    tab_ = GetDlgItem(frame_, IDC_TAB_PAGES);
    for (const auto& p : Pages()) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(p.title);
        SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(p.page), reinterpret_cast<LPARAM>(&item));
        HWND page = CreateDialogParamW(instance_, MAKEINTRESOURCEW(p.templateId), frame_, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
        if (!page) {
            DestroyWindow(frame_);
            return false;
        }
        pages_[static_cast<std::size_t>(p.page)] = page;
        EnableTabTexture(page);
    }
    PlacePages();
    PrepareControls();
    ApplyShadow();
    return true;
}

// The controls take what the logic told the view before they existed.
void SettingsDialogWin32::ApplyShadow() {
    Setting s(setting_);
    if (caption_) SetCaption(*caption_);
    caption_.reset();
    shadow_.Replay(*this);
    SelectPage(page_);
}

bool SettingsDialogWin32::Deferred(Ctl c) const { return !frame_ && DeferredControls::Defers(c); }

void SettingsDialogWin32::PlacePages() {
    RECT r;
    GetWindowRect(tab_, &r);
    MapWindowPoints(nullptr, frame_, reinterpret_cast<POINT*>(&r), 2);
    SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    // Above the tab control, which would paint over them, and after the
    // bar's buttons in the order Tab visits.
    HWND after = GetDlgItem(frame_, IDCANCEL);
    for (HWND page : pages_) {
        SetWindowPos(page, after, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
        after = page;
    }
}

void SettingsDialogWin32::PrepareControls() {
    ++setting_;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, frame_, nullptr,
                               instance_, nullptr);
    // The pictures are drawn at 16, 20, 24 and 32 pixels, for 100 % to
    // 200 % on the dialog's monitor.
    const int glyphSize = MulDiv(16, WindowDpi(frame_), 96);
    for (const auto& info : Controls()) {
        HWND h = Control(info.ctl);
        if (!h) continue;
        switch (info.kind) {
            case Kind::Time:
                SendMessageW(h, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
                // At 00:00, as the logic took it to stand before it existed,
                // not at the time of day Windows gives a new picker: else a
                // schedule without stored times, filled again later, would
                // have 00:00 written into it or not as the build happened
                // to come before or after its first filling.
                SetValue(info.ctl, 0);
                break;
            case Kind::Spin:
                if (const auto range = ui::RangeOf(info.ctl)) {
                    HWND upDown = GetDlgItem(GetParent(h), UpDownId(info));
                    SendMessageW(upDown, UDM_SETRANGE32, range->min, range->max);
                    UDACCEL accel{0, static_cast<UINT>(range->step)};
                    SendMessageW(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
                }
                break;
            case Kind::Slider:
                if (const auto range = ui::RangeOf(info.ctl))
                    SendMessageW(h, TBM_SETRANGE, TRUE, MAKELPARAM(range->min, range->max));
                break;
            case Kind::Picture:
                if (HICON icon = static_cast<HICON>(
                        LoadImageW(instance_, MAKEINTRESOURCEW(info.glyph), IMAGE_ICON, glyphSize, glyphSize, 0))) {
                    glyphs_.push_back(icon);
                    SendMessageW(h, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
                }
                // Screen readers name the button after its hint.
                if (info.hint) SetWindowTextW(h, info.hint);
                break;
            default:
                break;
        }
        if (info.hint && tooltip_) {
            // The size of the oldest tool information, which every
            // version of the common controls takes.
            TTTOOLINFOW ti{};
            ti.cbSize = TTTOOLINFOW_V2_SIZE;
            ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            ti.hwnd = GetParent(h);
            ti.uId = reinterpret_cast<UINT_PTR>(h);
            ti.lpszText = const_cast<wchar_t*>(info.hint);
            SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    PrepareAboutPage();
    --setting_;
}

void SettingsDialogWin32::PrepareAboutPage() {
    HWND about = pages_[static_cast<std::size_t>(Page::About)];
    const int dpi = WindowDpi(frame_);
    const int logoSize = MulDiv(kLogoSize, dpi, 96);
    logo_ = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PLENWICK), IMAGE_ICON, logoSize, logoSize, 0));
    if (logo_) SendDlgItemMessageW(about, IDC_LBL_LOGO, STM_SETICON, reinterpret_cast<WPARAM>(logo_), 0);
    // The name in the dialog's typeface, large, bold and italic.
    LOGFONTW lf{};
    if (HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(about, WM_GETFONT, 0, 0)))
        GetObjectW(dialogFont, sizeof lf, &lf);
    lf.lfHeight = -MulDiv(20, dpi, 72);
    lf.lfWidth = 0;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = TRUE;
    nameFont_ = CreateFontIndirectW(&lf);
    if (nameFont_) SendMessageW(Control(Ctl::lblAppName), WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_), TRUE);
}

bool SettingsDialogWin32::IsDialogMessage(MSG& msg) {
    return frame_ && ::IsDialogMessageW(frame_, &msg) != FALSE;
}

HWND SettingsDialogWin32::Control(Ctl c) const {
    const ControlInfo* info = InfoOf(c);
    if (!info || !frame_) return nullptr;
    HWND parent = info->onFrame ? frame_ : pages_[static_cast<std::size_t>(info->page)];
    return parent ? GetDlgItem(parent, info->Id()) : nullptr;
}

// --- messages --------------------------------------------------------------

INT_PTR CALLBACK SettingsDialogWin32::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return FALSE;  // the focus goes where the user puts it
    }
    auto* self = reinterpret_cast<SettingsDialogWin32*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    self->guard_.Run([&] { result = self->OnMessage(hwnd, msg, wp, lp); });
    return result;
}

INT_PTR SettingsDialogWin32::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return TRUE;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lp));
            return FALSE;
        case WM_HSCROLL:
            // The slider moved; the end of a drag repeats the last position.
            if (setting_ == 0 && lp && LOWORD(wp) != TB_ENDTRACK)
                if (const ControlInfo* info = InfoOfId(GetDlgCtrlID(reinterpret_cast<HWND>(lp))))
                    if (info->kind == Kind::Slider) Raise(info->ctl, Event::Change);
            return TRUE;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            const ControlInfo* info = InfoOfId(static_cast<int>(item.CtlID));
            if (!info || info->kind != Kind::Colour) return FALSE;
            DrawColourButton(item, colours_[info->ctl]);
            return TRUE;
        }
        case WM_TIMER:
            if (hwnd == frame_ && wp == kFollowSchedulesTimer) logic_.FollowStoredSchedules();
            return TRUE;
        case WM_CLOSE:
            if (hwnd == frame_) logic_.Close();
            return TRUE;
        case WM_ENDSESSION:
            // Text typed and not yet left is stored before the session or
            // the program ends; the fields still exist at WM_DESTROY.
            if (hwnd == frame_ && wp) logic_.StorePendingText();
            return TRUE;
        case WM_DESTROY:
            if (hwnd == frame_) logic_.StorePendingText();
            return FALSE;
        case WM_NCDESTROY:
            if (hwnd == frame_) {
                frame_ = nullptr;
                tab_ = nullptr;
                pages_.fill(nullptr);
            }
            return FALSE;
    }
    return FALSE;
}

void SettingsDialogWin32::OnCommand(int id, int code) {
    if (setting_ > 0) return;
    // Close, Esc, and Esc from a page's control.
    if (id == IDCANCEL && code == BN_CLICKED) {
        logic_.Close();
        return;
    }
    const ControlInfo* info = InfoOfId(id);
    if (!info) return;
    switch (info->kind) {
        case Kind::Button:
        case Kind::Picture:
        case Kind::Colour:
        case Kind::Check:
        case Kind::Radio:
            if (code == BN_CLICKED) Raise(info->ctl, Event::Click);
            break;
        case Kind::Edit:
        case Kind::Spin:
            if (code == EN_CHANGE) Raise(info->ctl, Event::Change);
            if (code == EN_KILLFOCUS) Raise(info->ctl, Event::Exit);
            break;
        case Kind::Combo:
            if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) Raise(info->ctl, Event::Change);
            break;
        case Kind::EditCombo:
            // At a choice from the list the edit still holds the old text;
            // the logic reads the chosen item's.
            if (code == CBN_SELCHANGE) {
                HWND h = Control(info->ctl);
                const auto i = SendMessageW(h, CB_GETCURSEL, 0, 0);
                const auto n = SendMessageW(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
                if (i == CB_ERR || n == CB_ERR) break;
                std::wstring item(static_cast<std::size_t>(n) + 1, L'\0');
                SendMessageW(h, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
                item.resize(static_cast<std::size_t>(n));
                {
                    Setting s(setting_);
                    SetWindowTextW(h, item.c_str());
                }
                Raise(info->ctl, Event::Change);
            }
            if (code == CBN_EDITCHANGE) Raise(info->ctl, Event::Change);
            break;
        default:
            break;
    }
}

void SettingsDialogWin32::OnNotify(const NMHDR& n) {
    if (n.hwndFrom == tab_) {
        if (n.code == TCN_SELCHANGE) {
            ShowPage(SelectedPage());
            logic_.PageShown(SelectedPage());
        }
        return;
    }
    if (setting_ > 0) return;
    const ControlInfo* info = InfoOfId(static_cast<int>(n.idFrom));
    if (!info || (info->kind != Kind::Date && info->kind != Kind::Time)) return;
    switch (n.code) {
        case DTN_DATETIMECHANGE: Raise(info->ctl, Event::Change); break;
        case DTN_CLOSEUP: Raise(info->ctl, Event::CloseUp); break;
        case NM_KILLFOCUS: Raise(info->ctl, Event::Exit); break;
    }
}

void SettingsDialogWin32::Raise(Ctl control, Event event) { logic_.OnEvent(control, event); }

void SettingsDialogWin32::ShowPage(Page page) {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        ShowWindow(pages_[i], i == static_cast<std::size_t>(page) ? SW_SHOW : SW_HIDE);
        // Only the chosen tab is pressed. Wine's tab control can leave an
        // earlier one pressed after a change by the keyboard, and then
        // takes every later click on a tab for a click on a button bar and
        // ignores it.
        TCITEMW item{};
        item.mask = TCIF_STATE;
        item.dwStateMask = TCIS_BUTTONPRESSED;
        item.dwState = i == static_cast<std::size_t>(page) ? TCIS_BUTTONPRESSED : 0;
        SendMessageW(tab_, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

// --- the view --------------------------------------------------------------

void SettingsDialogWin32::SetCaption(std::string_view caption) {
    if (!frame_) {
        caption_ = std::string(caption);
        return;
    }
    SetWindowTextW(frame_, Widen(caption).c_str());
}

void SettingsDialogWin32::SelectPage(Page page) {
    if (!frame_) {
        page_ = page;
        return;
    }
    Setting s(setting_);
    SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowPage(page);
}

Page SettingsDialogWin32::SelectedPage() {
    if (!frame_) return page_;
    const auto i = SendMessageW(tab_, TCM_GETCURSEL, 0, 0);
    return i >= 0 && i < ui::kPageCount ? static_cast<Page>(i) : Page::Schedules;
}

void SettingsDialogWin32::ShowDialog() {
    if (!frame_ && !BuildWindows()) {
        boxes_.ShowError("The settings dialog could not be opened.");
        return;
    }
    ShowWindow(frame_, SW_SHOW);
    SetForegroundWindow(frame_);
    SetTimer(frame_, kFollowSchedulesTimer, kFollowSchedulesMs, nullptr);
    // The page's first field takes the keys, unless a control of the page
    // has them already: activation alone would give them to Help.
    HWND page = pages_[static_cast<std::size_t>(SelectedPage())];
    HWND focus = GetFocus();
    if (!focus || !IsChild(page, focus)) {
        HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
        if (first) SendMessageW(frame_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

void SettingsDialogWin32::HideDialog() {
    if (!frame_) return;
    KillTimer(frame_, kFollowSchedulesTimer);
    ShowWindow(frame_, SW_HIDE);
}

bool SettingsDialogWin32::DialogVisible() { return frame_ && IsWindowVisible(frame_) != FALSE; }

}  // namespace pw::win
