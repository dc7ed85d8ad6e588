#pragma once
// The schedule records the clock tick works on, kept in memory between
// passes. They are read once, and afterwards only the schedules whose keys
// changed: a watch on the schedules key tells that something changed, the
// keys' change stamps tell which. The program's own writes (the settings
// dialog's, the pass's) go through Writer(), which applies them to the
// memory at once. Where the store cannot watch the key, every record is
// read again before each pass, as a program without this memory would.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/locale.h"
#include "common/store.h"
#include "sched/schedule_record.h"

namespace pw::sched {

class ScheduleCache {
public:
    struct Entry {
        ScheduleRecord record;
        // The values as stored, to tell a key written with the same values
        // from a changed one.
        std::vector<std::pair<std::string, std::optional<StoreValue>>> values;
        std::uint64_t stamp = 0;
        // Errors already logged for this schedule; forgotten when its
        // values change, so each change that leaves it unreadable is
        // logged once.
        std::set<std::string> reported;
        std::uint64_t sync = 0;  // the last reading of the store that found it
    };

    ScheduleCache(Store& store, const Locale& locale);
    ~ScheduleCache();
    ScheduleCache(const ScheduleCache&) = delete;
    ScheduleCache& operator=(const ScheduleCache&) = delete;

    // Brings the memory up to the store before a pass. The first call sets
    // the watch; when that fails, this and every later call reads every
    // record. False when the schedules key can be neither opened nor
    // created: the names of the last pass stay.
    bool Refresh();
    // After the first Refresh: no watch could be set.
    bool Unwatched() const { return watchTried_ && !watch_; }

    // The schedule names in the store's order, as of the last Refresh and
    // the writes since.
    const std::vector<std::string>& Names() const { return names_; }
    // Nothing for a name whose key vanished before it could be read.
    Entry* Find(std::string_view name);

    // The store for the program's own writes: the same store, whose writes
    // and deletions below the schedules key also change the memory.
    Store& Writer();

    // Dates and times are stored as texts in the user's format: after a
    // change of it each record is read again from its kept values, as a
    // start would read them, and its reported errors are forgotten (the new
    // settings may read what the old could not, or the other way round).
    void RegionalSettingsChanged();

private:
    class Tap;
    struct NameOrder {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return NameLess(a, b); }
    };

    void Sync(std::unique_ptr<StoreKey> schedules);
    std::optional<Entry> ReadEntry(const std::string& name);
    // Replaces an entry by one read or written now, keeping the old one
    // (and what it reported) when the values are the same.
    void Put(const std::string& name, Entry fresh);
    Entry Decode(std::vector<std::pair<std::string, std::optional<StoreValue>>> values) const;
    ScheduleRecord RecordOf(const std::vector<std::pair<std::string, std::optional<StoreValue>>>& values) const;

    // The program's own changes, applied to the memory.
    void Written(std::string_view name, std::string_view valueName, const std::optional<StoreValue>& value);
    void Made(std::string_view name);
    void Removed(std::string_view name);
    void RemovedAll();

    Store& store_;
    const Locale& locale_;
    std::unique_ptr<Tap> tap_;
    std::unique_ptr<StoreWatch> watch_;
    bool watchTried_ = false;
    // Read everything at the next Refresh: nothing read yet, the watch
    // said so and the reading did not happen, or the key itself went.
    bool stale_ = true;
    std::uint64_t syncs_ = 0;
    std::vector<std::string> names_;
    std::map<std::string, Entry, NameOrder> entries_;
};

}  // namespace pw::sched
