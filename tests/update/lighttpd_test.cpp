// The update check against a real web server: lighttpd on 127.0.0.1:80,
// started with tests/update/lighttpd.conf and stopped by its PID.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/posix/child_process.h"
#include "platform/posix/posix_files.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"
#include "update/http_test_server.h"
#include "update/run_check.h"
#include "update/update_check.h"
#include "support/test_services.h"

namespace pw::update {
namespace {

namespace fs = std::filesystem;

// A loopback port nothing listens on: one is taken and let go.
std::uint16_t FreePort() { return test::TestHttpServer({}).Port(); }

class Lighttpd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        lighttpd = posix::FindProgram("lighttpd");
        if (lighttpd.empty()) return;
        root = fs::temp_directory_path() / ("pw-lighttpd-" + std::to_string(getpid()));
        fs::create_directories(root / "list");
        fs::create_directories(root / "empty");
        std::ofstream(root / "list" / "upgrades.txt") << "other 1.0\r\nplenwick 4.2\r\n";
        ::setenv("PW_HTTP_ROOT", root.c_str(), 1);
        redirectPort = FreePort();
        loopPort = FreePort();
        ::setenv("PW_HTTP_REDIRECT_PORT", std::to_string(redirectPort).c_str(), 1);
        ::setenv("PW_HTTP_LOOP_PORT", std::to_string(loopPort).c_str(), 1);
        const std::string conf = std::string(std::getenv("PW_SOURCE_DIR") ? std::getenv("PW_SOURCE_DIR") : ".") +
                                 "/tests/update/lighttpd.conf";
        // -D: stay in the foreground as our child.
        server = posix::ChildProcess::Start({lighttpd, "-D", "-f", conf}, (root / "lighttpd.log").string());
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (server && server->Running() && std::chrono::steady_clock::now() < deadline) {
            posix::PollDriver driver;
            if (test::GetOnce(driver, "http://127.0.0.1/upgrades.txt", 500).Completed()) {
                ready = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    static void TearDownTestSuite() {
        if (server) server->Stop();
        server.reset();
        if (!root.empty()) fs::remove_all(root);
    }
    void SetUp() override {
        ASSERT_FALSE(lighttpd.empty()) << "lighttpd is not installed (scripts/deps installs it)";
        ASSERT_TRUE(ready) << "lighttpd did not answer on 127.0.0.1:80; see " << (root / "lighttpd.log").string()
                           << " and " << (root / "error.log").string();
    }

    static inline std::string lighttpd;
    static inline fs::path root;
    static inline std::unique_ptr<posix::ChildProcess> server;
    static inline bool ready = false;
    static inline std::uint16_t redirectPort = 0;
    static inline std::uint16_t loopPort = 0;
};

TEST_F(Lighttpd, AnswersEachCaseAsTheUserSeesIt) {
    const std::string ask = "ask:" + std::string(kAskCaption) + "|" + std::string(kAskText);
    const std::string newer = "ask:New Version Found|A newer version has been found (v4.2)\r\n\r\nWould you like to read about it?";
    const std::string latest = "box:" + std::string(kLatestNotice);
    const std::string port = "127.0.0.1:";
    struct Case {
        const char* what;
        std::string server;
        const char* running;
        std::vector<std::string> after;  // what follows the first question and its Yes
    };
    const Case cases[] = {
        {"a newer version", "127.0.0.1", "4.1.0.7", {newer}},
        {"the same version", "127.0.0.1", "4.2", {"beep", latest}},
        {"404", "localhost", "4.1.0.7", {"beep", "box:" + std::string(kNoListNotice)}},
        {"one redirect", port + std::to_string(redirectPort), "4.1.0.7", {newer}},
        {"a redirect loop", port + std::to_string(loopPort), "4.1.0.7", {"beep", "box:" + std::string(kNoListNotice)}},
        {"a refused connection", port + std::to_string(FreePort()), "4.1.0.7",
         {"beep", "box:" + std::string(kUnreachableNotice)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        posix::PosixFileSystem files;
        test::Events events;
        test::FakeMessageBoxes boxes(events);
        test::FakeSound sound(events);
        test::FakeShell shell(events);
        posix::PollDriver driver;
        TVUpdateCheck check(UpdateServices{pw::test::Services(files, boxes, sound, shell), driver}, c.server);
        check.ProductId = std::string(kProductId);
        check.ShortName = std::string(kShortName);
        check.TempDir = dir.Dir();
        check.CurrentVersion = c.running;
        boxes.answers = {Answer::Yes, Answer::No};
        test::RunCheck(driver, check);
        std::vector<std::string> expected{ask};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(events.list, expected);
        EXPECT_FALSE(test::PathExists(dir.Path("temp.txt")));
    }
}

}  // namespace
}  // namespace pw::update
