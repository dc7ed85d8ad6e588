// The SNTP client against a real time server: chronyd on 127.0.0.1 with
// clock control off, compared with chronyd's own one-shot measurement.
// Every program started here runs without the right to set the clock and
// is stopped by its PID.
#include <algorithm>
#include <vector>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "nettime/sntp.h"
#include "platform/posix/bsd_sockets.h"
#include "platform/posix/child_process.h"
#include "platform/posix/system_clock.h"
#include "support/real_socket_helpers.h"

namespace pw::nettime {
namespace {

namespace fs = std::filesystem;

// Runs a program through capsh so that it has no CAP_SYS_TIME, whoever
// starts the tests. exec keeps the PID, so the child is the program.
std::vector<std::string> WithoutClockRight(std::vector<std::string> argv) {
    std::vector<std::string> out{posix::FindProgram("capsh"), "--drop=cap_sys_time", "--", "-c",
                                 "exec \"$0\" \"$@\""};
    out.insert(out.end(), argv.begin(), argv.end());
    return out;
}

std::uint16_t FreeUdpPort() {
    net::SocketApi& api = posix::BsdSockets();
    net::SocketHandle h = net::kNoSocket;
    net::Endpoint local;
    if (api.OpenUdp(h) != 0) return 0;
    if (api.Bind(h, net::Endpoint{net::kLoopback, 0}) != 0 || api.LocalEndpoint(h, local) != 0) local.port = 0;
    api.Close(h);
    return local.port;
}

class Chronyd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        chronyd = posix::FindProgram("chronyd");
        if (chronyd.empty() || posix::FindProgram("capsh").empty()) return;
        dir = fs::temp_directory_path() / ("pw-chronyd-" + std::to_string(getpid()));
        fs::create_directories(dir);
        port = FreeUdpPort();
        std::ofstream(dir / "chrony.conf") << "port " << port << "\n"
                                           << "bindaddress 127.0.0.1\n"
                                           << "allow 127.0.0.1\n"
                                           << "cmdport 0\n"
                                           // no command socket, so nothing under /run
                                           << "bindcmdaddress /\n"
                                           << "local stratum 10\n"
                                           << "pidfile " << (dir / "chronyd.pid").string() << "\n";
        // -x: never touch the clock; -d: stay in the foreground as our
        // child; -u root: no switch to a user that cannot read our files.
        server = posix::ChildProcess::Start(
            WithoutClockRight({chronyd, "-x", "-d", "-u", "root", "-f", (dir / "chrony.conf").string()}),
            (dir / "chronyd.log").string());
        if (!server) return;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline && server->Running()) {
            test::RecordingClock clock(realClock);
            TSNTPSend probe(clock, std::make_unique<test::RedirectedSocket>(posix::BsdSockets(), port));
            probe.Host = "127.0.0.1";
            probe.TimeoutMs = 200;
            if (probe.QueryTime()) {
                ready = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    static void TearDownTestSuite() {
        if (server) server->Stop();
        server.reset();
        if (!dir.empty()) fs::remove_all(dir);
    }
    void SetUp() override {
        ASSERT_FALSE(chronyd.empty()) << "chronyd is not installed (scripts/deps installs it)";
        ASSERT_TRUE(ready) << "chronyd did not answer; see " << (dir / "chronyd.log").string();
    }

    std::unique_ptr<TSNTPSend> Client(Clock& clock) {
        auto c = std::make_unique<TSNTPSend>(clock, std::make_unique<test::RedirectedSocket>(posix::BsdSockets(), port));
        c->Host = "127.0.0.1";
        c->TimeoutMs = 2000;
        return c;
    }

    // chronyd's own measurement of this machine's clock against the server,
    // positive when the clock is behind (as OffsetSeconds).
    std::optional<double> ReferenceOffset() {
        auto r = posix::RunAndCapture(
            WithoutClockRight({chronyd, "-Q", "-u", "root", "-t", "10",
                               "pidfile " + (dir / "reference.pid").string(), "bindcmdaddress /",
                               "server 127.0.0.1 port " + std::to_string(port) + " iburst maxsamples 1"}),
            15000);
        auto at = r.output.find("wrong by ");
        if (at == std::string::npos) {
            ADD_FAILURE() << "chronyd -Q said: " << r.output;
            return std::nullopt;
        }
        return std::stod(r.output.substr(at + 9));
    }

    static inline posix::SystemClock realClock;
    static inline std::string chronyd;
    static inline fs::path dir;
    static inline std::uint16_t port = 0;
    static inline std::unique_ptr<posix::ChildProcess> server;
    static inline bool ready = false;
};

TEST_F(Chronyd, AnswersTheRequestAsAServer) {
    test::RecordingClock clock(realClock);
    auto c = Client(clock);
    ASSERT_TRUE(c->QueryTime());
    EXPECT_EQ(c->ReplyMode, 4);
    EXPECT_EQ(c->ReplyVersion, 3);
    EXPECT_LT(c->ReplyLeap, 3);
    EXPECT_EQ(c->Reply[kNtpStratum], 10);
    EXPECT_TRUE(clock.sets.empty());
}

TEST_F(Chronyd, OffsetAgreesWithTheReferenceClient) {
    // chronyd serves this machine's own clock, so both should see next to
    // nothing; a local clock running 2.5 s late must show as +2.5 s.
    // A single exchange on a busy machine can be delayed asymmetrically by
    // the scheduler; the median of a few exchanges is what is compared.
    for (double skew : {0.0, -2.5, 40.0}) {
        SCOPED_TRACE(skew);
        auto reference = ReferenceOffset();
        ASSERT_TRUE(reference.has_value());
        const double expected = *reference - skew;
        std::vector<double> differences;
        for (int i = 0; i < 5; ++i) {
            test::RecordingClock clock(realClock, skew);
            auto c = Client(clock);
            c->ApplyTime = true;
            ASSERT_TRUE(c->QueryTime());
            differences.push_back(c->OffsetSeconds - expected);
            // Read to the millisecond, a loopback round trip can show as
            // slightly negative.
            EXPECT_GT(c->DelaySeconds, -0.0015);
            EXPECT_LT(c->DelaySeconds, 0.05);
            // Within the default limit the clock would be set to the
            // server's time, which is the real time.
            ASSERT_EQ(clock.sets.size(), 1u);
            EXPECT_NEAR((clock.sets[0] - realClock.UtcNow()) * 86400, 0, 0.05);
        }
        std::sort(differences.begin(), differences.end());
        const double median = differences[differences.size() / 2];
        EXPECT_NEAR(median, 0, 0.001);
        std::printf("[ measured ] skew %+.1f s: median difference from chronyd -Q %.6f s\n", skew, median);
    }
}

}  // namespace
}  // namespace pw::nettime
