#include "platform/win32/version_win32.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/win32/text.h"
#include "platform/win32/win_files.h"

namespace pw::win {

namespace {

std::wstring StringValue(const std::vector<char>& data, const wchar_t* name) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    std::vector<std::wstring> blocks;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) &&
        translations) {
        for (UINT i = 0; i < size / sizeof(Translation); ++i) {
            wchar_t block[64];
            std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations[i].language,
                          translations[i].codePage, name);
            blocks.emplace_back(block);
        }
    }
    // Resources that list no translation usually still have the US English
    // block of one of the two common code pages.
    blocks.push_back(std::wstring(L"\\StringFileInfo\\040904E4\\") + name);
    blocks.push_back(std::wstring(L"\\StringFileInfo\\040904B0\\") + name);
    for (const auto& block : blocks) {
        wchar_t* text = nullptr;
        UINT length = 0;
        if (VerQueryValueW(data.data(), block.c_str(), reinterpret_cast<void**>(&text), &length) && text && length > 0) {
            std::wstring value(text, length);
            while (!value.empty() && value.back() == L'\0') value.pop_back();
            return value;
        }
    }
    return {};
}

}  // namespace

ProgramVersion ReadFileVersion(const std::wstring& path) {
    ProgramVersion v;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return v;
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return v;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == 0xFEEF04BD) {
        v.major = HIWORD(fixed->dwFileVersionMS);
        v.minor = LOWORD(fixed->dwFileVersionMS);
        v.release = HIWORD(fixed->dwFileVersionLS);
        v.build = LOWORD(fixed->dwFileVersionLS);
    }
    v.fileVersionText = Narrow(StringValue(data, L"FileVersion"));
    return v;
}

ProgramVersion ReadProgramVersion() {
    const std::wstring path = ExecutableFilePath();
    if (path.empty()) return {};
    return ReadFileVersion(path);
}

}  // namespace pw::win
