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

}  // namespace pw::win
