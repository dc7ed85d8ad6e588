#include "common/memory_store.h"
#include "support/store_contract.inc"

namespace pw::contract {

INSTANTIATE_TEST_SUITE_P(Memory, StoreContract,
                         ::testing::Values(StoreFactory{"memory", [] { return std::make_unique<MemoryStore>(); },
                                                        [] { return std::string("Software\\Scratch"); }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace pw::contract

namespace pw {
namespace {

TEST(MemoryStore, AKeyDeletedUnderAnOpenHandleMakesTheHandleFail) {
    MemoryStore s;
    auto k = s.Open(Root::CurrentUser, "A\\B", OpenMode::Create);
    ASSERT_TRUE(k);
    ASSERT_TRUE(s.DeleteTree(Root::CurrentUser, "A"));
    EXPECT_FALSE(k->SetValue("x", StoreValue::Dword(1)));
    EXPECT_FALSE(k->GetValue("x"));
}

TEST(MemoryStore, PathsIgnoreOuterSeparatorsAndRefuseEmptyNames) {
    MemoryStore s;
    WriteRegString(s, "\\Software\\X\\", "V", "v");
    EXPECT_EQ(ReadRegString(s, "Software\\X", "V", ""), "v");
    EXPECT_FALSE(s.Open(Root::CurrentUser, "Software\\\\X", OpenMode::Create));
    EXPECT_FALSE(s.DeleteTree(Root::CurrentUser, ""));
}

TEST(MemoryStore, ReadOnlyHandlesRefuseWrites) {
    MemoryStore s;
    ASSERT_TRUE(CreateKey(s, "K"));
    auto k = s.Open(Root::CurrentUser, "K", OpenMode::Read);
    ASSERT_TRUE(k);
    EXPECT_FALSE(k->SetValue("x", StoreValue::Dword(1)));
}

}  // namespace
}  // namespace pw
