// Asks the time helper as the user's program does, for the end-to-end
// tests and the hostile clients among them:
//   helper_ask state              not-installed, stopped or running
//   helper_ask SYNC|STATUS [ms]   the helper's reply, or "no reply"
// The exit code is 0 when there was an answer, 1 when not, 2 for wrong
// arguments.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/win32/helper_link_win32.h"
#include "platform/win32/io_driver_win32.h"
#include "timehelper/helper_exchange.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: helper_ask state | SYNC|STATUS [timeout-ms]\n");
        return 2;
    }
    pw::win::WinHelperLink link;
    const std::string what = argv[1];
    if (what == "state") {
        const char* names[] = {"not-installed", "stopped", "running"};
        std::printf("%s\n", names[static_cast<int>(link.State())]);
        return 0;
    }
    const int timeoutMs = argc > 2 ? std::atoi(argv[2]) : 5000;
    pw::win::WinIoDriver driver;
    pw::timehelper::HelperExchange exchange(driver);
    std::optional<std::optional<std::string>> answer;
    exchange.Start(link.Pipe(), what, timeoutMs, [&](std::optional<std::string> r) { answer = std::move(r); });
    driver.RunUntil([&] { return answer.has_value(); }, timeoutMs + 5000);
    const auto reply = answer ? *answer : std::nullopt;
    std::printf("%s", reply ? reply->c_str() : "no reply\n");
    return reply ? 0 : 1;
}
