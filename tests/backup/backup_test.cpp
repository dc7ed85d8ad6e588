#include "common/memory_store.h"
#include "common/store_access.h"
#include "support/backup_contract.inc"
#include "support/fault_files.h"
#include "support/memory_files.h"

namespace pw::contract {

INSTANTIATE_TEST_SUITE_P(Memory, BackupContract,
                         ::testing::Values(BackupFactory{"memory",
                                                         [] {
                                                             auto fs = std::make_unique<test::MemoryFileSystem>();
                                                             fs->MakeDirectories("C:\\Backup");
                                                             return BackupEnv{std::make_unique<MemoryStore>(),
                                                                              std::move(fs), "C:\\Backup\\",
                                                                              "Software\\Scratch\\Plenwick", nullptr};
                                                         }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace pw::contract

namespace pw::backup {
namespace {

TEST(Backup, AFileThatCannotBeWrittenWholeLeavesTheOldOneAsItWas) {
    struct Case {
        const char* what;
        test::FileFaults faults;
    };
    test::FileFaults full;
    full.diskSpace = 30;
    test::FileFaults noCommit;
    noCommit.commit = true;
    test::FileFaults noFile;
    noFile.createReplacement = true;
    const Case cases[] = {{"disk full", full}, {"replacing fails", noCommit}, {"no new file", noFile}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::MemoryFileSystem mem;
        mem.MakeDirectories("C:\\Backup");
        mem.files["C:\\Backup\\registry.cfg"] = "old backup";
        test::FaultyFileSystem fs(mem);
        fs.fail = c.faults;
        MemoryStore store;
        WriteRegString(store, "Software\\X", "Message", std::string(200, 'm'));
        auto r = ExportRegistryTree(store, fs, "C:\\Backup\\registry.cfg", "Software\\X");
        EXPECT_EQ(r.outcome, ExportResult::Outcome::WriteFailed);
        EXPECT_EQ(mem.files["C:\\Backup\\registry.cfg"], "old backup");
    }
}

TEST(Backup, AFileThatFailsPartWayIsReadUpToTheFailure) {
    test::MemoryFileSystem mem;
    mem.MakeDirectories("C:\\Backup");
    std::string text = "[\\Software\\X]\r\n";
    for (int i = 0; i < 20000; ++i) text += "V" + std::to_string(i) + "int=" + std::to_string(i) + "\r\n";
    mem.files["C:\\Backup\\registry.cfg"] = text;
    test::FaultyFileSystem fs(mem);
    fs.fail.readsBeforeError = 1;
    MemoryStore store;
    auto r = ImportRegistryFile(store, fs, "C:\\Backup\\registry.cfg");
    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.readToEnd);
    EXPECT_GT(r.values, 0);
    EXPECT_LT(r.values, 20000);
}

TEST(Backup, ReplaceAllNeverRescansWhatItPutIn) {
    EXPECT_EQ(ReplaceAll("aqqqqqb", "qqqq", "\r\n"), "a\r\nqb");
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(ReplaceAll("QQQQ", "qqqq", "\r\n"), "QQQQ");
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("C:\\b"), "C:\\b\\");
    EXPECT_EQ(AddTrailingBackslash("C:\\b\\"), "C:\\b\\");
}

}  // namespace
}  // namespace pw::backup
