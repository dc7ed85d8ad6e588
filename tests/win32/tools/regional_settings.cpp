// Changes one of the user's regional settings the way the control panel
// does, for the end-to-end tests: writes the value under
// HKEY_CURRENT_USER\Control Panel\International, then tells every window
// that the "intl" settings changed, waiting at most five seconds for each.
//   regional_settings sShortDate yyyy-MM-dd
// The exit code is 0 when both went through, 1 when not, 2 for wrong
// arguments.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: regional_settings NAME VALUE\n");
        return 2;
    }
    const std::wstring name = pw::win::Widen(pw::win::FromAnsi(argv[1]));
    const std::wstring value = pw::win::Widen(pw::win::FromAnsi(argv[2]));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\International", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return 1;
    const LSTATUS set = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (set != ERROR_SUCCESS) return 1;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"),
                             SMTO_ABORTIFHUNG, 5000, &answer))
        return 1;
    std::printf("%s set and announced\n", argv[1]);
    return 0;
}
