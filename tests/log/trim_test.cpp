// Removing leading lines from a file in blocks, with lines classified by
// their first character: o = old, r = recent, u = unreadable date,
// anything else (or nothing) = no date.
#include "log/trim.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/posix/posix_files.h"
#include "support/fault_files.h"
#include "support/temp_dir.h"

namespace pw::log {
namespace {

using Status = TrimOutcome::Status;

LineAge ByFirstChar(std::string_view head, bool) {
    if (head.empty()) return LineAge::Undated;
    switch (head[0]) {
        case 'o': return LineAge::Old;
        case 'r': return LineAge::Recent;
        case 'u': return LineAge::Unreadable;
        default: return LineAge::Undated;
    }
}

class TrimLeading : public ::testing::Test {
protected:
    TrimOutcome Trim(std::size_t block = 1 << 20) { return TrimLeadingLines(fs, path, ByFirstChar, block); }
    std::string Content() { return test::ReadBytes(path); }
    std::vector<std::string> Files() { return fs.ListFiles(tmp.Dir(), "*"); }

    test::TempDir tmp;
    posix::PosixFileSystem fs;
    std::string path = tmp.Path("plenwk.log");
};

TEST_F(TrimLeading, WhatGoesAndWhatStays) {
    struct Case {
        const char* what;
        const char* before;
        Status status;
        const char* after;
        std::uint64_t removed;
    } cases[] = {
        {"recent first line", "r1\r\no2\r\n", Status::Unchanged, "r1\r\no2\r\n", 0},
        {"old below recent stays", "o1\r\no2\r\nr3\r\no4\r\n", Status::Trimmed, "r3\r\no4\r\n", 2},
        {"only old lines", "o1\r\no2\r\n", Status::Trimmed, "", 2},
        {"undated lines at the top", "\r\n x\r\nnodate\r\nr\r\n", Status::Trimmed, "r\r\n", 3},
        {"undated after old", "o1\r\n\r\nr\r\n", Status::Trimmed, "r\r\n", 2},
        {"unreadable above an old line", "u1\r\no2\r\nr3\r\n", Status::Trimmed, "r3\r\n", 2},
        {"unreadable first line", "u1\r\nr2\r\n", Status::Unchanged, "u1\r\nr2\r\n", 0},
        {"only unreadable lines", "u1\r\nu2\r\n", Status::Unchanged, "u1\r\nu2\r\n", 0},
        {"unreadable below the cut stays", "o1\r\nu2\r\nr3\r\n", Status::Trimmed, "u2\r\nr3\r\n", 1},
        {"undated below unreadable stays", "o1\r\nu2\r\n\r\nr3\r\n", Status::Trimmed, "u2\r\n\r\nr3\r\n", 1},
        {"unreadable then old then undated", "u1\r\no2\r\n\r\nu4\r\nr5\r\n", Status::Trimmed, "u4\r\nr5\r\n", 3},
        {"kept bytes unchanged", "o1\ro2\nr3\rr4\n\xe4\xf6\r\n", Status::Trimmed, "r3\rr4\n\xe4\xf6\r\n", 2},
        {"last line without break", "o1\r\nr2", Status::Trimmed, "r2\r\n", 1},
        {"old last line without break", "o1\r\no2", Status::Trimmed, "", 2},
        {"kept part ends in CR", "o1\r\nr2\r", Status::Trimmed, "r2\r", 1},
        {"empty file", "", Status::Unchanged, "", 0},
    };
    for (const auto& c : cases) {
        test::WriteBytes(path, c.before);
        auto out = Trim();
        EXPECT_EQ(out.status, c.status) << c.what;
        EXPECT_EQ(Content(), c.after) << c.what;
        EXPECT_EQ(out.removedLines, c.removed) << c.what;
        EXPECT_EQ(Files(), std::vector<std::string>{"plenwk.log"}) << c.what;
    }
}

TEST_F(TrimLeading, NoFileIsNotAnError) {
    EXPECT_EQ(Trim().status, Status::NoFile);
    EXPECT_TRUE(Files().empty());
}

TEST_F(TrimLeading, TheClassifierSeesTheHeadOfLongLines) {
    std::string longLine = "o" + std::string(3 * kHeadBytes, 'x');
    test::WriteBytes(path, longLine + "\r\nrshort\r\n");
    std::vector<std::pair<std::string, bool>> seen;
    auto out = TrimLeadingLines(
        fs, path,
        [&](std::string_view head, bool complete) {
            seen.emplace_back(std::string(head), complete);
            return ByFirstChar(head, complete);
        },
        7);
    EXPECT_EQ(out.status, Status::Trimmed);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, longLine.substr(0, kHeadBytes));
    EXPECT_FALSE(seen[0].second);
    EXPECT_EQ(seen[1].first, "rshort");
    EXPECT_TRUE(seen[1].second);
    EXPECT_EQ(Content(), "rshort\r\n");
}

TEST_F(TrimLeading, ReadingStopsAtTheFirstRecentLine) {
    std::string content = "o1\r\nr2\r\n";
    for (int i = 0; i < 1000; ++i) content += "o later\r\n";
    test::WriteBytes(path, content);
    int calls = 0;
    TrimLeadingLines(fs, path, [&](std::string_view h, bool c) { ++calls; return ByFirstChar(h, c); });
    EXPECT_EQ(calls, 2);
}

// The same cut, computed the plain way on the whole text.
std::string ExpectedAfterTrim(const std::string& text) {
    std::size_t cut = 0, i = 0;
    bool pending = false;
    while (i < text.size()) {
        std::size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        std::string_view head(text.data() + start, i - start);
        if (i < text.size()) i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        LineAge age = ByFirstChar(head, true);
        if (age == LineAge::Recent) break;
        if (age == LineAge::Old || (age == LineAge::Undated && !pending)) {
            cut = i;
            pending = false;
        } else if (age == LineAge::Unreadable) {
            pending = true;
        }
    }
    if (cut == 0) return text;
    std::string kept = text.substr(cut);
    if (!kept.empty() && kept.back() != '\r' && kept.back() != '\n') kept += "\r\n";
    return kept;
}

TEST_F(TrimLeading, BlockBoundariesNeverChangeTheResult) {
    std::mt19937 rng(4711);
    const char alphabet[] = {'o', 'o', 'o', 'r', 'u', ' ', 'x', '\r', '\n', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string text(rng() % 40, ' ');
        for (char& ch : text) ch = alphabet[rng() % sizeof alphabet];
        std::size_t block = 1 + rng() % 9;
        test::WriteBytes(path, text);
        auto out = Trim(block);
        ASSERT_NE(out.status, Status::Failed);
        ASSERT_EQ(Content(), ExpectedAfterTrim(text)) << "block " << block << " text '" << text << "'";
        ASSERT_EQ(out.status == Status::Trimmed, out.removedBytes > 0);
    }
}

TEST(TrimLeadingFaults, AFailureAnywhereLeavesTheFileWhole) {
    struct Case {
        const char* what;
        test::FileFaults fail;
    } cases[] = {
        {"cannot open", {.openReader = true}},
        {"read error while scanning", {.readsBeforeError = 0}},
        {"read error while copying", {.readsBeforeError = 40}},
        {"cannot seek", {.seek = true}},
        {"cannot create the new file", {.createReplacement = true}},
        {"disk full", {.diskSpace = 100}},
        {"disk full at the very end", {.diskSpace = 739}},
        {"replacement fails", {.commit = true}},
    };
    std::string content;
    for (int i = 0; i < 50; ++i) content += "old line\r\n";
    for (int i = 0; i < 90; ++i) content += "recent\r\n";
    content += "last without break";  // 740 bytes kept with the break added
    for (const auto& c : cases) {
        test::TempDir tmp;
        posix::PosixFileSystem real;
        test::FaultyFileSystem fs(real);
        std::string path = tmp.Path("plenwk.log");
        test::WriteBytes(path, content);
        fs.fail = c.fail;
        auto out = TrimLeadingLines(fs, path, ByFirstChar, 16);
        EXPECT_EQ(out.status, Status::Failed) << c.what;
        EXPECT_EQ(test::ReadBytes(path), content) << c.what;
        EXPECT_EQ(real.ListFiles(tmp.Dir(), "*"), std::vector<std::string>{"plenwk.log"}) << c.what;

        fs.fail = {};
        EXPECT_EQ(TrimLeadingLines(fs, path, ByFirstChar, 16).status, Status::Trimmed) << c.what;
        EXPECT_EQ(test::ReadBytes(path).size(), 740u) << c.what;
    }
}

}  // namespace
}  // namespace pw::log
