#include "app/startup.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace pw::app {
namespace {

// Mutexes of a whole machine: several instances share one set of names.
struct Machine {
    std::set<std::string> names;
};

class FakeMutexes : public MutexApi {
public:
    explicit FakeMutexes(Machine& m) : machine_(m) {}
    bool CreateOwned(std::string_view name) override {
        created.emplace_back(name);
        return !machine_.names.insert(std::string(name)).second;
    }
    void CloseLast() override { ++closes; }
    std::vector<std::string> created;
    int closes = 0;

private:
    Machine& machine_;
};

TEST(Startup, OnlyTestInAnyLetterCaseSelectsTheTestMutex) {
    struct Case {
        const char* arg;
        bool test;
    };
    const Case cases[] = {{"test", true},  {"TEST", true},   {"TeSt", true}, {"tests", false},
                          {"tes", false},  {" test", false}, {"", false},    {"/test", false}};
    for (const auto& c : cases) EXPECT_EQ(IsTestArgument(c.arg), c.test) << c.arg;
}

TEST(Startup, InstancesOfTheSameKindRunOnce) {
    struct Case {
        const char* what;
        std::vector<std::optional<std::string_view>> starts;  // in order, all still running
        std::vector<InstanceDecision> want;
    };
    using D = InstanceDecision;
    const Case cases[] = {
        {"two normal", {std::nullopt, std::nullopt}, {D::Run, D::End}},
        {"normal, then test", {std::nullopt, "test"}, {D::Run, D::Run}},
        {"test, then normal", {"Test", std::nullopt}, {D::Run, D::End}},
        {"two tests", {"test", "TEST"}, {D::Run, D::End}},
        {"other arguments are ignored", {"/min", "x"}, {D::Run, D::End}},
    };
    for (const auto& c : cases) {
        Machine m;
        std::vector<InstanceDecision> got;
        for (const auto& arg : c.starts) {
            FakeMutexes mx(m);
            got.push_back(ClaimInstance(mx, arg));
        }
        EXPECT_EQ(got, c.want) << c.what;
    }
}

TEST(Startup, ATestInstanceHoldsBothMutexesAndAnEndingOneClosesItsHandle) {
    Machine m;
    FakeMutexes first(m);
    EXPECT_EQ(ClaimInstance(first, "test"), InstanceDecision::Run);
    EXPECT_EQ(first.created, (std::vector<std::string>{"Plenwick_MUTEX", "PlenwickTEST_MUTEX"}));
    EXPECT_EQ(first.closes, 0);
    FakeMutexes second(m);
    EXPECT_EQ(ClaimInstance(second, std::nullopt), InstanceDecision::End);
    EXPECT_EQ(second.closes, 1);
}

}  // namespace
}  // namespace pw::app
