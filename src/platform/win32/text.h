#pragma once
// The one place where text changes encoding. Inside the program every text
// is UTF-8; the Windows API is called with UTF-16; files the program writes
// for people and other programs (log, backup) are in the ANSI code page.

#include <string>
#include <string_view>

namespace pw::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// UTF-8 to the system's ANSI code page and back. Characters the code page
// lacks become the code page's default character.
std::string ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);

}  // namespace pw::win
