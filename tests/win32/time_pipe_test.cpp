// The time helper's pipe and the program's exchange with it over the
// driver, with a stand-in for the helper's answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/helper_link_win32.h"
#include "platform/win32/io_driver_win32.h"
#include "platform/win32/text.h"
#include "platform/win32/time_pipe_server.h"
#include "timehelper/helper_exchange.h"
#include "timehelper/protocol.h"

namespace pw::win {
namespace {

const std::string kStatusReply = "attempted=0\n";

std::string UniquePipeName() {
    static int serial = 0;
    return "\\\\.\\pipe\\PwTimeTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

struct Server {
    explicit Server(TimePipeServer::Handler handler, int instances = 4, int requestMs = 300, int replyMs = 300)
        : name(UniquePipeName()), server({Widen(name), instances, requestMs, replyMs}, std::move(handler)) {}
    std::string name;
    TimePipeServer server;
};

// Answers a status, drops everything else, and notes the longest request.
struct StandIn {
    std::atomic<size_t> longest{0};
    std::string operator()(std::string_view request) {
        if (request.size() > longest) longest = request.size();
        return request == "STATUS" ? kStatusReply : std::string();
    }
};

// One exchange as the program makes it, on a driver of its own; the
// reply, or nothing.
std::optional<std::string> Ask(const std::string& pipe, const std::string& service, const std::string& request,
                               int timeoutMs) {
    WinIoDriver driver;
    timehelper::HelperExchange exchange(driver);
    std::optional<std::optional<std::string>> reply;
    exchange.Start({pipe, service}, request, timeoutMs, [&](std::optional<std::string> r) { reply = std::move(r); });
    EXPECT_TRUE(driver.RunUntil([&] { return reply.has_value(); }, timeoutMs + 2000)) << "no end within the time";
    return reply ? *reply : std::nullopt;
}

HANDLE OpenRaw(const std::string& name) {
    HANDLE h = CreateFileW(Widen(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD mode = PIPE_READMODE_MESSAGE;
        SetNamedPipeHandleState(h, &mode, nullptr, nullptr);
    }
    return h;
}

bool Write(HANDLE h, std::string_view bytes) {
    DWORD wrote = 0;
    return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
}

// Whether the server lets go of this client's end within its limits (the
// client that was answered may have taken the first instance freed).
bool Dropped(HANDLE h) {
    for (int tries = 0; tries < 200; ++tries) {
        DWORD avail = 0;
        if (!PeekNamedPipe(h, nullptr, 0, nullptr, &avail, nullptr)) return true;
        Sleep(10);
    }
    return false;
}

// Clients that do not play by the rules, each holding what it opened until
// the well-behaved client has had its answer.
struct Hostile {
    std::vector<HANDLE> handles;
    std::vector<std::thread> writers;
    ~Hostile() {
        for (HANDLE h : handles) CloseHandle(h);
        for (auto& t : writers) t.join();
    }
};

TEST(TimePipeServerTest, HostileClientsNeverKeepOthersFromAnAnswer) {
    struct Case {
        const char* what;
        std::function<void(const std::string& pipe, Hostile& h)> attack;
    };
    const Case cases[] = {
        {"silent on every instance",
         [](const std::string& pipe, Hostile& h) {
             for (int i = 0; i < 4; ++i) h.handles.push_back(OpenRaw(pipe));
         }},
        {"1 MB on every instance",
         [](const std::string& pipe, Hostile& h) {
             for (int i = 0; i < 4; ++i) {
                 HANDLE c = OpenRaw(pipe);
                 h.handles.push_back(c);
                 h.writers.emplace_back([c] { Write(c, std::string(1 << 20, 'S')); });
             }
         }},
        {"asks and never reads, on every instance",
         [](const std::string& pipe, Hostile& h) {
             for (int i = 0; i < 4; ++i) {
                 h.handles.push_back(OpenRaw(pipe));
                 Write(h.handles.back(), "STATUS");
             }
         }},
        {"a hundred connections",
         [](const std::string& pipe, Hostile& h) {
             for (int i = 0; i < 100; ++i) {
                 HANDLE c = OpenRaw(pipe);
                 if (c != INVALID_HANDLE_VALUE) h.handles.push_back(c);
             }
         }},
        {"malformed requests",
         [](const std::string& pipe, Hostile& h) {
             for (std::string_view junk : {std::string_view("SYNC NOW 12:00"), std::string_view("\0\0\0\0", 4),
                                           std::string_view("STATUS\nSTATUS\n"), std::string_view("\xff\xfe")}) {
                 h.handles.push_back(OpenRaw(pipe));
                 Write(h.handles.back(), junk);
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandIn standIn;
        Server s([&standIn](std::string_view r) { return standIn(r); });
        ASSERT_TRUE(s.server.Start());
        Hostile hostile;
        c.attack(s.name, hostile);
        ASSERT_FALSE(hostile.handles.empty());
        ASSERT_NE(hostile.handles.front(), INVALID_HANDLE_VALUE);

        EXPECT_EQ(Ask(s.name, "", "STATUS", 3000), kStatusReply);
        EXPECT_LE(standIn.longest, timehelper::kMaxRequestBytes) << "an oversized request reached the helper";
        for (HANDLE h : hostile.handles) EXPECT_TRUE(Dropped(h));
        // Again, now that the instances have turned over.
        EXPECT_EQ(Ask(s.name, "", "STATUS", 3000), kStatusReply);
    }
}

// The service serves on its own thread and keeps the time between clients;
// its stop ends the serving at once, also with a client in mid-request.
TEST(TimePipeServerTest, ServingOnTheCallersThreadTicksAndStopsWithAClientHalfWay) {
    StandIn standIn;
    // A long request limit, so the silent client is still pending at the stop.
    Server s([&standIn](std::string_view r) { return standIn(r); }, 2, 10000, 300);
    ASSERT_TRUE(s.server.Open());
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ticks{0};
    std::thread service([&] { s.server.Serve(stop, 50, [&ticks] { ++ticks; }); });
    HANDLE silent = OpenRaw(s.name);
    ASSERT_NE(silent, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Ask(s.name, "", "STATUS", 3000), kStatusReply);
    Sleep(500);
    EXPECT_GE(ticks.load(), 3) << "the tick did not run while a client waited";
    const auto start = std::chrono::steady_clock::now();
    SetEvent(stop);
    service.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "the stop waited for the client";
    EXPECT_TRUE(Dropped(silent));
    CloseHandle(silent);
    CloseHandle(stop);
}

// While the service is stopped any process may serve its pipe's name.
TEST(TimePipeServerTest, NoOneElseServesTheHelpersName) {
    StandIn standIn;
    Server first([&standIn](std::string_view r) { return standIn(r); });
    ASSERT_TRUE(first.server.Start());
    TimePipeServer second({Widen(first.name)}, [](std::string_view) { return std::string("x"); });
    EXPECT_FALSE(second.Start()) << "a second server on the helper's name";
    EXPECT_EQ(Ask(first.name, "", "STATUS", 2000), kStatusReply);
    WinHelperLink toTheService(first.name, "PwNoSuchService");
    EXPECT_EQ(toTheService.State(), timehelper::HelperState::NotInstalled);
    EXPECT_EQ(Ask(first.name, "PwNoSuchService", "STATUS", 2000), std::nullopt)
        << "a reply from a process not the service's";
}

TEST(HelperExchangeTest, GivesNothingUnlessAWholeReplyComesInTime) {
    const std::string full(timehelper::kMaxReplyBytes, 'r');
    struct Case {
        const char* what;
        bool serve;
        TimePipeServer::Handler handler;
        bool holdTheOnlyInstance;
        std::optional<std::string> expected;
    };
    auto echo = [](std::string reply) { return [reply](std::string_view) { return reply; }; };
    const Case cases[] = {
        {"no helper", false, nullptr, false, std::nullopt},
        {"the helper answers", true, echo(kStatusReply), false, kStatusReply},
        {"the longest reply allowed", true, echo(full), false, full},
        {"a reply too long", true, echo(full + "r"), false, std::nullopt},
        {"the helper drops the request", true, echo(""), false, std::nullopt},
        {"the helper answers too late", true,
         [](std::string_view) {
             Sleep(1500);
             return kStatusReply;
         },
         false, std::nullopt},
        {"the helper is busy past the time", true, echo(kStatusReply), true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A long request limit, so a held instance stays held.
        Server s(c.handler, 1, 5000, 5000);
        if (c.serve) {
            ASSERT_TRUE(s.server.Start());
        }
        HANDLE holder = c.holdTheOnlyInstance ? OpenRaw(s.name) : INVALID_HANDLE_VALUE;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Ask(s.name, "", "STATUS", 500), c.expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "the time limit was not kept";
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    }
}

// The helper that takes a request and never answers: the window thread's
// timers go on throughout, and the exchange ends at its limit.
TEST(HelperExchangeTest, TheThreadGoesOnWhileTheHelperSaysNothing) {
    Server s([](std::string_view) {
        Sleep(3000);
        return kStatusReply;
    }, 1, 5000, 5000);
    ASSERT_TRUE(s.server.Start());
    WinIoDriver driver;
    timehelper::HelperExchange exchange(driver);
    bool ended = false;
    exchange.Start({s.name, ""}, "SYNC", 1500, [&](std::optional<std::string> r) {
        EXPECT_EQ(r, std::nullopt);
        ended = true;
    });
    int ticks = 0;
    std::function<void()> tick = [&] {
        ++ticks;
        if (!ended) driver.StartTimer(50, tick);
    };
    driver.StartTimer(50, tick);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(driver.RunUntil([&] { return ended; }, 5000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
    EXPECT_GE(ticks, 15) << "the thread stopped while the helper was asked";
}

}  // namespace
}  // namespace pw::win
