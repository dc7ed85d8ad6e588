#pragma once
// The update check run to its end, as the program's loop would run it, on
// a poll() driver of the test's own with real sockets.

#include <gtest/gtest.h>

#include <optional>

#include "platform/posix/poll_driver.h"
#include "update/update_check.h"

namespace pw::test {

// Long enough for any check of the tests; the checks' own limits are
// shorter.
inline constexpr int kRunLimitMs = 60000;

inline void RunCheck(posix::PollDriver& driver, update::TVUpdateCheck& check) {
    bool ended = false;
    check.RunUpdateCheck([&ended] { ended = true; });
    ASSERT_TRUE(driver.RunUntil([&ended] { return ended; }, kRunLimitMs)) << "the check did not end";
}

inline bool FindNewer(posix::PollDriver& driver, update::TVUpdateCheck& check) {
    std::optional<bool> newer;
    check.FindNewerVersion([&newer](bool n) { newer = n; });
    EXPECT_TRUE(driver.RunUntil([&newer] { return newer.has_value(); }, kRunLimitMs)) << "the check did not end";
    return newer.value_or(false);
}

inline update::HttpResult GetOnce(posix::PollDriver& driver, std::string_view url, int timeoutMs) {
    update::HttpGet get(driver);
    get.TimeoutMs = timeoutMs;
    std::optional<update::HttpResult> result;
    get.Start(url, [](std::string_view) { return true; }, [&result](const update::HttpResult& r) { result = r; });
    EXPECT_TRUE(driver.RunUntil([&result] { return result.has_value(); }, timeoutMs + 5000));
    return result.value_or(update::HttpResult{});
}

}  // namespace pw::test
