#include "sched/schedule_cache.h"

#include <algorithm>

#include "config/values.h"

namespace pw::sched {

namespace {

using Values = std::vector<std::pair<std::string, std::optional<StoreValue>>>;

// Values kept in memory, read as a key is read.
class SnapshotKey : public StoreKey {
public:
    explicit SnapshotKey(const Values& values) : values_(values) {}
    std::optional<StoreValue> GetValue(std::string_view name) override {
        for (auto& [n, v] : values_)
            if (NamesEqual(n, name)) return v;
        return std::nullopt;
    }
    bool SetValue(std::string_view, const StoreValue&) override { return false; }
    bool DeleteValue(std::string_view) override { return false; }
    std::vector<std::string> SubkeyNames() override { return {}; }
    std::vector<std::string> ValueNames() override { return {}; }
    std::optional<std::string> SubkeyName(std::size_t) override { return std::nullopt; }

private:
    const Values& values_;
};

// Where a path lies against the schedules key.
struct Place {
    bool aboveSchedules = false;  // the schedules key itself or a key above it
    std::string schedule;          // a schedule's own key: its name
};

Place PlaceOf(Root root, std::string_view path) {
    Place p;
    if (root != Root::CurrentUser) return p;
    const auto keys = SplitKeyPath(path);
    const auto schedules = SplitKeyPath(cfg::kSchedulesKey);
    const std::size_t common = std::min(keys.size(), schedules.size());
    for (std::size_t i = 0; i < common; ++i)
        if (!NamesEqual(keys[i], schedules[i])) return p;
    if (keys.size() <= schedules.size())
        p.aboveSchedules = true;
    else if (keys.size() == schedules.size() + 1)
        p.schedule = std::string(keys.back());
    return p;
}

}  // namespace

// Passes every call on to the store, and tells the memory what the
// program itself changed below the schedules key.
class ScheduleCache::Tap : public Store {
public:
    Tap(Store& inner, ScheduleCache& cache) : inner_(inner), cache_(cache) {}

    std::unique_ptr<StoreKey> Open(Root root, std::string_view path, OpenMode mode) override {
        auto key = inner_.Open(root, path, mode);
        if (!key || mode == OpenMode::Read) return key;
        Place p = PlaceOf(root, path);
        if (p.schedule.empty()) return key;
        if (mode == OpenMode::Create) cache_.Made(p.schedule);
        return std::make_unique<TapKey>(std::move(key), cache_, std::move(p.schedule));
    }

    bool DeleteTree(Root root, std::string_view path) override {
        if (!inner_.DeleteTree(root, path)) return false;
        const Place p = PlaceOf(root, path);
        if (p.aboveSchedules)
            cache_.RemovedAll();
        else if (!p.schedule.empty())
            cache_.Removed(p.schedule);
        return true;
    }

    std::unique_ptr<StoreWatch> Watch(Root root, std::string_view path) override { return inner_.Watch(root, path); }

private:
    class TapKey : public StoreKey {
    public:
        TapKey(std::unique_ptr<StoreKey> inner, ScheduleCache& cache, std::string name)
            : inner_(std::move(inner)), cache_(cache), name_(std::move(name)) {}
        std::optional<StoreValue> GetValue(std::string_view name) override { return inner_->GetValue(name); }
        bool SetValue(std::string_view name, const StoreValue& value) override {
            if (!inner_->SetValue(name, value)) return false;
            cache_.Written(name_, name, value);
            return true;
        }
        bool DeleteValue(std::string_view name) override {
            if (!inner_->DeleteValue(name)) return false;
            cache_.Written(name_, name, std::nullopt);
            return true;
        }
        std::vector<std::string> SubkeyNames() override { return inner_->SubkeyNames(); }
        std::vector<std::string> ValueNames() override { return inner_->ValueNames(); }
        std::optional<std::string> SubkeyName(std::size_t index) override { return inner_->SubkeyName(index); }
        Contents ReadContents() override { return inner_->ReadContents(); }
        std::vector<SubkeyStamp> SubkeyStamps() override { return inner_->SubkeyStamps(); }

    private:
        std::unique_ptr<StoreKey> inner_;
        ScheduleCache& cache_;
        std::string name_;
    };

