#include "platform/win32/version_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "version.h"

namespace pw::win {
namespace {

TEST(ProgramVersion, ComesFromTheVersionResource) {
    const ProgramVersion v = ReadProgramVersion();
    EXPECT_EQ(v.major, unsigned{PW_VER_MAJOR});
    EXPECT_EQ(v.minor, unsigned{PW_VER_MINOR});
    EXPECT_EQ(v.release, unsigned{PW_VER_PATCH});
    EXPECT_EQ(v.build, unsigned{PW_VER_BUILD});
    EXPECT_EQ(v.fileVersionText, PW_VER_TEXT);
    EXPECT_EQ(ThreePartVersion(v), std::to_string(PW_VER_MAJOR) + "." + std::to_string(PW_VER_MINOR) + "." +
                                       std::to_string(PW_VER_PATCH));
}

TEST(ProgramVersion, AFileWithoutOneReadsAsZero) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring probe(path, n);
    probe = probe.substr(0, probe.find_last_of(L"\\/") + 1) + L"launch_probe.exe";
    for (const std::wstring& file : {probe, std::wstring(L"C:\\no\\such\\file.exe")}) {
        const ProgramVersion v = ReadFileVersion(file);
        EXPECT_EQ(ThreePartVersion(v), "0.0.0");
        EXPECT_EQ(v.fileVersionText, "");
    }
}

}  // namespace
}  // namespace pw::win
