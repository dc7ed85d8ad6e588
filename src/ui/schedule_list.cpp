// The "Schedules" page's list of schedules: read from the store, the
// schedule it selects, a schedule deleted or renamed, and one the store
// lost while the dialog shows. Adding stays with the editor's fields, which
// write the new schedule's values as shown.
#include <algorithm>

#include "common/errors.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "ui/schedules_page.h"

namespace pw::ui {

namespace {

constexpr std::string_view kFirstScheduleName = "Schedule 1";
// The registry's limit for a key name.
constexpr std::size_t kMaxScheduleNameLength = 255;

}  // namespace

void SchedulesPage::RereadList() {
    if (!watchTried_) {
        watchTried_ = true;
        watch_ = parts_.app.store.Watch(Root::CurrentUser, cfg::kSchedulesKey);
    }
    list_ = ListSubkeys(parts_.app.store, cfg::kSchedulesKey, true);
    stored_ = list_;
    std::stable_sort(list_.begin(), list_.end(), [](const std::string& a, const std::string& b) { return NameLess(a, b); });
    const std::int32_t last = cfg::Read(parts_.app.store, cfg::kSettingsKey, cfg::global::LastSchedule);
    selected_ = last >= 0 && last < static_cast<std::int32_t>(list_.size()) ? last : -1;
    parts_.view.SetItems(Ctl::cmbSchedules, list_);
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
}

void SchedulesPage::SelectCurrent() {
    if (list_.empty()) {
        list_.emplace_back(kFirstScheduleName);
        selected_ = 0;
        parts_.view.SetItems(Ctl::cmbSchedules, list_);
    }
    if (selected_ < 0 || selected_ >= static_cast<int>(list_.size())) selected_ = 0;
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
    currentKey_ = cfg::ScheduleKey(list_[static_cast<std::size_t>(selected_)]);
}

std::vector<std::string> SchedulesPage::GoneFromStore() {
    if (watch_ && !watch_->Changed()) return {};
    std::vector<std::string> now = ListSubkeys(parts_.app.store, cfg::kSchedulesKey, true);
    std::vector<std::string> gone;
    // Only what the store held: the first schedule's name shown while none
    // exists has no key to lose.
    for (const auto& name : stored_)
        if (std::none_of(now.begin(), now.end(), [&](const std::string& n) { return NamesEqual(n, name); }))
            gone.push_back(name);
    stored_ = std::move(now);
    return gone;
}

void SchedulesPage::TakeStoreAsSeen() {
    if (watch_) watch_->Changed();
    stored_ = ListSubkeys(parts_.app.store, cfg::kSchedulesKey, false);
}

bool SchedulesPage::Lists(std::string_view name) const {
    return std::any_of(list_.begin(), list_.end(), [&](const std::string& n) { return NamesEqual(n, name); });
}

bool SchedulesPage::Selects(std::string_view name) const {
    return selected_ >= 0 && selected_ < static_cast<int>(list_.size()) &&
           NamesEqual(list_[static_cast<std::size_t>(selected_)], name);
}

void SchedulesPage::Drop(std::string_view name) {
    auto it = std::find_if(list_.begin(), list_.end(), [&](const std::string& n) { return NamesEqual(n, name); });
    if (it == list_.end()) return;
    list_.erase(it);
    selected_ = list_.empty() ? -1 : 0;
    parts_.view.SetItems(Ctl::cmbSchedules, list_);
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
    SelectionChanged();
}

void SchedulesPage::SelectionChanged() {
    cfg::Write(parts_.app.store, cfg::kSettingsKey, cfg::global::LastSchedule, std::max(selected_, 0));
    reload_();
}

void SchedulesPage::InsertSorted(const std::string& name) {
    auto at = std::upper_bound(list_.begin(), list_.end(), name,
                               [](const std::string& a, const std::string& b) { return NameLess(a, b); });
    selected_ = static_cast<int>(at - list_.begin());
    list_.insert(at, name);
    parts_.view.SetItems(Ctl::cmbSchedules, list_);
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
}

std::optional<std::string> SchedulesPage::AskName(std::string_view caption, std::string_view prompt,
                                                   std::string initial, std::string_view emptyPrompt,
                                                   std::string_view takenPrompt) {
    std::string_view ask = prompt;
    for (;;) {
        auto answer = parts_.view.InputBox(caption, ask, initial);
        if (!answer) return std::nullopt;
        initial = *answer;
        const std::string& name = *answer;
        if (name.empty()) {
            ask = emptyPrompt;
        } else if (std::any_of(list_.begin(), list_.end(),
                               [&](const std::string& n) { return NamesEqual(n, name); })) {
            ask = takenPrompt;
        } else if (name.find('\\') != std::string::npos) {
            // The store would take it for a path of nested keys.
            ask = "A schedule name cannot contain \"\\\". Please select another one.";
        } else if (name.size() > kMaxScheduleNameLength) {
            ask = "The name is too long (at most 255 characters). Please select a shorter one.";
        } else {
            return name;
        }
    }
}

void SchedulesPage::butDelSchedClick() {
    if (parts_.app.boxes.Ask("Delete Schedule", "Are you sure you want to delete the selected Schedule?", Answer::No) !=
        Answer::Yes)
        return;
    if (selected_ < 0 || selected_ >= static_cast<int>(list_.size())) return;
    DeleteKey(parts_.app.store, currentKey_);
    list_.erase(list_.begin() + selected_);
    selected_ = list_.empty() ? -1 : 0;
    parts_.view.SetItems(Ctl::cmbSchedules, list_);
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
    SelectionChanged();
}

void SchedulesPage::butRenameClick() {
    if (selected_ < 0 || selected_ >= static_cast<int>(list_.size())) return;
    const std::string old = list_[static_cast<std::size_t>(selected_)];
    auto name = AskName("Rename schedule", "Rename schedule", old, "Please enter new name for schedule",
                        "The name already exists. Please select a different one.");
    if (!name) return;
    MoveKey(parts_.app.store, cfg::ScheduleKey(old), cfg::ScheduleKey(*name));
    list_.erase(list_.begin() + selected_);
    InsertSorted(*name);
    SelectionChanged();
    reload_();
}

}  // namespace pw::ui