    Store& inner_;
    ScheduleCache& cache_;
};

ScheduleCache::ScheduleCache(Store& store, const Locale& locale)
    : store_(store), locale_(locale), tap_(std::make_unique<Tap>(store, *this)) {}

ScheduleCache::~ScheduleCache() = default;

Store& ScheduleCache::Writer() { return *tap_; }

bool ScheduleCache::Refresh() {
    if (!watchTried_) {
        watchTried_ = true;
        watch_ = store_.Watch(Root::CurrentUser, cfg::kSchedulesKey);
    }
    if (watch_ && watch_->Changed()) stale_ = true;
    if (watch_ && !stale_) return true;
    // Opened with creation, so the key exists from the first pass on.
    auto key = store_.Open(Root::CurrentUser, cfg::kSchedulesKey, OpenMode::Create);
    if (!key) return false;
    Sync(std::move(key));
    stale_ = false;
    return true;
}

void ScheduleCache::Sync(std::unique_ptr<StoreKey> schedules) {
    std::vector<StoreKey::SubkeyStamp> listed;
    if (watch_)
        listed = schedules->SubkeyStamps();
    else
        for (auto& name : schedules->SubkeyNames()) listed.push_back({std::move(name), 0});
    schedules.reset();

    // Entries are updated where they are: a sync after one change leaves
    // the thousands of others in place.
    ++syncs_;
    names_.clear();
    names_.reserve(listed.size());
    for (auto& [name, stamp] : listed) {
        names_.push_back(name);
        auto it = entries_.find(name);
        // Without a watch the stamps are not trusted: every record is read.
        const bool same = it != entries_.end() && watch_ && stamp != 0 && it->second.stamp == stamp;
        if (!same) {
            auto fresh = ReadEntry(name);
            if (!fresh) continue;
            if (it == entries_.end())
                it = entries_.emplace(name, std::move(*fresh)).first;
            else if (it->second.values == fresh->values)
                it->second.stamp = fresh->stamp;
            else
                it->second = std::move(*fresh);
        }
        it->second.sync = syncs_;
    }
    std::erase_if(entries_, [&](const auto& e) { return e.second.sync != syncs_; });
}

std::optional<ScheduleCache::Entry> ScheduleCache::ReadEntry(const std::string& name) {
    auto key = store_.Open(Root::CurrentUser, cfg::ScheduleKey(name), OpenMode::Read);
    if (!key) return std::nullopt;
    auto contents = key->ReadContents();
    Entry e = Decode(std::move(contents.values));
    e.stamp = contents.stamp;
    return e;
}

ScheduleRecord ScheduleCache::RecordOf(const Values& values) const {
    KeyReader reader(std::make_unique<SnapshotKey>(values));
    return DecodeRecord(reader, locale_);
}

ScheduleCache::Entry ScheduleCache::Decode(Values values) const {
    Entry e;
    e.record = RecordOf(values);
    e.values = std::move(values);
    return e;
}

void ScheduleCache::RegionalSettingsChanged() {
    for (auto& [name, e] : entries_) {
        e.record = RecordOf(e.values);
        e.reported.clear();
    }
}

ScheduleCache::Entry* ScheduleCache::Find(std::string_view name) {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

void ScheduleCache::Put(const std::string& name, Entry fresh) {
    auto it = entries_.find(name);
    if (it == entries_.end()) {
        entries_.emplace(name, std::move(fresh));
        return;
    }
    if (it->second.values == fresh.values) return;
    it->second = std::move(fresh);
}

void ScheduleCache::Made(std::string_view name) {
    if (Find(name)) return;
    const std::string n(name);
    auto fresh = ReadEntry(n);
    if (!fresh) return;
    // The store lists keys in name order; the next reading after a change
    // takes its order anyway.
    auto at = std::lower_bound(names_.begin(), names_.end(), n, NameLess);
    if (at == names_.end() || !NamesEqual(*at, n)) names_.insert(at, n);
    Put(n, std::move(*fresh));
}

void ScheduleCache::Written(std::string_view name, std::string_view valueName,
                            const std::optional<StoreValue>& value) {
    Entry* e = Find(name);
    if (!e) {
        Made(name);
        return;
    }
    Values values = e->values;
    auto it = std::find_if(values.begin(), values.end(), [&](auto& nv) { return NamesEqual(nv.first, valueName); });
    if (!value) {
        if (it != values.end()) values.erase(it);
    } else if (it != values.end()) {
        it->second = value;
    } else {
        values.emplace_back(std::string(valueName), value);
    }
    Entry fresh = Decode(std::move(values));
    fresh.stamp = e->stamp;
    Put(std::string(name), std::move(fresh));
}

void ScheduleCache::Removed(std::string_view name) {
    auto it = entries_.find(name);
    if (it != entries_.end()) entries_.erase(it);
    std::erase_if(names_, [&](const std::string& n) { return NamesEqual(n, name); });
}

void ScheduleCache::RemovedAll() {
    entries_.clear();
    names_.clear();
    stale_ = true;
}

}  // namespace pw::sched
