// The socket layer and the SNTP client over Winsock, and the program's
// driver, against servers on 127.0.0.1 inside the test.
#include "platform/win32/io_driver_win32.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/winsock_api.h"
#include "support/driver_contract.inc"
#include "support/socket_contract.inc"

namespace pw::contract {
namespace {

win::SystemClock realClock;

const SocketPlatform kWinsock{"winsock", [] () -> net::SocketApi& { return win::Winsock(); },
                              [] () -> Clock& { return realClock; }, false};

INSTANTIATE_TEST_SUITE_P(Winsock, SocketContract, ::testing::Values(kWinsock),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Winsock, SntpContract, ::testing::Values(kWinsock),
                         [](const auto& info) { return info.param.name; });

const DriverPlatform kWindowDriver{
    "window", [] { return std::make_unique<win::WinIoDriver>(); },
    [](net::IoDriver& d, const std::function<bool()>& done, int ms) {
        return static_cast<win::WinIoDriver&>(d).RunUntil(done, ms);
    },
    []() -> net::SocketApi& { return win::Winsock(); }, []() -> Clock& { return realClock; }};

INSTANTIATE_TEST_SUITE_P(Window, DriverContract, ::testing::Values(kWindowDriver),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pw::contract
