// The tick's memory of the schedules against a fresh read of the store,
// after each kind of change made from outside the program, and what each
// change costs in keys read again.
#include "sched/schedule_cache.h"

#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "backup/backup.h"
#include "common/datefmt.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "support/fake_store.h"
#include "support/memory_files.h"

namespace pw::sched {
namespace {

const Locale kLoc = Locale::EnGB();

// A value of the kind that differs from what Seed writes.
StoreValue OtherValue(const cfg::AnyValue& v) {
    return std::visit(
        [](const auto& x) -> StoreValue {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, cfg::FlagValue> || std::is_same_v<T, cfg::IntValue>)
                return StoreValue::Dword(7);
            else if constexpr (std::is_same_v<T, cfg::DateValue>)
                return StoreValue::Text("24/12/2026");
            else if constexpr (std::is_same_v<T, cfg::TimeValue>)
                return StoreValue::Text("10:45:00");
            else
                return StoreValue::Text("changed");
        },
        v);
}

class ScheduleCacheTest : public ::testing::Test {
protected:
    void Seed(const std::string& name, const std::string& start) {
        const auto key = cfg::ScheduleKey(name);
        cfg::Write(store, key, cfg::schedule::Message, "Call " + name);
        cfg::Write(store, key, cfg::schedule::StartDate, start);
        cfg::Write(store, key, cfg::schedule::StartTime, "09:30:00");
        cfg::Write(store, key, cfg::schedule::RepeatCycleNumber, 1);
        cfg::Write(store, key, cfg::schedule::RepeatCycleUnit, "days");
    }
    void SetUp() override {
        Seed("Alpha", "08/12/2026");
        Seed("Beta", "09/12/2026");
        Seed("Gamma", "10/12/2026");
    }
    bool Refresh(ScheduleCache& c) { return c.Refresh(); }
    // The memory equals what a cache reading the store now finds.
    void ExpectSameAsFreshRead(ScheduleCache& c) {
        ScheduleCache fresh(store, kLoc);
        ASSERT_TRUE(Refresh(fresh));
        ASSERT_EQ(c.Names(), fresh.Names());
        for (auto& name : fresh.Names()) {
            auto* mine = c.Find(name);
            ASSERT_NE(mine, nullptr) << name;
            EXPECT_TRUE(mine->record == fresh.Find(name)->record) << name;
            EXPECT_EQ(mine->values, fresh.Find(name)->values) << name;
        }
    }

