#include "common/store_access.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "support/fake_store.h"

namespace pw {
namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(StoreAccess, EveryAccessClosesItsKey) {
    test::TestStore s;
    WriteRegString(s, "K", "a", "x");
    ReadRegString(s, "K", "a", "");
    ReadRegInteger(s, "K", "b", 0);
    try {
        ReadRegInteger(s, "K", "a", 0);
    } catch (const StoreError&) {
    }
    ListSubkeys(s, "K", true);
    MoveKey(s, "K", "L");
    EXPECT_EQ(s.counts.openKeys, 0);
}

TEST(StoreAccess, ReadingNeverWrites) {
    test::TestStore s;
    ReadRegString(s, "K", "a", "d");
    ReadRegBool(s, "K", "b", true);
    ListSubkeys(s, "K", false);
    KeyExists(s, "K");
    EXPECT_EQ(s.counts.writes, 0);
    EXPECT_FALSE(KeyExists(s, "K"));
}

TEST(StoreAccess, ARefusedWriteRaisesFailedToSetData) {
    test::TestStore s;
    s.refuse.write = [](Root, std::string_view, std::string_view name) { return name == "Locked"; };
    EXPECT_NO_THROW(WriteRegString(s, "K", "Free", "x"));
    try {
        WriteRegInteger(s, "K", "Locked", 1);
        FAIL() << "no error";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Locked'");
    }
}

TEST(StoreAccess, AKeyThatCannotBeOpenedLeavesTheWriteUndoneSilently) {
    test::TestStore s;
    s.refuse.open = [](Root, std::string_view) { return true; };
    EXPECT_NO_THROW(WriteRegString(s, "K", "V", "x"));
    s.refuse.open = nullptr;
    EXPECT_FALSE(KeyExists(s, "K"));
}

TEST(SetRunAtStartup, EnablingWritesOnlyTheCurrentUsersEntry) {
    test::TestStore s;
    SetRunAtStartup(s, "Plenwick", "C:\\Program Files\\Plenwick\\plenwick.exe", true);
    EXPECT_EQ(ReadRegString(s, kRun, "Plenwick", ""), "C:\\Program Files\\Plenwick\\plenwick.exe");
    EXPECT_FALSE(s.Open(Root::LocalMachine, kRun, OpenMode::Read));
}

TEST(SetRunAtStartup, DisablingDeletesBothEntriesWherePermitted) {
    test::TestStore s;
    for (auto root : {Root::CurrentUser, Root::LocalMachine}) {
        auto k = s.Open(root, kRun, OpenMode::Create);
        k->SetValue("Plenwick", StoreValue::Text("x"));
        k->SetValue("Other", StoreValue::Text("y"));
    }
    SetRunAtStartup(s, "Plenwick", "", false);
    for (auto root : {Root::CurrentUser, Root::LocalMachine}) {
        auto k = s.Open(root, kRun, OpenMode::Read);
        EXPECT_FALSE(k->GetValue("Plenwick"));
        EXPECT_TRUE(k->GetValue("Other"));
    }
}

TEST(SetRunAtStartup, AMachineKeyWithoutRightsIsSkippedSilently) {
    test::TestStore s;
    s.Open(Root::LocalMachine, kRun, OpenMode::Create)->SetValue("Plenwick", StoreValue::Text("x"));
    s.refuse.open = [](Root r, std::string_view) { return r == Root::LocalMachine; };
    WriteRegString(s, kRun, "Plenwick", "x");
    EXPECT_NO_THROW(SetRunAtStartup(s, "Plenwick", "", false));
    EXPECT_EQ(ReadRegString(s, kRun, "Plenwick", "gone"), "gone");
    s.refuse.open = nullptr;
    EXPECT_TRUE(s.Open(Root::LocalMachine, kRun, OpenMode::Read)->GetValue("Plenwick"));
}

TEST(MoveKey, AFailedCopyKeepsTheOldKeyAndLeavesNoHalfCopy) {
    test::TestStore s;
    WriteRegString(s, "S\\old", "A", "1");
    WriteRegString(s, "S\\old", "B", "2");
    s.refuse.write = [](Root, std::string_view path, std::string_view name) {
        return path.find("new") != std::string_view::npos && name == "B";
    };
    EXPECT_FALSE(MoveKey(s, "S\\old", "S\\new"));
    s.refuse.write = nullptr;
    EXPECT_EQ(ReadRegString(s, "S\\old", "B", ""), "2");
    EXPECT_FALSE(KeyExists(s, "S\\new"));
}

}  // namespace
}  // namespace pw
