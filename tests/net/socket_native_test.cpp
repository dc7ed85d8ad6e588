// The socket layer and the SNTP client over BSD sockets on loopback.
#include "platform/posix/bsd_sockets.h"
#include "platform/posix/system_clock.h"
#include "support/socket_contract.inc"

namespace pw::contract {
namespace {

posix::SystemClock realClock;

const SocketPlatform kBsd{"bsd", [] () -> net::SocketApi& { return posix::BsdSockets(); },
                          [] () -> Clock& { return realClock; }};

INSTANTIATE_TEST_SUITE_P(Bsd, SocketContract, ::testing::Values(kBsd),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Bsd, SntpContract, ::testing::Values(kBsd),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pw::contract
