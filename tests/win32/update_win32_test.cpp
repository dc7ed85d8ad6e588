// The update check's HTTP client over the driver on the window thread:
// nothing waits, so a timer keeps firing during a slow check.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/win32/io_driver_win32.h"
#include "update/http_get.h"

namespace pw::update {
namespace {


// A listening socket on 127.0.0.1 that never accepts: the system still
// completes the connection, and nothing is ever answered.
class SilentListener {
public:
    SilentListener() {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(s_, 4);
        int len = sizeof a;
        getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~SilentListener() {
        closesocket(s_);
        WSACleanup();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/upgrades.txt"; }
    // Stops listening: later connections are refused.
    void Close() { closesocket(s_); s_ = INVALID_SOCKET; }

private:
    SOCKET s_;
    unsigned short port_ = 0;
};

// A GET on a driver of its own, run to its end with a timer of the
// thread ticking meanwhile.
struct TimedGet {
    win::WinIoDriver driver;
    HttpGet get{driver};
    std::optional<HttpResult> result;
    // Between two ticks, or the start and the first.
    std::chrono::steady_clock::duration longestGap{};
    std::chrono::steady_clock::duration took{};

    void Run(const std::string& url, int limitMs) {
        const auto start = std::chrono::steady_clock::now();
        auto last = start;
        std::function<void()> tick = [&] {
            const auto now = std::chrono::steady_clock::now();
            longestGap = std::max(longestGap, now - last);
            last = now;
            if (!result) driver.StartTimer(100, tick);
        };
        driver.StartTimer(100, tick);
        get.Start(url, [](std::string_view) { return true; }, [this](const HttpResult& r) { result = r; });
        driver.RunUntil([this] { return result.has_value(); }, limitMs);
        took = std::chrono::steady_clock::now() - start;
    }
};

TEST(UpdateWin32, TimersFireWhileTheServerSaysNothing) {
    SilentListener server;
    TimedGet t;
    t.get.TimeoutMs = 1500;
    t.Run(server.Url(), 5000);
    ASSERT_TRUE(t.result);
    EXPECT_EQ(t.result->outcome, HttpResult::Outcome::TimedOut);
    EXPECT_GE(t.took, std::chrono::milliseconds(1400));
    // The thread ticked throughout: a GET that waited would have held a
    // tick back for the whole 1.5 seconds.
    EXPECT_LT(t.longestGap, std::chrono::milliseconds(1000));
}

TEST(UpdateWin32, ARefusedConnectionFailsAtOnce) {
    SilentListener server;
    server.Close();
    TimedGet t;
    t.get.TimeoutMs = 20000;
    t.Run(server.Url(), 25000);
    ASSERT_TRUE(t.result);
    EXPECT_EQ(t.result->outcome, HttpResult::Outcome::ConnectFailed);
    EXPECT_LT(t.took, std::chrono::seconds(10));
}

// "Exit" during a check: everything stops at once and nothing answers.
TEST(UpdateWin32, AShutdownEndsTheGetWithoutAnAnswer) {
    SilentListener server;
    TimedGet t;
    t.get.TimeoutMs = 20000;
    t.get.Start(server.Url(), [](std::string_view) { return true; }, [&](const HttpResult& r) { t.result = r; });
    t.driver.RunUntil([] { return false; }, 300);
    t.driver.Shutdown();
    t.driver.RunUntil([] { return false; }, 300);
    EXPECT_FALSE(t.result);
}

}  // namespace
}  // namespace pw::update
