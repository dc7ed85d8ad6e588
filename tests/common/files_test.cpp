#include "common/files.h"

#include <gtest/gtest.h>

#include "platform/posix/posix_files.h"
#include "support/fault_files.h"
#include "support/temp_dir.h"

namespace pw {
namespace {

TEST(SplitLines, EveryKindOfBreak) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks, not one
        {"a\r\r\nb", {"a", "", "b"}},
        {" lead", {" lead"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << "'" << c.text << "'";
}

TEST(MatchesPattern, Wildcards) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.dat", "a.dat", true},     {"*.dat", "A.DAT", true},      {"*.dat", "a.data", false},
        {"*.dat", ".dat", true},      {"*.dat", "dat", false},       {"*", "", true},
        {"*", "anything", true},      {"?.dat", "a.dat", true},      {"?.dat", "ab.dat", false},
        {"a*b*c", "aXbYc", true},     {"a*b*c", "aXbYcZ", false},    {"a*b*c", "abbbc", true},
        {"*.*", "noext", false},      {"plenwk.log", "PLENWK.LOG", true}, {"", "", true},
        {"", "x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(AppendLine, DropsEveryFailureSilently) {
    test::TempDir tmp;
    posix::PosixFileSystem real;
    test::FaultyFileSystem fs(real);
    fs.fail.append = true;
    AppendLine(fs, tmp.Path("a.log"), "lost");
    fs.fail = {};
    fs.fail.appendThrows = true;
    EXPECT_NO_THROW(AppendLine(fs, tmp.Path("a.log"), "lost too"));
    fs.fail = {};
    AppendLine(fs, tmp.Path("a.log"), "kept");
    EXPECT_EQ(test::ReadBytes(tmp.Path("a.log")), "kept\r\n");
    EXPECT_EQ(fs.counts.appends, 3);
}

}  // namespace
}  // namespace pw
