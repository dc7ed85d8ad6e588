#include "app/startup.h"

namespace pw::app {

bool IsTestArgument(std::string_view arg) {
    constexpr std::string_view test = "test";
    if (arg.size() != test.size()) return false;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        char c = arg[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != test[i]) return false;
    }
    return true;
}

InstanceDecision ClaimInstance(MutexApi& mutexes, std::optional<std::string_view> firstArgument) {
    bool existed = mutexes.CreateOwned(kMutexName);
    if (firstArgument && IsTestArgument(*firstArgument)) existed = mutexes.CreateOwned(kTestMutexName);
    if (!existed) return InstanceDecision::Run;
    mutexes.CloseLast();
    return InstanceDecision::End;
}

}  // namespace pw::app
