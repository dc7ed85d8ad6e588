// The POSIX file system: the shared contract, and a real full disk, made by
// a file-size limit on this process.
#include "platform/posix/posix_files.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "support/files_contract.inc"

namespace pw::contract {

INSTANTIATE_TEST_SUITE_P(Posix, FilesContract,
                         ::testing::Values(FileSystemFactory{
                             "posix", [] { return std::make_unique<posix::PosixFileSystem>(); },
                             [](const std::string& path, bool readOnly) {
                                 ::chmod(path.c_str(), readOnly ? 0444 : 0644);
                             }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace pw::contract

namespace pw {
namespace {

// Files of this process may not grow beyond limit bytes while it lives;
// writing beyond gives EFBIG, as a full disk gives ENOSPC.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit now = old_;
        now.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &now);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

TEST(PosixFullDisk, ALineThatDoesNotFitIsTakenBackWhole) {
    test::TempDir tmp;
    posix::PosixFileSystem fs;
    std::string log = tmp.Path("a.log");
    test::WriteBytes(log, std::string(90, 'x'));
    {
        FileSizeLimit limit(100);
        EXPECT_TRUE(fs.AppendLine(log, "1234567"));    // 99 bytes: fits
        EXPECT_FALSE(fs.AppendLine(log, "too long"));  // would need 109
    }
    EXPECT_EQ(test::ReadBytes(log), std::string(90, 'x') + "1234567\r\n");
    EXPECT_TRUE(fs.AppendLine(log, "later"));
    EXPECT_EQ(test::ReadBytes(log), std::string(90, 'x') + "1234567\r\nlater\r\n");
}

TEST(PosixFullDisk, AReplacementThatDoesNotFitLeavesTheTargetWhole) {
    test::TempDir tmp;
    posix::PosixFileSystem fs;
    std::string target = tmp.Path("a.log");
    test::WriteBytes(target, "old content\r\n");
    {
        FileSizeLimit limit(1000);
        auto w = fs.CreateReplacement(target);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->Write(std::string(600, 'n')));
        EXPECT_FALSE(w->Write(std::string(600, 'n')));
        EXPECT_FALSE(w->Write("x"));
        EXPECT_FALSE(w->Commit());
    }
    EXPECT_EQ(test::ReadBytes(target), "old content\r\n");
    EXPECT_EQ(fs.ListFiles(tmp.Dir(), "*"), std::vector<std::string>{"a.log"});
}

TEST(PosixFiles, AReplacementKeepsThePermissionsOfTheFileItReplaces) {
    test::TempDir tmp;
    posix::PosixFileSystem fs;
    std::string target = tmp.Path("a.log");
    test::WriteBytes(target, "old");
    ::chmod(target.c_str(), 0640);
    auto w = fs.CreateReplacement(target);
    ASSERT_TRUE(w && w->Write("new") && w->Commit());
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace pw
