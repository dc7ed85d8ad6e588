// The update check as the user meets it: the questions and answers, with
// the version list served by a small server in the test over real
// loopback sockets, and the check run by a driver of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <filesystem>

#include "platform/posix/bsd_sockets.h"
#include "platform/posix/posix_files.h"
#include "support/fake_services.h"
#include "support/fault_files.h"
#include "common/memory_store.h"
#include "support/temp_dir.h"
#include "config/value_access.h"
#include "update/http_test_server.h"
#include "update/run_check.h"
#include "update/update_check.h"
#include "support/test_services.h"

namespace pw::update {
namespace {

using test::TestHttpServer;

std::string Ok(std::string_view body) { return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + std::string(body); }

const std::string kAsk = "ask:" + std::string(kAskCaption) + "|" + std::string(kAskText);

std::string NewerQuestion(std::string_view version) {
    return "ask:New Version Found|A newer version has been found (v" + std::string(version) +
           ")\r\n\r\nWould you like to read about it?";
}

class UpdateCheck : public ::testing::Test {
protected:
    UpdateCheck() : faulty(files) {}

    std::unique_ptr<TVUpdateCheck> MakeCheck(std::string server, std::string running) {
        auto c = std::make_unique<TVUpdateCheck>(UpdateServices{pw::test::Services(faulty, boxes, sound, shell), driver},
                                                 std::move(server));
        c->ProductId = "plenwick";
        c->ShortName = "plenwk";
        c->TempDir = dir.Dir();
        c->CurrentVersion = std::move(running);
        return c;
    }

    test::TempDir dir;
    posix::PosixFileSystem files;
    test::FaultyFileSystem faulty;
    test::Events events;
    test::FakeMessageBoxes boxes{events};
    test::FakeSound sound{events};
    test::FakeShell shell{events};
    posix::PollDriver driver;
};

TEST_F(UpdateCheck, ComparesTheListedVersionWithTheRunningOne) {
    struct Case {
        const char* line;
        const char* running;
        bool newer;
        const char* shown;  // the version in the second question
    };
    const Case cases[] = {
        {"Plenwick 4.2", "4.1.0.7", true, "4.2"},
        {"plenwick 4.1.0.7", "4.1.0.7", false, ""},
        {"plenwick 4.1", "4.1.0.7", false, ""},
        {"plenwick 4.1.0.8", "4.1.0.7", true, "4.1.0.8"},
        {"plenwick 10.0", "9.9", true, "10.0"},
        {"plenwick4.2", "4.1.0.7", true, "4.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TestHttpServer server({Ok("other 9.9\r\n\r\n" + std::string(c.line) + "\r\n")});
        auto check = MakeCheck(server.Authority(), c.running);
        events.Clear();
        boxes.answers = {Answer::Yes, Answer::No};
        test::RunCheck(driver, *check);
        EXPECT_EQ(check->NewerFound, c.newer);
        if (c.newer) {
            EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, NewerQuestion(c.shown)}));
        } else {
            EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, "beep", "box:You already have the latest version."}));
        }
        EXPECT_FALSE(test::PathExists(dir.Path("temp.txt")));
        EXPECT_FALSE(check->ListReadFromMemory);
    }
}

