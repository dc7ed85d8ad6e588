#include "platform/win32/common_dialogs_win32.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <iterator>

#include "common/colour.h"
#include "platform/win32/text.h"
#include "platform/win32/window_base.h"
#include "resource.h"

namespace pw::win {

namespace {

int CALLBACK Preset(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        const auto* start = reinterpret_cast<const std::wstring*>(data);
        if (!start->empty()) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->c_str()));
    }
    return 0;
}

// The new dialog style is built of COM objects; the thread needs COM for
// as long as it is open.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

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

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, std::string_view start, std::string_view title) {
    ComScope com;
    std::wstring wstart = Widen(start);
    while (wstart.size() > 3 && wstart.back() == L'\\') wstart.pop_back();
    std::wstring wtitle = Widen(title);
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = wtitle.empty() ? nullptr : wtitle.c_str();
    bi.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_SHAREABLE | BIF_RETURNONLYFSDIRS;
    bi.lpfn = Preset;
    bi.lParam = reinterpret_cast<LPARAM>(&wstart);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
    if (!chosen) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!ok) return std::nullopt;
    return Narrow(path);
}

std::optional<std::wstring> AskText(HINSTANCE instance, HWND owner, const std::wstring& caption,
                                    const std::wstring& prompt, const std::wstring& initial) {
    InputBoxState state{caption, prompt, initial};
    const INT_PTR r = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INPUTBOX), owner, InputBoxProc,
                                      reinterpret_cast<LPARAM>(&state));
    if (r != IDOK) return std::nullopt;
    return state.text;
}

std::optional<std::string> OpenFile(HWND owner, std::string_view filterText, std::string_view initialDir) {
    const std::wstring filter = FilterOf(filterText);
    const std::wstring dir = Widen(initialDir);
    wchar_t path[MAX_PATH * 4] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(std::size(path));
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    return Narrow(path);
}

std::optional<std::uint32_t> ChooseColour(HWND owner, std::uint32_t initial, CustomColours& custom) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = ResolveColour(initial, [](int index) { return GetSysColor(index); });
    cc.lpCustColors = custom.data();
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc)) return std::nullopt;
    return cc.rgbResult;
}

}  // namespace pw::win
