// The update check's HTTP client over Winsock on the user-interface
// thread: while it waits, window messages go on being dispatched, so a
// timer keeps firing during a slow check.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "platform/win32/winsock_api.h"
#include "update/http_get.h"

namespace pw::update {
namespace {

int ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++ticks; }

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

TEST(UpdateWin32, TimersFireWhileTheServerSaysNothing) {
    SilentListener server;
    win::MessagePumpWaiter waiter;
    HttpGet get(win::Winsock(), waiter);
    get.TimeoutMs = 1500;
    ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, CountTick);
    auto start = std::chrono::steady_clock::now();
    HttpResult r = get.Get(server.Url(), [](std::string_view) { return true; });
    auto took = std::chrono::steady_clock::now() - start;
    KillTimer(nullptr, timer);
    EXPECT_EQ(r.outcome, HttpResult::Outcome::TimedOut);
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_GE(ticks, 5);
}

TEST(UpdateWin32, ARefusedConnectionFailsAtOnce) {
    SilentListener server;
    server.Close();
    win::MessagePumpWaiter waiter;
    HttpGet get(win::Winsock(), waiter);
    get.TimeoutMs = 20000;
    auto start = std::chrono::steady_clock::now();
    HttpResult r = get.Get(server.Url(), [](std::string_view) { return true; });
    EXPECT_EQ(r.outcome, HttpResult::Outcome::ConnectFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(UpdateWin32, AQuitMessageEndsTheWaitAndStaysQueued) {
    SilentListener server;
    win::MessagePumpWaiter waiter;
    HttpGet get(win::Winsock(), waiter);
    get.TimeoutMs = 20000;
    PostQuitMessage(3);
    HttpResult r = get.Get(server.Url(), [](std::string_view) { return true; });
    EXPECT_EQ(r.socketError, net::kWsaInterrupted);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace pw::update