TEST_F(UpdateCheck, ReadsTheListLineByLine) {
    struct Case {
        const char* what;
        std::string list;
        bool newer;
        std::string latest;
    };
    const Case cases[] = {
        {"two lines for the product: the first counts", "plenwick 4.0\r\nplenwick 5.0\r\n", false, "4.0"},
        {"a longer identifier that begins with ours matches", "plenwick-pro 7.0\nplenwick 5.0\n", false, "-pro 7.0"},
        {"blanks, tabs and CR-only line ends", "\t  \r  PLENWICK   5.0 \t\rplenwick 1.0\r", true, "5.0"},
        {"letters after the number compare as 0", "plenwick 4.1.0.7b\n", false, "4.1.0.7b"},
        {"ninth component compared", "plenwick 4.1.0.7.0.0.0.0.1\n", true, "4.1.0.7.0.0.0.0.1"},
        {"a number too large counts as 0", "plenwick 99999999999.0\n", false, "99999999999.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server({Ok(c.list)});
        auto check = MakeCheck(server.Authority(), "4.1.0.7");
        EXPECT_EQ(test::FindNewer(driver, *check), c.newer);
        EXPECT_EQ(check->LatestVersion, c.latest);
        EXPECT_EQ(check->Failure, CheckFailure::None);
    }
}

// A version as long as a page would make a box wider than the screen.
TEST_F(UpdateCheck, AVersionTooLongIsNoVersion) {
    struct Case {
        const char* what;
        std::string version;
        bool isVersion;
    };
    const Case cases[] = {
        {"60,000 characters", "9." + std::string(60000, '1'), false},
        {"65 characters", "9." + std::string(63, '0'), false},
        {"64 characters", "9." + std::string(62, '0'), true},
        {"ten components", "9.0.0.0.0.0.0.0.0.1", false},
        {"nine components", "9.0.0.0.0.0.0.0.1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server({Ok("plenwick " + c.version + "\r\n")});
        auto check = MakeCheck(server.Authority(), "4.1.0.7");
        events.Clear();
        boxes.answers = {Answer::Yes, Answer::No};
        test::RunCheck(driver, *check);
        EXPECT_EQ(check->NewerFound, c.isVersion);
        EXPECT_EQ(events.list.back(), c.isVersion ? NewerQuestion(c.version) : "box:" + std::string(kNoListNotice));
    }
}

TEST_F(UpdateCheck, SendsExactlyTheRequestAndOpensOnlyTheConfiguredPage) {
    // The server sends the client elsewhere first; the page offered is
    // still on the configured server.
    TestHttpServer server({"HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:{port}/lists/upgrades.txt\r\n\r\n",
                           Ok("plenwick 9.0\r\n")});
    auto check = MakeCheck(server.Authority(), "4.1.0.7");
    boxes.answers = {Answer::Yes, Answer::Yes};
    test::RunCheck(driver, *check);
    const std::string tail = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                             "User-Agent: Mozilla/3.0 (compatible)\r\n"
                             "Host: " + server.Authority() + "\r\n\r\n";
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GET /upgrades.txt HTTP/1.0\r\n" + tail,
                                                           "GET /lists/upgrades.txt HTTP/1.0\r\n" + tail}));
    EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, NewerQuestion("9.0"),
                                                     "open:http://" + server.Authority() + "/plenwk/whatsnew.shtml"}));
}

TEST_F(UpdateCheck, NoToTheFirstQuestionSendsNothing) {
    TestHttpServer server({Ok("plenwick 9.0\r\n")});
    auto check = MakeCheck(server.Authority(), "4.1.0.7");
    boxes.answers = {Answer::No};
    test::RunCheck(driver, *check);
    EXPECT_EQ(events.list, (std::vector<std::string>{kAsk}));
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(UpdateCheck, AFailedCheckSaysSo) {
    const std::string big = "plenwick 9.0\r\n" + std::string(kMaxReplyBody, '#');
    struct Case {
        const char* what;
        std::vector<std::string> replies;
        const char* notice;
    };
    const Case cases[] = {
        {"404", {"HTTP/1.0 404 Not Found\r\n\r\nplenwick 9.0\r\n"}, kNoListNotice.data()},
        {"a provider's page without the product", {Ok("<html>Please log in</html>")}, kNoListNotice.data()},
        {"a product line without a version", {Ok("plenwick\r\n")}, kNoListNotice.data()},
        {"no HTTP reply at all", {"plenwick 9.0\r\n"}, kNoListNotice.data()},
        {"a 204 is no list", {"HTTP/1.0 204 No Content\r\n\r\n"}, kNoListNotice.data()},
        {"a body over 64 KiB", {Ok(big)}, kNoListNotice.data()},
        {"a redirection loop", {"HTTP/1.0 301 Moved\r\nLocation: /upgrades.txt\r\n\r\n"}, kNoListNotice.data()},
        {"a redirection elsewhere than http", {"HTTP/1.0 301 Moved\r\nLocation: https://x/\r\n\r\n"},
         kNoListNotice.data()},
        {"the connection closed at once", {""}, kNoListNotice.data()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server(c.replies);
        auto check = MakeCheck(server.Authority(), "4.1.0.7");
        events.Clear();
        test::RunCheck(driver, *check);
        EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, "beep", "box:" + std::string(c.notice)}));
        EXPECT_FALSE(test::PathExists(dir.Path("temp.txt")));
    }
}

