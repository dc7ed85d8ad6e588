// The native driver against servers on 127.0.0.1.
#include "platform/posix/bsd_sockets.h"
#include "platform/posix/poll_driver.h"
#include "platform/posix/system_clock.h"
#include "support/driver_contract.inc"

namespace pw::contract {
namespace {

posix::SystemClock pollClock;

const DriverPlatform kPoll{
    "poll", [] { return std::make_unique<posix::PollDriver>(); },
    [](net::IoDriver& d, const std::function<bool()>& done, int ms) {
        return static_cast<posix::PollDriver&>(d).RunUntil(done, ms);
    },
    []() -> net::SocketApi& { return posix::BsdSockets(); }, []() -> Clock& { return pollClock; }};

INSTANTIATE_TEST_SUITE_P(Poll, DriverContract, ::testing::Values(kPoll),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pw::contract
