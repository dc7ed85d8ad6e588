#include "platform/win32/text.h"

#include <windows.h>

#include <climits>

namespace pw::win {

namespace {

std::wstring ToWide(UINT codePage, std::string_view s) {
    if (s.empty() || s.size() > INT_MAX) return {};
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string FromWide(UINT codePage, std::wstring_view s) {
    if (s.empty() || s.size() > INT_MAX) return {};
    int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string Narrow(std::wstring_view utf16) { return FromWide(CP_UTF8, utf16); }
std::string ToAnsi(std::string_view utf8) { return FromWide(CP_ACP, Widen(utf8)); }
std::string FromAnsi(std::string_view ansi) { return Narrow(ToWide(CP_ACP, ansi)); }

std::optional<std::string> ToAnsiExact(std::string_view utf8) {
    if (utf8.empty()) return std::string();
    if (utf8.size() > INT_MAX) return std::nullopt;
    // Bytes that are not UTF-8 have no exact form in any code page.
    const int size = static_cast<int>(utf8.size());
    int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (wn <= 0) return std::nullopt;
    std::wstring w(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, w.data(), wn);
    const UINT cp = GetACP();
    if (cp == CP_UTF8) return std::string(utf8);
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, w.data(), wn, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, w.data(), wn, out.data(), n, nullptr, &usedDefault);
    // Some code pages give two characters the same byte; only the way back
    // shows that one of them was changed.
    if (usedDefault || ToWide(cp, out) != w) return std::nullopt;
    return out;
}

}  // namespace pw::win
