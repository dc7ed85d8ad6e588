// The backup on the registry, with files in the ANSI code page.
#include <windows.h>

#include "platform/win32/registry_store.h"
#include "platform/win32/win_files.h"
#include "support/backup_contract.inc"
#include "support/temp_dir.h"

namespace pw::contract {

INSTANTIATE_TEST_SUITE_P(Registry, BackupContract,
                         ::testing::Values(BackupFactory{"registry",
                                                         [] {
                                                             auto dir = std::make_shared<test::TempDir>();
                                                             return BackupEnv{std::make_unique<win::RegistryStore>(),
                                                                              std::make_unique<win::WinFileSystem>(),
                                                                              dir->Dir(),
                                                                              "Software\\PlenwickTests\\Backup",
                                                                              dir};
                                                         }}),
                         [](const auto& info) { return info.param.name; });

// The contract's characters must be in and out of the code page the tests
// run under, or its refusals would test nothing.
TEST(BackupCodePage, HoldsUmlautsAndLacksChineseCharacters) {
    win::WinFileSystem fs;
    EXPECT_TRUE(fs.ToFileText("Größe"));
    EXPECT_FALSE(fs.ToFileText("茶"));
}

}  // namespace pw::contract
