#include "app/startup.h"

#include "common/text.h"

namespace pw::app {

bool IsTestArgument(std::string_view arg) { return EqualNoCase(arg, "test"); }

InstanceDecision ClaimInstance(MutexApi& mutexes, std::optional<std::string_view> firstArgument) {
    bool existed = mutexes.CreateOwned(kMutexName);
    if (firstArgument && IsTestArgument(*firstArgument)) existed = mutexes.CreateOwned(kTestMutexName);
    if (!existed) return InstanceDecision::Run;
    mutexes.CloseLast();
    return InstanceDecision::End;
}

}  // namespace pw::app