TEST_F(UpdateCheck, FollowsFiveRedirectionsButNotSix) {
    const std::string moved = "HTTP/1.0 302 Found\r\nLocation: /upgrades.txt\r\n\r\n";
    for (int hops : {5, 6}) {
        SCOPED_TRACE(hops);
        std::vector<std::string> replies(static_cast<std::size_t>(hops), moved);
        replies.push_back(Ok("plenwick 9.0\r\n"));
        TestHttpServer server(replies);
        auto check = MakeCheck(server.Authority(), "4.1.0.7");
        EXPECT_EQ(test::FindNewer(driver, *check), hops == 5);
        EXPECT_EQ(check->Failure, hops == 5 ? CheckFailure::None : CheckFailure::NoVersionList);
        EXPECT_EQ(server.Requests().size(), static_cast<std::size_t>(std::min(hops + 1, 6)));
    }
}

// A resolver that knows no name, so no query leaves this machine.
class NoNames : public posix::BsdSocketApi {
public:
    std::optional<std::uint32_t> ResolveIpv4(const std::string&) override { return std::nullopt; }
};

TEST_F(UpdateCheck, UnreachableServers) {
    // A port nothing listens on: take one and let it go.
    std::string refused;
    { refused = TestHttpServer({}).Authority(); }
    NoNames noNames;
    posix::PollDriver nameless(noNames);
    for (std::string server : {refused, std::string("update.example.test")}) {
        SCOPED_TRACE(server);
        TVUpdateCheck check(UpdateServices{pw::test::Services(faulty, boxes, sound, shell), nameless}, server);
        check.ProductId = "plenwick";
        check.TempDir = dir.Dir();
        check.CurrentVersion = "4.1.0.7";
        events.Clear();
        test::RunCheck(nameless, check);
        EXPECT_EQ(check.Failure, CheckFailure::Unreachable);
        EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, "beep", "box:" + std::string(kUnreachableNotice)}));
    }
}

TEST_F(UpdateCheck, AServerReachedThatSaysTooLittleInTimeIsNotCalledUnreachable) {
    const std::string noAnswer = "box:" + std::string(kNoAnswerNotice) + "1 seconds.";
    struct Case {
        const char* what;
        bool silent;
        int dripMs;
    };
    for (Case c : {Case{"silent", true, 0}, Case{"one byte a tenth of a second", false, 100}}) {
        SCOPED_TRACE(c.what);
        TestHttpServer server({Ok("plenwick 9.0\r\n")}, c.silent, c.dripMs);
        auto check = MakeCheck(server.Authority(), "4.1.0.7");
        check->TimeoutMs = 800;
        events.Clear();
        // A timer of the thread goes on firing throughout.
        int ticks = 0;
        net::IoId ticking = net::kNoIo;
        std::function<void()> tick = [&] {
            ++ticks;
            ticking = driver.StartTimer(20, tick);
        };
        ticking = driver.StartTimer(20, tick);
        auto start = std::chrono::steady_clock::now();
        test::RunCheck(driver, *check);
        auto took = std::chrono::steady_clock::now() - start;
        driver.Cancel(ticking);
        EXPECT_EQ(check->Failure, CheckFailure::NoAnswer);
        EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, "beep", noAnswer}));
        EXPECT_GE(took, std::chrono::milliseconds(800));
        EXPECT_LT(took, std::chrono::seconds(10));
        EXPECT_GE(ticks, 20);
    }
}

TEST_F(UpdateCheck, ASettingThatIsNoHostSendsNothingAndSaysSo) {
    for (std::string server : {std::string(""), std::string("update server"), std::string("127.0.0.1:0"),
                               std::string("host/upgrades.txt?x="), std::string("host:99999")}) {
        SCOPED_TRACE(server);
        auto check = MakeCheck(server, "4.1.0.7");
        events.Clear();
        test::RunCheck(driver, *check);
        EXPECT_EQ(check->Failure, CheckFailure::NotAHost);
        EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, "beep", "box:" + std::string(kNotAHostNotice) + "\"" +
                                                                           server + "\"."}));
    }
}

TEST_F(UpdateCheck, SaysNothingMoreWhenTheProgramIsEnding) {
    TestHttpServer server({}, /*silent=*/true);
    MemoryStore store;
    cfg::Write(store, cfg::kSettingsKey, cfg::global::UpdateServer, server.Authority());
    UpdateChecker checker(UpdateServices{pw::test::Services(store, files, boxes, sound, shell), driver}, {});
    checker.butCheckForUpdateClick();
    EXPECT_TRUE(checker.Running());
    driver.RunUntil([] { return false; }, 200);
    checker.Shutdown();
    driver.RunUntil([] { return false; }, 200);
    EXPECT_EQ(events.list, (std::vector<std::string>{kAsk}));
    // And a click after it starts nothing.
    checker.butCheckForUpdateClick();
    EXPECT_EQ(events.list.size(), 1u);
}

