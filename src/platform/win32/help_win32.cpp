#include "platform/win32/help_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "platform/win32/text.h"

namespace pw::win {

namespace {
// wininet.h's kMaxUrl, without the rest of that header.
constexpr DWORD kMaxUrl = 2084;
}  // namespace

std::wstring HelpTopicUrl(std::string_view path, int topic) {
    const std::wstring wide = Widen(path);
    wchar_t url[kMaxUrl];
    DWORD size = kMaxUrl;
    if (FAILED(UrlCreateFromPathW(wide.c_str(), url, &size, 0))) return {};
    return std::wstring(url, size) + L"#topic" + std::to_wstring(topic);
}

bool OpenHelpDocument(std::string_view path, int topic) {
    const std::wstring url = HelpTopicUrl(path, topic);
    // Handed to the shell, a file URL loses its anchor on the way to the
    // browser; given to the browser itself as its argument, it keeps it.
    wchar_t browser[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!url.empty() &&
        SUCCEEDED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, L".htm", L"open", browser, &size))) {
        const std::wstring args = L"\"" + url + L"\"";
        auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", browser, args.c_str(), nullptr, SW_SHOWNORMAL));
        if (r > 32) return true;
    }
    const std::wstring file = Widen(path);
    auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return r > 32;
}

}  // namespace pw::win
