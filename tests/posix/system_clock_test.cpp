// The native clock reads the real time and refuses every setting.
#include "platform/posix/system_clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace pw::posix {
namespace {

TEST(PosixSystemClock, ReadsRealUtcAndLocalTime) {
    SystemClock clock;
    double before = static_cast<double>(std::time(nullptr));
    DateTime utc = clock.UtcNow();
    double after = static_cast<double>(std::time(nullptr));
    double unixSeconds = (utc - 25569.0) * 86400.0;
    EXPECT_GE(unixSeconds, before - 0.001);
    EXPECT_LE(unixSeconds, after + 1.001);
    EXPECT_NEAR((clock.Now() + clock.ZoneBiasMinutes() / 1440.0 - clock.UtcNow()) * 86400, 0, 1);
}

TEST(PosixSystemClock, NeverSetsTheClock) {
    SystemClock clock;
    DateTime now = clock.UtcNow();
    EXPECT_EQ(clock.SetUtc(now + 1), ClockSet::NoRight);
    EXPECT_NEAR((clock.UtcNow() - now) * 86400, 0, 1);
}

}  // namespace
}  // namespace pw::posix
