#pragma once
// The one place where text changes encoding. Inside the program every text
// is UTF-8; the Windows API is called with UTF-16; files the program writes
// for people and other programs (log, backup) are in the ANSI code page.

#include <optional>
#include <string>
#include <string_view>

namespace pw::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// UTF-8 to the system's ANSI code page and back. Characters the code page
// lacks become the code page's default character.
std::string ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);
// UTF-8 to the ANSI code page only when every character has its own place
// there (no default character, no look-alike); nothing otherwise.
std::optional<std::string> ToAnsiExact(std::string_view utf8);

}  // namespace pw::win
