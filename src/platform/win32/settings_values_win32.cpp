// The settings dialog's view on Windows, its controls' side: values read
// from and put into the controls with their messages (or kept in the
// stand-in while the windows do not exist yet), and the common dialogs.
#include "platform/win32/settings_dialog_win32.h"

#include <commctrl.h>

#include "platform/win32/colour_button_win32.h"
#include "platform/win32/common_dialogs_win32.h"
#include "platform/win32/settings_controls_win32.h"
#include "platform/win32/text.h"

namespace pw::win {

using ui::Ctl;

namespace {

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

}  // namespace

std::string SettingsDialogWin32::Text(Ctl c) {
    if (Deferred(c)) return shadow_.Text(c);
    HWND h = Control(c);
    if (!h) return {};
    return Narrow(WindowText(h));
}

void SettingsDialogWin32::SetText(Ctl c, std::string_view text) {
    if (Deferred(c)) return shadow_.SetText(c, text);
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    SetWindowTextW(h, Widen(text).c_str());
}

bool SettingsDialogWin32::Checked(Ctl c) {
    if (Deferred(c)) return shadow_.Checked(c);
    HWND h = Control(c);
    if (!h) return false;
    return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SettingsDialogWin32::SetChecked(Ctl c, bool checked) {
    if (Deferred(c)) return shadow_.SetChecked(c, checked);
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SettingsDialogWin32::SetEnabled(Ctl c, bool enabled) {
    if (Deferred(c)) return shadow_.SetEnabled(c, enabled);
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    // A button that greys itself when clicked ("Connect now") would keep
    // the focus, and the keyboard would be stuck on a dead control.
    if (!enabled && GetFocus() == h && frame_) SendMessageW(frame_, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(h, enabled);
    const ControlInfo* info = InfoOf(c);
    HWND parent = GetParent(h);
    if (info->kind == Kind::Radio)
        for (int i = 0; i < kRadioItems; ++i) EnableWindow(GetDlgItem(parent, IDC_OPT_LAUNCH + i), enabled);
    if (info->kind == Kind::Spin) EnableWindow(GetDlgItem(parent, UpDownId(*info)), enabled);
}

void SettingsDialogWin32::SetItems(Ctl c, const std::vector<std::string>& items) {
    if (Deferred(c)) return shadow_.SetItems(c, items);
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
    if (Deferred(c)) return shadow_.Selected(c);
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
    if (Deferred(c)) return shadow_.SetSelected(c, index);
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
    if (Deferred(c)) return shadow_.Value(c);
    HWND h = Control(c);
    if (!h) return 0;
    SYSTEMTIME st{};
    if (SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return 0;
    if (InfoOf(c)->kind == Kind::Time) return EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

void SettingsDialogWin32::SetValue(Ctl c, DateTime value) {
    if (Deferred(c)) return shadow_.SetValue(c, value);
    HWND h = Control(c);
    if (!h) return;
    const bool time = InfoOf(c)->kind == Kind::Time;
    const DateTime shown = time ? EncodeDate(kTimePickerYear, 1, 1) + TimeOf(value) : DateOf(value);
    SYSTEMTIME st = ToSystemTime(shown);
    Setting s(setting_);
    SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

int SettingsDialogWin32::Position(Ctl c) {
    if (Deferred(c)) return shadow_.Position(c);
    HWND h = Control(c);
    if (!h) return 0;
    return static_cast<int>(SendMessageW(h, TBM_GETPOS, 0, 0));
}

void SettingsDialogWin32::SetPosition(Ctl c, int position) {
    if (Deferred(c)) return shadow_.SetPosition(c, position);
    HWND h = Control(c);
    if (!h) return;
    Setting s(setting_);
    SendMessageW(h, TBM_SETPOS, TRUE, position);
}

void SettingsDialogWin32::SetColour(Ctl c, std::uint32_t colour) {
    colours_[c] = colour;
    if (HWND h = Control(c)) InvalidateRect(h, nullptr, FALSE);
}

// --- the common dialogs ----------------------------------------------------

std::optional<std::string> SettingsDialogWin32::InputBox(std::string_view caption, std::string_view prompt,
                                                         std::string_view initial) {
    auto text = AskText(instance_, frame_, Widen(caption), Widen(prompt), Widen(initial));
    if (!text) return std::nullopt;
    return Narrow(*text);
}

std::optional<std::string> SettingsDialogWin32::OpenFileDialog(const ui::FileDialogRequest& request) {
    return OpenFile(frame_, request.filter, request.initialDir);
}

std::optional<std::string> SettingsDialogWin32::FolderDialog(std::string_view initialDir) {
    return BrowseForFolder(frame_, initialDir);
}

std::optional<std::uint32_t> SettingsDialogWin32::ColourDialog(std::uint32_t initial) {
    return ChooseColour(frame_, initial, customColours_);
}

}  // namespace pw::win