TEST_F(UpdateCheck, KeepsTheListInMemoryWhenTheFolderIsNotWritable) {
    struct Case {
        const char* what;
        test::FileFaults faults;
        std::string tempDir;
    };
    test::FileFaults cannotCreate, diskFull, cannotRead, cannotCommit;
    cannotCreate.createReplacement = true;
    diskFull.diskSpace = 5;
    cannotRead.openReader = true;
    cannotCommit.commit = true;
    const Case cases[] = {
        {"the file cannot be created", cannotCreate, ""},
        {"the disk fills up", diskFull, ""},
        {"the file cannot be read back", cannotRead, ""},
        {"the file cannot be put in place", cannotCommit, ""},
        {"the folder does not exist", {}, "/nonexistent-folder-of-the-test/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        faulty.fail = c.faults;
        TestHttpServer server({Ok("plenwick 9.0\r\n")});
        auto check = MakeCheck(server.Authority(), "4.1.0.7");
        if (!c.tempDir.empty()) check->TempDir = c.tempDir;
        EXPECT_TRUE(test::FindNewer(driver, *check));
        EXPECT_TRUE(check->ListReadFromMemory);
        EXPECT_EQ(check->LatestVersion, "9.0");
        EXPECT_FALSE(test::PathExists(dir.Path("temp.txt")));
    }
}

TEST_F(UpdateCheck, DownloadToFileWritesOnlyAWholeReplyWithStatus200) {
    struct Case {
        std::string reply;
        bool ok;
    };
    const Case cases[] = {
        {Ok("line one\r\nline two\r\n"), true},
        {"HTTP/1.0 203 Non-Authoritative\r\n\r\nline one\r\n", false},
        {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\ncut short", false},
        {"HTTP/1.0 403 Forbidden\r\n\r\nsecret", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        test::WriteBytes(dir.Path("out.txt"), "old");
        TestHttpServer server({c.reply});
        auto check = MakeCheck(server.Authority(), "1");
        std::optional<bool> ok;
        check->DownloadToFile("http://" + server.Authority() + "/x", dir.Path("out.txt"), [&ok](bool d) { ok = d; });
        ASSERT_TRUE(driver.RunUntil([&ok] { return ok.has_value(); }, test::kRunLimitMs));
        EXPECT_EQ(*ok, c.ok);
        EXPECT_EQ(test::ReadBytes(dir.Path("out.txt")), c.ok ? "line one\r\nline two\r\n" : "old");
    }
}

TEST_F(UpdateCheck, TheButtonUsesTheStoredServerAndTheProgramVersion) {
    TestHttpServer server({Ok("plenwick 1.2.3.4\r\n")});
    MemoryStore store;
    cfg::Write(store, cfg::kSettingsKey, cfg::global::UpdateServer, server.Authority());
    boxes.answers = {Answer::Yes, Answer::No};
    ProgramVersion version{1, 2, 3, 3, "1.2.3.3"};
    UpdateChecker checker(UpdateServices{pw::test::Services(store, files, boxes, sound, shell), driver}, version);
    checker.butCheckForUpdateClick();
    // A click while the check waits for the server does nothing.
    checker.butCheckForUpdateClick();
    ASSERT_TRUE(driver.RunUntil([&checker] { return !checker.Running(); }, test::kRunLimitMs));
    EXPECT_EQ(events.list, (std::vector<std::string>{kAsk, NewerQuestion("1.2.3.4")}));
    EXPECT_EQ(server.Requests().size(), 1u);

    // A stored server of the wrong kind is the program's error box, not an
    // escaped exception.
    events.Clear();
    cfg::Write(store, cfg::kSettingsKey, cfg::IntValue{cfg::global::UpdateServer.name, 0, 0, 9}, 5);
    checker.butCheckForUpdateClick();
    ASSERT_EQ(events.list.size(), 1u);
    EXPECT_EQ(events.list[0].rfind("error:", 0), 0u);
}

}  // namespace
}  // namespace pw::update
