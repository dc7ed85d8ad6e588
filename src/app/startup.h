#pragma once
// The single-instance guard. A normal instance holds "Plenwick_MUTEX"; a
// test instance (first argument "test", any letter case) holds it too and
// also "PlenwickTEST_MUTEX", which then alone decides. So one normal and
// one test instance can run side by side, and a normal instance started
// while a test instance runs ends at once.

#include <optional>
#include <string_view>

#include "common/text.h"
#include "common/version.h"

namespace pw::app {

using pw::kAppTitle;
inline constexpr std::string_view kMutexSuffix = "_MUTEX";
inline constexpr std::string_view kTestMutexSuffix = "TEST_MUTEX";
inline constexpr std::string_view kMutexName = Joined<kAppTitle, kMutexSuffix>;
inline constexpr std::string_view kTestMutexName = Joined<kAppTitle, kTestMutexSuffix>;

class MutexApi {
public:
    virtual ~MutexApi() = default;
    // Creates the named system-wide mutex, owned by this process, and keeps
    // it until the process ends. True when it existed already.
    virtual bool CreateOwned(std::string_view name) = 0;
    // Closes the handle of the mutex last created.
    virtual void CloseLast() = 0;
};

bool IsTestArgument(std::string_view firstArgument);

enum class InstanceDecision { Run, End };

// Takes the mutexes. End means another instance of the same kind runs:
// the program must end without a window, a message or a log line.
InstanceDecision ClaimInstance(MutexApi& mutexes, std::optional<std::string_view> firstArgument);

}  // namespace pw::app
