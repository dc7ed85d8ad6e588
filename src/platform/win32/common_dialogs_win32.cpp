#include "platform/win32/common_dialogs_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/text.h"

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

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, std::string_view start, std::string_view title) {
    ComScope com;
    std::wstring wstart = Widen(start);
    while (wstart.size() > 3 && wstart.back() == L'\\') wstart.pop_back();
    std::wstring wtitle = Widen(title);
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = wtitle.c_str();
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

}  // namespace pw::win
