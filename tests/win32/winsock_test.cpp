// The socket layer and the SNTP client over Winsock, against servers on
// 127.0.0.1 inside the test.
#include "platform/win32/system_clock.h"
#include "platform/win32/winsock_api.h"
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

}  // namespace
}  // namespace pw::contract
