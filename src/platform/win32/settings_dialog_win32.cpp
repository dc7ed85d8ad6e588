#include "platform/win32/settings_dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <algorithm>
#include <iterator>

#include "config/values.h"
#include "platform/win32/text.h"
#include "platform/win32/win_services.h"
#include "resource.h"

namespace pw::win {

using ui::Ctl;
using ui::Event;
using ui::Page;

namespace {

// EditCombo is a box the user may type into; Colour an owner-drawn button
// that shows its colour; Slider a track bar.
enum class Kind { Button, Picture, Check, Edit, Combo, EditCombo, Date, Time, Spin, Radio, Label, Colour, Slider };

struct ControlInfo {
    Ctl ctl;
    int id;
    Kind kind;
    // The frame's own controls have no page.
    bool onFrame = false;
    Page page = Page::Schedules;
    int glyph = 0;
    const wchar_t* hint = nullptr;
};

// Every control that has a window, with its template's identifier. The
// radio group's items follow its group box's identifier; the integer
// field is the edit its up-down buddy writes into.
constexpr ControlInfo kControls[] = {
    {Ctl::butHelp, IDC_BUT_HELP, Kind::Button, true},
    {Ctl::butClose, IDCANCEL, Kind::Button, true},
    {Ctl::cmbSchedules, IDC_CMB_SCHEDULES, Kind::Combo},
    {Ctl::butAddSched, IDC_BUT_ADDSCHED, Kind::Picture, false, Page::Schedules, IDI_GLYPH_ADD, L"Add new schedule"},
    {Ctl::butDelSched, IDC_BUT_DELSCHED, Kind::Picture, false, Page::Schedules, IDI_GLYPH_DELETE, L"Delete schedule"},
    {Ctl::butRename, IDC_BUT_RENAME, Kind::Picture, false, Page::Schedules, IDI_GLYPH_RENAME, L"Rename schedule"},
    {Ctl::optSchedType, IDC_OPT_SCHEDTYPE, Kind::Radio},
    {Ctl::lblWindowState, IDC_LBL_WINDOWSTATE, Kind::Label},
    {Ctl::cmbWindowState, IDC_CMB_WINDOWSTATE, Kind::Combo},
    {Ctl::lblMsg, IDC_LBL_MSG, Kind::Label},
    {Ctl::edtMessage, IDC_EDT_MESSAGE, Kind::Edit},
    {Ctl::butTestApp, IDC_BUT_TESTAPP, Kind::Picture, false, Page::Schedules, IDI_GLYPH_TEST, L"Test"},
    {Ctl::butBrowseApp, IDC_BUT_BROWSEAPP, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER},
    {Ctl::lblWorkingDir, IDC_LBL_WORKINGDIR, Kind::Label},
    {Ctl::edtWorkingDir, IDC_EDT_WORKINGDIR, Kind::Edit},
    {Ctl::butBrowseWorkingDir, IDC_BUT_BROWSEWORKINGDIR, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER},
    {Ctl::chkSchedSound, IDC_CHK_SCHEDSOUND, Kind::Check},
    {Ctl::butPlaySound, IDC_BUT_PLAYSOUND, Kind::Picture, false, Page::Schedules, IDI_GLYPH_PLAY, L"Play"},
    {Ctl::edtSoundName, IDC_EDT_SOUNDNAME, Kind::Edit},
    {Ctl::butBrowseSound, IDC_BUT_BROWSESOUND, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER,
     L"Select folder"},
    {Ctl::lbl1stRem, IDC_LBL_1STREM, Kind::Label},
    {Ctl::lbl1stDOW, IDC_LBL_1STDOW, Kind::Label},
    {Ctl::dtStartDate, IDC_DT_STARTDATE, Kind::Date},
    {Ctl::dtStartTime, IDC_DT_STARTTIME, Kind::Time},
    {Ctl::dtRepeatPeriod, IDC_DT_REPEATPERIOD, Kind::Time},
    {Ctl::lblLastRem, IDC_LBL_LASTREM, Kind::Label},
    {Ctl::lblLastDOW, IDC_LBL_LASTDOW, Kind::Label},
    {Ctl::dtEndDate, IDC_DT_ENDDATE, Kind::Date},
    {Ctl::dtEndTime, IDC_DT_ENDTIME, Kind::Time},
    {Ctl::spinRepeatCycleNumber, IDC_EDT_REPEATCYCLENUMBER, Kind::Spin},
    {Ctl::cmbRepeatCycleUnit, IDC_CMB_REPEATCYCLEUNIT, Kind::Combo},
    {Ctl::butOnceOnly, IDC_BUT_ONCEONLY, Kind::Button},
    {Ctl::butSkipToNextCycle, IDC_BUT_SKIPTONEXTCYCLE, Kind::Button},

    {Ctl::chkLaunchAtWinStart, IDC_CHK_LAUNCHATWINSTART, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkStartMinimized, IDC_CHK_STARTMINIMIZED, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkAlwaysOnTop, IDC_CHK_ALWAYSONTOP, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkBeep, IDC_CHK_BEEP, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkGlobalSound, IDC_CHK_GLOBALSOUND, Kind::Check, false, Page::GlobalOptions},
    {Ctl::edtGlobalSoundName, IDC_EDT_GLOBALSOUNDNAME, Kind::Edit, false, Page::GlobalOptions},
    {Ctl::butBrowseGlobalSound, IDC_BUT_BROWSEGLOBALSOUND, Kind::Picture, false, Page::GlobalOptions,
     IDI_GLYPH_FOLDER, L"Select folder"},
    {Ctl::butPlayGlobalSound, IDC_BUT_PLAYGLOBALSOUND, Kind::Picture, false, Page::GlobalOptions, IDI_GLYPH_PLAY,
     L"Play"},
    {Ctl::chkLogReminders, IDC_CHK_LOGREMINDERS, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkLogLaunches, IDC_CHK_LOGLAUNCHES, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkLogNetTime, IDC_CHK_LOGNETTIME, Kind::Check, false, Page::GlobalOptions},

    {Ctl::chk12hrFormat, IDC_CHK_12HRFORMAT, Kind::Check, false, Page::Display},
    {Ctl::cmbClockDateFormat, IDC_CMB_CLOCKDATEFORMAT, Kind::EditCombo, false, Page::Display},
    {Ctl::butConnectNow, IDC_BUT_CONNECTNOW, Kind::Button, false, Page::Display},
    {Ctl::chkAutoSynchTime, IDC_CHK_AUTOSYNCHTIME, Kind::Check, false, Page::Display},
    {Ctl::spinAutoSynchInterval, IDC_EDT_AUTOSYNCHINTERVAL, Kind::Spin, false, Page::Display},
    {Ctl::MaxCorrection, IDC_EDT_MAXCORRECTION, Kind::Spin, false, Page::Display, 0, L"0 = no maximum"},
    {Ctl::memoTimeServers, IDC_MEMO_TIMESERVERS, Kind::Edit, false, Page::Display},
    {Ctl::butTestTimeServers, IDC_BUT_TESTTIMESERVERS, Kind::Button, false, Page::Display},
    {Ctl::spinMsgDisplayTime, IDC_EDT_MSGDISPLAYTIME, Kind::Spin, false, Page::Display},
    {Ctl::spinSnoozeMinutes, IDC_EDT_SNOOZEMINUTES, Kind::Spin, false, Page::Display},
    {Ctl::tbFontHeight, IDC_TB_FONTHEIGHT, Kind::Slider, false, Page::Display},
    {Ctl::butReminderTextColor, IDC_BUT_REMINDERTEXTCOLOR, Kind::Colour, false, Page::Display},
    {Ctl::butReminderBGColor, IDC_BUT_REMINDERBGCOLOR, Kind::Colour, false, Page::Display},

    {Ctl::edtBackupDir, IDC_EDT_BACKUPDIR, Kind::Edit, false, Page::Housekeeping},
    {Ctl::butBackDirBrowse, IDC_BUT_BACKDIRBROWSE, Kind::Picture, false, Page::Housekeeping, IDI_GLYPH_FOLDER,
     L"Select folder"},
    {Ctl::butBackup, IDC_BUT_BACKUP, Kind::Button, false, Page::Housekeeping},
    {Ctl::butRestore, IDC_BUT_RESTORE, Kind::Button, false, Page::Housekeeping},
    {Ctl::butUndoRestore, IDC_BUT_UNDORESTORE, Kind::Button, false, Page::Housekeeping},
    {Ctl::chkAutoTrimLog, IDC_CHK_AUTOTRIMLOG, Kind::Check, false, Page::Housekeeping},
    {Ctl::spinTrimLogDays, IDC_EDT_TRIMLOGDAYS, Kind::Spin, false, Page::Housekeeping},
    {Ctl::butTrimLog, IDC_BUT_TRIMLOG, Kind::Button, false, Page::Housekeeping},
    {Ctl::chkAutoDelSched, IDC_CHK_AUTODELSCHED, Kind::Check, false, Page::Housekeeping},
    {Ctl::spinDelSchedDays, IDC_EDT_DELSCHEDDAYS, Kind::Spin, false, Page::Housekeeping},

    {Ctl::lblAppName, IDC_LBL_APPNAME, Kind::Label, false, Page::About},
    {Ctl::lblAppVersion, IDC_LBL_APPVERSION, Kind::Label, false, Page::About},
    {Ctl::butCheckForUpdate, IDC_BUT_CHECKFORUPDATE, Kind::Button, false, Page::About},
};

// The integer fields' up-down buttons: their range, and the step of one
// press where it is more than 1.
struct SpinInfo {
    Ctl ctl;
    int upDownId;
    int max;
    int step = 1;
};
constexpr SpinInfo kSpins[] = {
    {Ctl::spinRepeatCycleNumber, IDC_SPIN_REPEATCYCLENUMBER, 99999999},
    {Ctl::spinAutoSynchInterval, IDC_SPIN_AUTOSYNCHINTERVAL, 9999, 24},
    {Ctl::MaxCorrection, IDC_SPIN_MAXCORRECTION, 9999999, 60},
    {Ctl::spinMsgDisplayTime, IDC_SPIN_MSGDISPLAYTIME, 9999, 10},
    {Ctl::spinSnoozeMinutes, IDC_SPIN_SNOOZEMINUTES, cfg::global::SnoozeMinutes.max},
    {Ctl::spinTrimLogDays, IDC_SPIN_TRIMLOGDAYS, 9999, 10},
    {Ctl::spinDelSchedDays, IDC_SPIN_DELSCHEDDAYS, 9999, 10},
};

const SpinInfo* SpinOf(Ctl c) {
    for (const auto& s : kSpins)
        if (s.ctl == c) return &s;
    return nullptr;
}

constexpr int kFontSliderMin = 10;
constexpr int kFontSliderMax = 25;
// The logo on the About page, in pixels at 96 dots per inch.
constexpr int kLogoSize = 48;

constexpr int kRadioItems = 2;  // "Launch application", "Reminder message"

struct PageInfo {
    Page page;
    int templateId;
    const wchar_t* title;
};
constexpr PageInfo kPages[] = {
    {Page::Schedules, IDD_PAGE_SCHEDULES, L"Schedules"},
    {Page::GlobalOptions, IDD_PAGE_GLOBAL, L"Global options"},
    {Page::Display, IDD_PAGE_DISPLAY, L"Display"},
    {Page::Housekeeping, IDD_PAGE_HOUSEKEEPING, L"Housekeeping"},
    {Page::About, IDD_PAGE_ABOUT, L"About"},
};
static_assert(std::size(kPages) == ui::kPageCount);

const ControlInfo* InfoOf(Ctl c) {
    for (const auto& i : kControls)
        if (i.ctl == c) return &i;
    return nullptr;
}

const ControlInfo* InfoOfId(int id) {
    if (id >= IDC_OPT_LAUNCH && id < IDC_OPT_LAUNCH + kRadioItems) return InfoOf(Ctl::optSchedType);
    for (const auto& i : kControls)
        if (i.id == id) return &i;
    return nullptr;
}

// A stored colour: with its high byte 0xFF, a system colour whose index is
// the low byte; otherwise red, green and blue, red lowest.
COLORREF ColourRef(std::uint32_t colour) {
    if ((colour >> 24) == 0xFF) return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0xFFFFFF);
}

// Time pickers carry a date as well; theirs is a fixed one inside the
// range every picker accepts.
constexpr int kTimePickerYear = 2000;

SYSTEMTIME ToSystemTime(DateTime value) {
    CivilDate d;
    CivilTime t;
    DecodeDateTime(value, d, t);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) > 0 ? DayOfWeek(value) - 1 : 0);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = static_cast<WORD>(t.millisecond);
    return st;
}