    test::TestStore store;
};

TEST_F(ScheduleCacheTest, FollowsEachChangeFromOutsideAndReadsOnlyTheKeysThatChanged) {
    struct Change {
        std::string what;
        std::function<void(Store&)> apply;
        int keysRead;  // schedule keys read again at the next refresh
    };
    std::vector<Change> changes = {
        {"nothing", [](Store&) {}, 0},
        {"add", [&](Store& s) { cfg::Write(s, cfg::ScheduleKey("Delta"), cfg::schedule::Message, "new"); }, 1},
        {"delete", [](Store& s) { DeleteKey(s, cfg::ScheduleKey("Beta")); }, 0},
        {"rename", [](Store& s) { MoveKey(s, cfg::ScheduleKey("Beta"), cfg::ScheduleKey("Beta 2")); }, 1},
        {"bad text", [](Store& s) { WriteRegString(s, cfg::ScheduleKey("Alpha"), "StartTime", "half past"); }, 1},
        {"bad type", [](Store& s) { WriteRegString(s, cfg::ScheduleKey("Alpha"), "ScheduleType", "one"); }, 1},
        {"value deleted",
         [](Store& s) {
             s.Open(Root::CurrentUser, cfg::ScheduleKey("Gamma"), OpenMode::ReadWrite)->DeleteValue("StartDate");
         },
         1},
        {"restore",
         [](Store& s) {
             test::MemoryFileSystem files;
             files.dirs.insert("C:\\b");
             ASSERT_TRUE(backup::ExportRegistryTree(s, files, "C:\\b\\registry.cfg", cfg::kSettingsKey).Ok());
             DeleteKey(s, cfg::ScheduleKey("Alpha"));
             WriteRegString(s, cfg::ScheduleKey("Gamma"), "Message", "edited after the backup");
             backup::ImportRegistryFile(s, files, "C:\\b\\registry.cfg");
         },
         3},  // every key the backup holds is written again
        {"key deleted and made again",
         [](Store& s) {
             DeleteKey(s, cfg::kSchedulesKey);
             cfg::Write(s, cfg::ScheduleKey("Omega"), cfg::schedule::StartDate, "01/01/2027");
         },
         1},
    };
    for (auto& v : cfg::kScheduleValues) {
        const std::string name(cfg::NameOf(v));
        changes.push_back({"edit " + name,
                           [v, name](Store& s) {
                               s.Open(Root::CurrentUser, cfg::ScheduleKey("Beta"), OpenMode::Create)
                                   ->SetValue(name, OtherValue(v));
                           },
                           1});
    }

    for (auto& c : changes) {
        SCOPED_TRACE(c.what);
        DeleteKey(store, cfg::kSchedulesKey);
        SetUp();
        ScheduleCache cache(store, kLoc);
        ASSERT_TRUE(Refresh(cache));
        const auto before = cache.Find("Beta")->record;
        c.apply(store);
        store.counts = {};
        ASSERT_TRUE(Refresh(cache));
        // One open for the listing when something changed, one per key read.
        EXPECT_EQ(store.counts.opens, c.what == "nothing" ? 0 : 1 + c.keysRead);
        ExpectSameAsFreshRead(cache);
        if (c.what.starts_with("edit ")) {
            EXPECT_FALSE(cache.Find("Beta")->record == before);
        }
    }
}

TEST_F(ScheduleCacheTest, TheProgramsOwnWritesChangeTheMemoryAtOnce) {
    ScheduleCache cache(store, kLoc);
    ASSERT_TRUE(Refresh(cache));
    Store& writer = cache.Writer();
    cfg::Write(writer, cfg::ScheduleKey("Beta"), cfg::schedule::StartTime, "11:15:00");
    MoveKey(writer, cfg::ScheduleKey("Gamma"), cfg::ScheduleKey("Zeta"));
    CreateKey(writer, cfg::ScheduleKey("New schedule"));
    DeleteKey(writer, cfg::ScheduleKey("Alpha"));
    // Before any refresh.
    EXPECT_EQ(cache.Names(), (std::vector<std::string>{"Beta", "New schedule", "Zeta"}));
    EXPECT_EQ(TimeToText(cache.Find("Beta")->record.TimingAfterStart(0, 0).startTime, kLoc), "11:15:00");
    EXPECT_EQ(cache.Find("Zeta")->record.action.Get().message, "Call Gamma");
    ASSERT_TRUE(Refresh(cache));
    ExpectSameAsFreshRead(cache);
}

TEST_F(ScheduleCacheTest, WithoutAWatchEveryRefreshReadsEverything) {
    store.refuse.watch = [](Root, std::string_view) { return true; };
    ScheduleCache cache(store, kLoc);
    for (int pass = 0; pass < 3; ++pass) {
        store.counts = {};
        ASSERT_TRUE(Refresh(cache));
        EXPECT_EQ(store.counts.opens, 1 + 3);
    }
    EXPECT_TRUE(cache.Unwatched());
    WriteRegString(store, cfg::ScheduleKey("Beta"), "Message", "edited");
    ASSERT_TRUE(Refresh(cache));
    ExpectSameAsFreshRead(cache);
}

TEST_F(ScheduleCacheTest, AKeyThatCannotBeOpenedKeepsTheNamesAndIsReadWhenItCanBe) {
    ScheduleCache cache(store, kLoc);
    ASSERT_TRUE(Refresh(cache));
    WriteRegString(store, cfg::ScheduleKey("Delta"), "Message", "new");
    store.refuse.open = [](Root, std::string_view path) { return path == cfg::kSchedulesKey; };
    EXPECT_FALSE(Refresh(cache));
    EXPECT_EQ(cache.Names().size(), 3u);
    store.refuse.open = nullptr;
    ASSERT_TRUE(Refresh(cache));
    ExpectSameAsFreshRead(cache);
}

}  // namespace
}  // namespace pw::sched
