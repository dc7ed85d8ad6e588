// The registry store under Wine: the shared store behaviour, and what
// other programs (reg.exe) see of the values it writes.
#include <windows.h>

#include <cstdio>

#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"
#include "support/store_contract.inc"

namespace pw::contract {

INSTANTIATE_TEST_SUITE_P(Registry, StoreContract,
                         ::testing::Values(StoreFactory{"registry",
                                                        [] { return std::make_unique<win::RegistryStore>(); },
                                                        [] { return std::string("Software\\PlenwickTests\\Scratch"); }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace pw::contract

namespace pw {
namespace {

// Runs a command and returns what it printed.
std::string Capture(const std::string& command) {
    std::string out;
    FILE* p = _popen(command.c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    _pclose(p);
    return out;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { store.DeleteTree(Root::CurrentUser, kKey); }
    void TearDown() override { store.DeleteTree(Root::CurrentUser, kKey); }
    static constexpr const char* kKey = "Software\\PlenwickTests\\RegQuery";
    win::RegistryStore store;
};

TEST_F(RegistryStoreTest, RegQuerySeesTextAndIntegerTypes) {
    WriteRegString(store, kKey, "ClockDateFormat", "default");
    WriteRegInteger(store, kKey, "MsgDisplayTime", 50);
    WriteRegBool(store, kKey, "SystemBeep", true);
    WriteRegInteger(store, kKey, "ReminderBackground", static_cast<std::int32_t>(0xFF00000Fu));
    auto out = Capture("reg query \"HKCU\\Software\\PlenwickTests\\RegQuery\"");
    EXPECT_NE(out.find("ClockDateFormat    REG_SZ    default"), std::string::npos) << out;
    EXPECT_NE(out.find("MsgDisplayTime    REG_DWORD    0x32"), std::string::npos) << out;
    EXPECT_NE(out.find("SystemBeep    REG_DWORD    0x1"), std::string::npos) << out;
    EXPECT_NE(out.find("ReminderBackground    REG_DWORD    0xff00000f"), std::string::npos) << out;
}

TEST_F(RegistryStoreTest, ValuesWrittenByRegAddAreReadWithTheirTypes) {
    Capture("reg add \"HKCU\\Software\\PlenwickTests\\RegQuery\" /v Flag /t REG_DWORD /d 5 /f");
    Capture("reg add \"HKCU\\Software\\PlenwickTests\\RegQuery\" /v Sz /t REG_SZ /d 12 /f");
    Capture("reg add \"HKCU\\Software\\PlenwickTests\\RegQuery\" /v Bin /t REG_BINARY /d 0102030405060708 /f");
    EXPECT_TRUE(ReadRegBool(store, kKey, "Flag", false));
    WriteRegBool(store, kKey, "Flag", ReadRegBool(store, kKey, "Flag", false));
    EXPECT_EQ(ReadRegInteger(store, kKey, "Flag", 0), 1);
    EXPECT_THROW(ReadRegInteger(store, kKey, "Sz", 0), StoreError);
    try {
        ReadRegInteger(store, kKey, "Bin", 0);
        ADD_FAILURE() << "no error";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to get data for 'Bin'");
    }
}

TEST_F(RegistryStoreTest, ExpandSzIsReadWithoutExpansion) {
    // Written through the API: the command shell would expand it first.
    HKEY h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\PlenwickTests\\RegQuery", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &h, nullptr),
              ERROR_SUCCESS);
    const wchar_t text[] = L"%TEMP%\\x";
    RegSetValueExW(h, L"Exp", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(h);
    auto out = Capture("reg query \"HKCU\\Software\\PlenwickTests\\RegQuery\" /v Exp");
    EXPECT_NE(out.find("REG_EXPAND_SZ"), std::string::npos) << out;
    EXPECT_EQ(ReadRegString(store, kKey, "Exp", ""), "%TEMP%\\x");
}

TEST_F(RegistryStoreTest, NonAsciiTextSurvivesTheRegistry) {
    // e with acute, sharp s, euro sign: all in the Western ANSI code page.
    const std::string text = "caf\xc3\xa9 \xc3\x9f \xe2\x82\xac";
    WriteRegString(store, kKey, "Message", text);
    EXPECT_EQ(ReadRegString(store, kKey, "Message", ""), text);
    EXPECT_EQ(win::FromAnsi(win::ToAnsi(text)), text);
}

TEST_F(RegistryStoreTest, TextWithoutTerminatorOrWithEmbeddedNulReadsUpToTheNul) {
    auto k = store.Open(Root::CurrentUser, kKey, OpenMode::Create);
    ASSERT_TRUE(k);
    HKEY h;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\PlenwickTests\\RegQuery", 0, KEY_WRITE, &h), ERROR_SUCCESS);
    const wchar_t noNul[] = {L'a', L'b', L'c'};
    RegSetValueExW(h, L"NoNul", 0, REG_SZ, reinterpret_cast<const BYTE*>(noNul), sizeof noNul);
    const wchar_t inner[] = {L'x', L'\0', L'y', L'\0'};
    RegSetValueExW(h, L"Inner", 0, REG_SZ, reinterpret_cast<const BYTE*>(inner), sizeof inner);
    const BYTE odd[] = {'a', 0, 'b'};
    RegSetValueExW(h, L"Odd", 0, REG_SZ, odd, sizeof odd);
    RegCloseKey(h);
    EXPECT_EQ(ReadRegString(store, kKey, "NoNul", ""), "abc");
    EXPECT_EQ(ReadRegString(store, kKey, "Inner", ""), "x");
    EXPECT_EQ(ReadRegString(store, kKey, "Odd", ""), "a");
}

TEST_F(RegistryStoreTest, RunAtStartupTouchesOnlyTheRunKeys) {
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    SetRunAtStartup(store, "PlenwickTestEntry", "C:\\x\\plenwick.exe", true);
    auto out = Capture("reg query \"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" /v PlenwickTestEntry");
    EXPECT_NE(out.find("REG_SZ    C:\\x\\plenwick.exe"), std::string::npos) << out;
    EXPECT_FALSE(store.Open(Root::LocalMachine, run, OpenMode::Read) &&
                 store.Open(Root::LocalMachine, run, OpenMode::Read)->GetValue("PlenwickTestEntry"));
    // The machine-wide entry goes too (Wine's prefix lets us write there).
    if (auto k = store.Open(Root::LocalMachine, run, OpenMode::Create)) k->SetValue("PlenwickTestEntry", StoreValue::Text("y"));
    SetRunAtStartup(store, "PlenwickTestEntry", "", false);
    EXPECT_EQ(ReadRegString(store, run, "PlenwickTestEntry", "gone"), "gone");
    auto m = store.Open(Root::LocalMachine, run, OpenMode::Read);
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->GetValue("PlenwickTestEntry"));
}

}  // namespace
}  // namespace pw

namespace pw {
namespace {

// The watch and the change stamps the tick's memory relies on, with the
// changes coming from another program (reg.exe) as a user's would.
TEST_F(RegistryStoreTest, AWatchSeesChangesBelowTheKeyAndFollowsTheKeyMadeAgain) {
    const std::string reg = "reg add \"HKCU\\Software\\PlenwickTests\\RegQuery\\";
    Capture(reg + "One\" /v Message /d first /f");
    auto watch = store.Watch(Root::CurrentUser, kKey);
    ASSERT_NE(watch, nullptr);
    auto stamps = [&] { return store.Open(Root::CurrentUser, kKey, OpenMode::Read)->SubkeyStamps(); };
    const auto before = stamps();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_FALSE(watch->Changed());

    Capture(reg + "One\" /v Message /d second /f");
    EXPECT_TRUE(watch->Changed());
    EXPECT_FALSE(watch->Changed());
    EXPECT_NE(stamps()[0].stamp, before[0].stamp);

    Capture(reg + "Two\" /v Message /d added /f");
    EXPECT_TRUE(watch->Changed());
    EXPECT_EQ(stamps().size(), 2u);

    Capture("reg delete \"HKCU\\Software\\PlenwickTests\\RegQuery\" /f");
    EXPECT_TRUE(watch->Changed());
    Capture(reg + "Three\" /v Message /d again /f");
    EXPECT_TRUE(watch->Changed());
    EXPECT_FALSE(watch->Changed());
}

}  // namespace
}  // namespace pw