// "Text (*.x)|*.X|..." as the file dialog wants it: pairs separated and
// ended by NUL, the list by a second NUL.
std::wstring FilterOf(std::string_view filter) {
    std::wstring f = Widen(filter);
    for (auto& ch : f)
        if (ch == L'|') ch = L'\0';
    f.push_back(L'\0');
    f.push_back(L'\0');
    return f;
}

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

struct InputBoxState {
    std::wstring caption;
    std::wstring prompt;
    std::wstring text;
};

INT_PTR CALLBACK InputBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(hwnd, DWLP_USER, lp);
            const auto* s = reinterpret_cast<InputBoxState*>(lp);
            SetWindowTextW(hwnd, s->caption.c_str());
            SetDlgItemTextW(hwnd, IDC_LBL_PROMPT, s->prompt.c_str());
            HWND edit = GetDlgItem(hwnd, IDC_EDT_INPUT);
            SetWindowTextW(edit, s->text.c_str());
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto* s = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(hwnd, DWLP_USER));
                s->text = WindowText(GetDlgItem(hwnd, IDC_EDT_INPUT));
                EndDialog(hwnd, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(hwnd, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

// Counts a view call that sets a control, so its notifications are not
// taken for the user's.
class Setting {
public:
    explicit Setting(int& depth) : depth_(depth) { ++depth_; }
    ~Setting() { --depth_; }
    Setting(const Setting&) = delete;
    Setting& operator=(const Setting&) = delete;

private:
    int& depth_;
};

int CALLBACK FolderDialogProc(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

SettingsDialogWin32::SettingsDialogWin32(Services s)
    : boxes_(s.boxes), logic_(std::move(s), *this), guard_(boxes_) {
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
    for (const auto& p : kPages)
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
    for (const auto& p : kPages) {
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

// The controls take what the logic told the view before they existed, in
// an order that leaves each as the logic's calls would have: a list before
// its choice, a combo box's choice before the text typed into it.
void SettingsDialogWin32::ApplyShadow() {
    Setting s(setting_);
    const auto shadow = std::move(shadow_);
    shadow_.clear();
    if (caption_) SetCaption(*caption_);
    caption_.reset();
    for (const auto& [c, state] : shadow) {
        if (state.items) SetItems(c, *state.items);
        if (state.selected) SetSelected(c, *state.selected);
        if (state.text && InfoOf(c)->kind != Kind::Combo) SetText(c, *state.text);
        if (state.checked) SetChecked(c, *state.checked);
        if (state.enabled) SetEnabled(c, *state.enabled);
        if (state.value) SetValue(c, *state.value);
        if (state.position) SetPosition(c, *state.position);
    }
    SelectPage(page_);
}

SettingsDialogWin32::Shadow* SettingsDialogWin32::Shadowed(Ctl c) {
    if (frame_ || !InfoOf(c)) return nullptr;
    return &shadow_[c];
}

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
    for (const auto& info : kControls) {
        HWND h = Control(info.ctl);
        if (!h) continue;
        switch (info.kind) {
            case Kind::Time:
                SendMessageW(h, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
                break;
            case Kind::Spin:
                if (const SpinInfo* spin = SpinOf(info.ctl)) {
                    HWND upDown = GetDlgItem(GetParent(h), spin->upDownId);
                    SendMessageW(upDown, UDM_SETRANGE32, 0, spin->max);
                    UDACCEL accel{0, static_cast<UINT>(spin->step)};
                    SendMessageW(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
                }
                break;
            case Kind::Slider:
                SendMessageW(h, TBM_SETRANGE, TRUE, MAKELPARAM(kFontSliderMin, kFontSliderMax));
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
    return parent ? GetDlgItem(parent, info->id) : nullptr;
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
        if (n.code == TCN_SELCHANGE) ShowPage(SelectedPage());
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
    if (frame_) ShowWindow(frame_, SW_HIDE);
}

bool SettingsDialogWin32::DialogVisible() { return frame_ && IsWindowVisible(frame_) != FALSE; }

std::string SettingsDialogWin32::Text(Ctl c) {
    if (Shadow* shadow = Shadowed(c)) {
        // A drop-down list shows its chosen item.
        if (InfoOf(c)->kind == Kind::Combo) {
            const int i = shadow->selected.value_or(-1);
            const auto* items = shadow->items ? &*shadow->items : nullptr;
            return items && i >= 0 && i < static_cast<int>(items->size()) ? (*items)[static_cast<std::size_t>(i)]
                                                                           : std::string();
        }
        return shadow->text.value_or(std::string());
    }
    HWND h = Control(c);
    if (!h) return {};
    return Narrow(WindowText(h));
}

void SettingsDialogWin32::SetText(Ctl c, std::string_view text) {
    if (Shadow* shadow = Shadowed(c)) {
        shadow->text = std::string(text);
        return;
    }
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    SetWindowTextW(h, Widen(text).c_str());
}

bool SettingsDialogWin32::Checked(Ctl c) {
    if (Shadow* shadow = Shadowed(c)) return shadow->checked.value_or(false);
    HWND h = Control(c);
    if (!h) return false;
    return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SettingsDialogWin32::SetChecked(Ctl c, bool checked) {
    if (Shadow* shadow = Shadowed(c)) {
        shadow->checked = checked;
        return;
    }
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SettingsDialogWin32::SetEnabled(Ctl c, bool enabled) {
    if (Shadow* shadow = Shadowed(c)) {
        shadow->enabled = enabled;
        return;
    }
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    EnableWindow(h, enabled);
    const ControlInfo* info = InfoOf(c);
    HWND parent = GetParent(h);
    if (info->kind == Kind::Radio)
        for (int i = 0; i < kRadioItems; ++i) EnableWindow(GetDlgItem(parent, IDC_OPT_LAUNCH + i), enabled);
    if (const SpinInfo* spin = SpinOf(c)) EnableWindow(GetDlgItem(parent, spin->upDownId), enabled);
}

void SettingsDialogWin32::SetItems(Ctl c, const std::vector<std::string>& items) {
    if (Shadow* shadow = Shadowed(c)) {
        const Kind kind = InfoOf(c)->kind;
        if (kind != Kind::Combo && kind != Kind::EditCombo) return;
        // A new list clears the choice and the box's text.
        shadow->items = items;
        shadow->selected = -1;
        if (kind == Kind::EditCombo) shadow->text = std::string();
        return;
    }
    HWND h = Control(c);
    const ControlInfo* info = InfoOf(c);
    // The radio group's items are in the template.
    if (!h || (info->kind != Kind::Combo && info->kind != Kind::EditCombo)) return;
    Setting s(setting_);
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, CB_RESETCONTENT, 0, 0);
    for (const auto& item : items) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
}

int SettingsDialogWin32::Selected(Ctl c) {
    if (Shadow* shadow = Shadowed(c)) return shadow->selected.value_or(-1);
    HWND h = Control(c);
    if (!h) return -1;
    if (InfoOf(c)->kind == Kind::Radio) {
        HWND parent = GetParent(h);
        for (int i = 0; i < kRadioItems; ++i)
            if (IsDlgButtonChecked(parent, IDC_OPT_LAUNCH + i) == BST_CHECKED) return i;
        return -1;
    }
    const auto i = SendMessageW(h, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? -1 : static_cast<int>(i);
}

void SettingsDialogWin32::SetSelected(Ctl c, int index) {
    if (Shadow* shadow = Shadowed(c)) {
        const Kind kind = InfoOf(c)->kind;
        if (kind == Kind::Radio) {
            shadow->selected = index >= 0 && index < kRadioItems ? index : -1;
        } else if (kind == Kind::Combo || kind == Kind::EditCombo) {
            // Beyond the list nothing is chosen, and a box that may be
            // typed into shows the chosen item or nothing.
            const int n = shadow->items ? static_cast<int>(shadow->items->size()) : 0;
            shadow->selected = index >= 0 && index < n ? index : -1;
            if (kind == Kind::EditCombo)
                shadow->text = *shadow->selected >= 0 ? (*shadow->items)[static_cast<std::size_t>(index)] : "";
        }
        return;
    }
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    if (InfoOf(c)->kind == Kind::Radio) {
        HWND parent = GetParent(h);
        for (int i = 0; i < kRadioItems; ++i)
            CheckDlgButton(parent, IDC_OPT_LAUNCH + i, i == index ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

DateTime SettingsDialogWin32::Value(Ctl c) {
    if (Shadow* shadow = Shadowed(c)) return shadow->value.value_or(0);
    HWND h = Control(c);
    if (!h) return 0;
    SYSTEMTIME st{};
    if (SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return 0;
    if (InfoOf(c)->kind == Kind::Time) return EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

void SettingsDialogWin32::SetValue(Ctl c, DateTime value) {
    if (Shadow* shadow = Shadowed(c)) {
        // A time picker holds the time of day, a date picker the day.
        const Kind kind = InfoOf(c)->kind;
        if (kind == Kind::Time) shadow->value = TimeOf(value);
        if (kind == Kind::Date) shadow->value = DateOf(value);
        return;
    }
    HWND h = Control(c);
    if (!h) return;
    const bool time = InfoOf(c)->kind == Kind::Time;
    const DateTime shown = time ? EncodeDate(kTimePickerYear, 1, 1) + TimeOf(value) : DateOf(value);
    SYSTEMTIME st = ToSystemTime(shown);
    Setting s(setting_);
    SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

int SettingsDialogWin32::Position(Ctl c) {
    if (Shadow* shadow = Shadowed(c)) return shadow->position.value_or(kFontSliderMin);
    HWND h = Control(c);
    if (!h) return 0;
    return static_cast<int>(SendMessageW(h, TBM_GETPOS, 0, 0));
}

void SettingsDialogWin32::SetPosition(Ctl c, int position) {
    if (Shadow* shadow = Shadowed(c)) {
        // The slider keeps to its range.
        shadow->position = std::clamp(position, kFontSliderMin, kFontSliderMax);
        return;
    }
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    SendMessageW(h, TBM_SETPOS, TRUE, position);
}

void SettingsDialogWin32::SetColour(Ctl c, std::uint32_t colour) {
    colours_[c] = colour;
    if (HWND h = Control(c)) InvalidateRect(h, nullptr, FALSE);
}

void SettingsDialogWin32::DrawColourButton(const DRAWITEMSTRUCT& item, std::uint32_t colour) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    InflateRect(&r, -GetSystemMetrics(SM_CXEDGE) - 1, -GetSystemMetrics(SM_CYEDGE) - 1);
    if (pushed) OffsetRect(&r, 1, 1);
    // A sample as wide as the button is high, then the caption.
    const int side = r.bottom - r.top;
    RECT sample{r.left + 1, r.top + 1, r.left + 1 + side * 3 / 2, r.bottom - 1};
    HBRUSH brush = CreateSolidBrush(ColourRef(colour));
    FillRect(dc, &sample, brush);
    DeleteObject(brush);
    FrameRect(dc, &sample, GetSysColorBrush(COLOR_WINDOWFRAME));
    RECT text{sample.right + 4, r.top, r.right, r.bottom};
    const std::wstring caption = WindowText(item.hwndItem);
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

// --- the common dialogs ----------------------------------------------------

std::optional<std::wstring> SettingsDialogWin32::AskText(HINSTANCE instance, HWND owner, const std::wstring& caption,
                                                         const std::wstring& prompt, const std::wstring& initial) {
    InputBoxState state{caption, prompt, initial};
    const INT_PTR r = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INPUTBOX), owner, InputBoxProc,
                                      reinterpret_cast<LPARAM>(&state));
    if (r != IDOK) return std::nullopt;
    return state.text;
}

std::optional<std::string> SettingsDialogWin32::InputBox(std::string_view caption, std::string_view prompt,
                                                         std::string_view initial) {
    auto text = AskText(instance_, frame_, Widen(caption), Widen(prompt), Widen(initial));
    if (!text) return std::nullopt;
    return Narrow(*text);
}

std::optional<std::string> SettingsDialogWin32::OpenFileDialog(const ui::FileDialogRequest& request) {
    const std::wstring filter = FilterOf(request.filter);
    const std::wstring dir = Widen(request.initialDir);
    wchar_t path[MAX_PATH * 4] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = frame_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(std::size(path));
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    return Narrow(path);
}

std::optional<std::string> SettingsDialogWin32::FolderDialog(std::string_view initialDir) {
    // The new-style folder dialog needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring start = Widen(initialDir);
    BROWSEINFOW bi{};
    bi.hwndOwner = frame_;
    bi.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    bi.lpfn = FolderDialogProc;
    bi.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    std::optional<std::string> chosen;
    if (LPITEMIDLIST pidl = SHBrowseForFolderW(&bi)) {
        wchar_t path[MAX_PATH];
        if (SHGetPathFromIDListW(pidl, path)) chosen = Narrow(path);
        CoTaskMemFree(pidl);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

std::optional<std::uint32_t> SettingsDialogWin32::ColourDialog(std::uint32_t initial) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = frame_;
    cc.rgbResult = ColourRef(initial);
    cc.lpCustColors = customColours_.data();
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc)) return std::nullopt;
    return cc.rgbResult;
}

}  // namespace pw::win
