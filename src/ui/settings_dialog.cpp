#include "ui/settings_dialog.h"

#include <algorithm>
#include <cmath>

#include "app/startup.h"
#include "common/datefmt.h"
#include "common/errors.h"
#include "common/store_access.h"
#include "config/date_values.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/recurrence.h"
#include "sched/reminder_item.h"

namespace pw::ui {

namespace sv = cfg::schedule;

namespace {

constexpr std::string_view kFirstScheduleName = "Schedule 1";
// The registry's limit for a key name.
constexpr std::size_t kMaxScheduleNameLength = 255;
constexpr std::string_view kProgramFilter = "EXE files (*.exe)|*.EXE|Batch files (*.bat)|*.bat|All files (*.*)|*.*";
constexpr std::string_view kWaveFilter = "Wave files (*.wav)|*.WAV";

// The controls that only a launch schedule uses.
constexpr Ctl kLaunchOnly[] = {Ctl::lblWorkingDir, Ctl::edtWorkingDir,  Ctl::butBrowseWorkingDir,
                               Ctl::butBrowseApp,  Ctl::lblWindowState, Ctl::cmbWindowState};
constexpr Ctl kSoundControls[] = {Ctl::butPlaySound, Ctl::edtSoundName, Ctl::butBrowseSound};

bool IsTextField(Ctl c) { return c == Ctl::edtMessage || c == Ctl::edtWorkingDir || c == Ctl::edtSoundName; }
bool IsTimePicker(Ctl c) { return c == Ctl::dtStartTime || c == Ctl::dtEndTime || c == Ctl::dtRepeatPeriod; }

template <std::size_t N>
std::vector<std::string> Items(const std::array<std::string_view, N>& names) {
    return {names.begin(), names.end()};
}

template <std::size_t N>
int IndexOf(const std::array<std::string_view, N>& names, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == text) return static_cast<int>(i);
    return -1;
}

template <std::size_t N>
std::string ItemText(const std::array<std::string_view, N>& names, int index) {
    if (index < 0 || index >= static_cast<int>(N)) return {};
    return std::string(names[static_cast<std::size_t>(index)]);
}

// Hours and minutes only: the pickers store whole minutes.
DateTime WholeMinutes(DateTime time) {
    const CivilTime t = DecodeTime(time);
    return (t.hour * 60 + t.minute) / 1440.0;
}

bool SameDay(DateTime a, DateTime b) { return std::llround(DateOf(a)) == std::llround(DateOf(b)); }

}  // namespace

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

SettingsDialog::SettingsDialog(SettingsDialogServices services, DialogView& view)
    : parts_{std::move(services), view} {}

template <class F>
void SettingsDialog::Guard(F&& handler) {
    struct Running {
        int& depth;
        explicit Running(int& d) : depth(d) { ++depth; }
        ~Running() { --depth; }
    } running(running_);
    try {
        handler();
    } catch (const AppError& e) {
        filling_ = false;
        parts_.app.boxes.ShowError(e.what());
    }
}

// --- creation and showing --------------------------------------------------

void SettingsDialog::FormCreate() {
    auto& v = parts_.view;
    v.SetCaption(std::string(app::kAppTitle) + " v" + ThreePartVersion(parts_.version));
    v.SetText(Ctl::lblAppName, app::kAppTitle);
    v.SetText(Ctl::lblAppVersion, "Version " + parts_.version.fileVersionText);

    // The state the controls are made in. Filling compares against it, so
    // a loaded value that differs from it runs that control's follow-up.
    v.SetItems(Ctl::cmbWindowState, Items(cfg::kWindowStates));
    v.SetItems(Ctl::cmbRepeatCycleUnit, Items(sched::kCycleUnitTexts));
    v.SetSelected(Ctl::optSchedType, cfg::kTypeReminder);
    v.SetText(Ctl::lblMsg, "Reminder");
    v.SetText(Ctl::lbl1stRem, "First reminder:");
    v.SetText(Ctl::lblLastRem, "Last reminder:");
    for (Ctl c : kLaunchOnly) v.SetEnabled(c, false);
    v.SetChecked(Ctl::chkSchedSound, false);
    for (Ctl c : kSoundControls) v.SetEnabled(c, false);
    v.SetText(Ctl::spinRepeatCycleNumber, "0");
    ApplyOptionsCreationState();
    FollowNetTime();

    v.SelectPage(Page::Schedules);
    Guard([&] { LoadSettingsDialog(); });
}

void SettingsDialog::Show(app::DialogPage page) {
    Guard([&] {
        StorePendingText();
        ShowingRereadsList();
        LoadSettingsDialog();
    });
    if (page == app::DialogPage::Schedules) parts_.view.SelectPage(Page::Schedules);
    if (page == app::DialogPage::About) parts_.view.SelectPage(Page::About);
    PageShown(parts_.view.SelectedPage());
    parts_.view.ShowDialog();
}

void SettingsDialog::PageShown(Page page) {
    if (page == Page::Display) Guard([&] { ShowTimeHelperState(); });
}

void SettingsDialog::ShowingRereadsList() {
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

void SettingsDialog::HelpClick() { parts_.clockWindow.ShowHelpTopic(app::kHelpTopic); }

void SettingsDialog::Close() {
    Guard([&] { StorePendingText(); });
    parts_.view.HideDialog();
}

void SettingsDialog::FollowStoredSchedules() {
    if (running_ > 0 || !parts_.view.DialogVisible()) return;
    Guard([&] {
        if (watch_ && !watch_->Changed()) return;
        std::vector<std::string> now = ListSubkeys(parts_.app.store, cfg::kSchedulesKey, true);
        std::vector<std::string> gone;
        // Only what the store held: the first schedule's name shown while
        // none exists has no key to lose.
        for (const auto& name : stored_)
            if (std::none_of(now.begin(), now.end(), [&](const std::string& n) { return NamesEqual(n, name); }))
                gone.push_back(name);
        stored_ = std::move(now);
        for (const auto& name : gone) DropFromList(name);
    });
}

void SettingsDialog::DropFromList(std::string_view name) {
    auto it = std::find_if(list_.begin(), list_.end(), [&](const std::string& n) { return NamesEqual(n, name); });
    if (it == list_.end()) return;
    // Text typed for the schedule that is gone must not bring its key
    // back; text typed for another one is kept.
    if (selected_ >= 0 && NamesEqual(list_[static_cast<std::size_t>(selected_)], name))
        pendingText_.reset();
    else
        StorePendingText();
    list_.erase(it);
    selected_ = list_.empty() ? -1 : 0;
    parts_.view.SetItems(Ctl::cmbSchedules, list_);
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
    SelectionChanged();
}

void SettingsDialog::LoadSettingsDialog() {
    if (list_.empty()) {
        list_.emplace_back(kFirstScheduleName);
        selected_ = 0;
        parts_.view.SetItems(Ctl::cmbSchedules, list_);
    }
    if (selected_ < 0 || selected_ >= static_cast<int>(list_.size())) selected_ = 0;
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
    currentKey_ = cfg::ScheduleKey(list_[static_cast<std::size_t>(selected_)]);
    pendingText_.reset();

    FillOptionPages();
    filling_ = true;
    FillSchedulesPage();
    filling_ = false;
    UpdateWeekdayLabels();
}

// Each value goes into its control; where the shown value changes, the
// control's follow-up runs as for a user change: its dependent state, and
// its value written back unchanged.
void SettingsDialog::FillSchedulesPage() {
    auto& v = parts_.view;
    auto& store = parts_.app.store;
    const std::string& key = currentKey_;

    const std::int32_t type = cfg::Read(store, key, sv::ScheduleType);
    if (v.Selected(Ctl::optSchedType) != type) {
        v.SetSelected(Ctl::optSchedType, type);
        optSchedTypeClick();
    }
    const int state = IndexOf(cfg::kWindowStates, cfg::Read(store, key, sv::WindowState));
    if (v.Selected(Ctl::cmbWindowState) != state) {
        v.SetSelected(Ctl::cmbWindowState, state);
        cmbWindowStateChange();
    }
    auto fillText = [&](Ctl c, const cfg::TextValue& value) {
        const std::string text = cfg::Read(store, key, value);
        if (v.Text(c) == text) return;
        v.SetText(c, text);
        WriteSchedule(value, std::string_view(text));
    };
    fillText(Ctl::edtMessage, sv::Message);
    fillText(Ctl::edtWorkingDir, sv::WorkingDir);
    fillText(Ctl::edtSoundName, sv::SoundName);
    const bool sound = cfg::Read(store, key, sv::ScheduleSound);
    if (v.Checked(Ctl::chkSchedSound) != sound) {
        v.SetChecked(Ctl::chkSchedSound, sound);
        chkSchedSoundClick();
    }
    FillPickers(true);
    const std::string number = std::to_string(cfg::Read(store, key, sv::RepeatCycleNumber));
    if (v.Text(Ctl::spinRepeatCycleNumber) != number) {
        v.SetText(Ctl::spinRepeatCycleNumber, number);
        spinRepeatCycleNumberChange();
    }
    const int unit = IndexOf(sched::kCycleUnitTexts, cfg::Read(store, key, sv::RepeatCycleUnit));
    if (v.Selected(Ctl::cmbRepeatCycleUnit) != unit) {
        v.SetSelected(Ctl::cmbRepeatCycleUnit, unit);
        cmbRepeatCycleUnitChange();
    }
}

void SettingsDialog::FillPickers(bool writeBack) {
    auto& v = parts_.view;
    auto& store = parts_.app.store;
    const Locale& loc = parts_.app.locale;
    const std::string& key = currentKey_;
    const DateTime today = DateOf(parts_.app.clock.Now());
    auto fillDate = [&](Ctl c, const cfg::DateValue& value) {
        const DateTime d = cfg::ReadDate(store, key, value, loc, today);
        if (SameDay(v.Value(c), d)) return;
        v.SetValue(c, d);
        if (writeBack) WriteDate(c, c == Ctl::dtEndDate);
    };
    fillDate(Ctl::dtStartDate, sv::StartDate);
    fillDate(Ctl::dtEndDate, sv::EndDate);
    auto fillTime = [&](Ctl c, const cfg::TimeValue& value) {
        const DateTime t = cfg::ReadTime(store, key, value, loc);
        if (ToSeconds(v.Value(c)) == ToSeconds(t)) return;
        v.SetValue(c, writeBack ? t : WholeMinutes(t));
        if (writeBack) TimePickerChange(c);
    };
    fillTime(Ctl::dtStartTime, sv::StartTime);
    fillTime(Ctl::dtEndTime, sv::EndTime);
    fillTime(Ctl::dtRepeatPeriod, sv::RepeatPeriod);
}

void SettingsDialog::RegionalSettingsChanged() {
    Guard([&] {
        // The stored texts read with the new settings, as the next start
        // reads them; they are not written back in the new form, so a
        // change of the settings alone changes nothing stored. Text typed
        // and not yet left stays where it is.
        if (!currentKey_.empty()) FillPickers(false);
        UpdateWeekdayLabels();
        if (parts_.view.DialogVisible()) PageShown(parts_.view.SelectedPage());
    });
}

// --- events ------------------------------------------------------------------

void SettingsDialog::OnEvent(Ctl control, Event event) {
    Guard([&] { Dispatch(control, event); });
}

void SettingsDialog::StorePendingText() {
    if (!pendingText_) return;
    const Ctl c = *pendingText_;
    pendingText_.reset();
    switch (c) {
        case Ctl::edtMessage: edtMessageExit(); break;
        case Ctl::edtWorkingDir: edtWorkingDirExit(); break;
        case Ctl::edtSoundName: edtSoundNameExit(); break;
        default: DispatchOption(c, Event::Exit); break;
    }
}

void SettingsDialog::Dispatch(Ctl c, Event e) {
    if (IsTextField(c) || IsOptionTextField(c)) {
        if (e == Event::Change) {
            pendingText_ = c;
        } else if (e == Event::Exit && pendingText_ == c) {
            StorePendingText();
        }
        return;
    }
    // Anything else the user does comes after the text typed so far is
    // stored, so no button, selection or page change loses it.
    if (e == Event::Exit && !IsTimePicker(c) && c != Ctl::dtStartDate && c != Ctl::dtEndDate && !IsSpinField(c))
        return;
    StorePendingText();

    switch (c) {
        case Ctl::butHelp: HelpClick(); return;
        case Ctl::butClose: Close(); return;
        case Ctl::cmbSchedules:
            if (e == Event::Change) {
                selected_ = parts_.view.Selected(Ctl::cmbSchedules);
                SelectionChanged();
            }
            return;
        case Ctl::butAddSched: butAddSchedClick(); return;
        case Ctl::butDelSched: butDelSchedClick(); return;
        case Ctl::butRename: butRenameClick(); return;
        case Ctl::optSchedType: optSchedTypeClick(); return;
        case Ctl::cmbWindowState: cmbWindowStateChange(); return;
        case Ctl::butTestApp: butTestAppClick(); return;
        case Ctl::butBrowseApp: butBrowseAppClick(); return;
        case Ctl::butBrowseWorkingDir: butBrowseWorkingDirClick(); return;
        case Ctl::chkSchedSound: chkSchedSoundClick(); return;
        case Ctl::butPlaySound: butPlaySoundClick(); return;
        case Ctl::butBrowseSound: butBrowseSoundClick(); return;
        case Ctl::dtStartDate: dtStartDateChange(); return;
        case Ctl::dtEndDate: dtEndDateChange(); return;
        case Ctl::dtStartTime:
        case Ctl::dtEndTime:
        case Ctl::dtRepeatPeriod: TimePickerChange(c); return;
        case Ctl::spinRepeatCycleNumber:
            if (e == Event::Exit) BringIntoRange(c, sv::RepeatCycleNumber);
            spinRepeatCycleNumberChange();
            return;
        case Ctl::cmbRepeatCycleUnit: cmbRepeatCycleUnitChange(); return;
        case Ctl::butOnceOnly: butOnceOnlyClick(); return;
        case Ctl::butSkipToNextCycle: butSkipToNextCycleClick(); return;
        default: DispatchOption(c, e); return;
    }
}

void SettingsDialog::BringIntoRange(Ctl c, const cfg::IntValue& value) {
    const std::string text = parts_.view.Text(c);
    const std::string shown = std::to_string(cfg::SpinFieldValue(text, value));
    if (text != shown) parts_.view.SetText(c, shown);
}

// --- the schedule list --------------------------------------------------------

void SettingsDialog::SelectionChanged() {
    cfg::Write(parts_.app.store, cfg::kSettingsKey, cfg::global::LastSchedule, std::max(selected_, 0));
    LoadSettingsDialog();
}

void SettingsDialog::InsertSorted(const std::string& name) {
    auto at = std::upper_bound(list_.begin(), list_.end(), name,
                               [](const std::string& a, const std::string& b) { return NameLess(a, b); });
    selected_ = static_cast<int>(at - list_.begin());
    list_.insert(at, name);
    parts_.view.SetItems(Ctl::cmbSchedules, list_);
    parts_.view.SetSelected(Ctl::cmbSchedules, selected_);
}

std::optional<std::string> SettingsDialog::AskName(std::string_view caption, std::string_view prompt,
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

void SettingsDialog::butAddSchedClick() {
    auto name = AskName("New Schedule", "Schedule name", "", "Please enter a name for Schedule",
                        "The name already exists. Please select a new one.");
    if (!name) return;
    InsertSorted(*name);
    SelectionChanged();
    LoadSettingsDialog();
    CreateKey(parts_.app.store, currentKey_);
    WriteDate(Ctl::dtStartDate, false);
    WriteTime(Ctl::dtStartTime);
    WriteDate(Ctl::dtEndDate, true);
    WriteTime(Ctl::dtEndTime);
    WriteTime(Ctl::dtRepeatPeriod);
    spinRepeatCycleNumberChange();
    WriteSchedule(sv::RepeatCycleUnit,
                  ItemText(sched::kCycleUnitTexts, parts_.view.Selected(Ctl::cmbRepeatCycleUnit)));
}

void SettingsDialog::butDelSchedClick() {
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

void SettingsDialog::butRenameClick() {
    if (selected_ < 0 || selected_ >= static_cast<int>(list_.size())) return;
    const std::string old = list_[static_cast<std::size_t>(selected_)];
    auto name = AskName("Rename schedule", "Rename schedule", old, "Please enter new name for schedule",
                        "The name already exists. Please select a different one.");
    if (!name) return;
    MoveKey(parts_.app.store, cfg::ScheduleKey(old), cfg::ScheduleKey(*name));
    list_.erase(list_.begin() + selected_);
    InsertSorted(*name);
    SelectionChanged();
    LoadSettingsDialog();
}

// --- the fields ---------------------------------------------------------------

template <class Value, class T>
void SettingsDialog::WriteSchedule(const Value& v, const T& value) {
    // Showing a schedule that has no key yet writes nothing: its key comes
    // with the first change the user makes.
    if (filling_ && !KeyExists(parts_.app.store, currentKey_)) return;
    cfg::Write(parts_.app.store, currentKey_, v, value);
}

void SettingsDialog::WriteDate(Ctl picker, bool end) {
    WriteSchedule(end ? sv::EndDate : sv::StartDate, DateToText(parts_.view.Value(picker), parts_.app.locale));
}

void SettingsDialog::WriteTime(Ctl picker) {
    const cfg::TimeValue& v = picker == Ctl::dtStartTime ? sv::StartTime
                              : picker == Ctl::dtEndTime ? sv::EndTime
                                                         : sv::RepeatPeriod;
    WriteSchedule(v, TimeToText(parts_.view.Value(picker), parts_.app.locale));
}

void SettingsDialog::ApplyTypeState(int type) {
    auto& v = parts_.view;
    if (type != cfg::kTypeLaunch && type != cfg::kTypeReminder) return;
    const bool launch = type == cfg::kTypeLaunch;
    v.SetText(Ctl::lblMsg, launch ? "Application" : "Message");
    v.SetText(Ctl::lbl1stRem, launch ? "First run:" : "First reminder:");
    v.SetText(Ctl::lblLastRem, launch ? "Last run:" : "Last reminder:");
    for (Ctl c : kLaunchOnly) v.SetEnabled(c, launch);
}

void SettingsDialog::optSchedTypeClick() {
    const int type = parts_.view.Selected(Ctl::optSchedType);
    if (type < 0) return;
    ApplyTypeState(type);
    WriteSchedule(sv::ScheduleType, static_cast<std::int32_t>(type));
}

void SettingsDialog::ApplySoundState() {
    const bool on = parts_.view.Checked(Ctl::chkSchedSound);
    for (Ctl c : kSoundControls) parts_.view.SetEnabled(c, on);
}

void SettingsDialog::chkSchedSoundClick() {
    ApplySoundState();
    WriteSchedule(sv::ScheduleSound, parts_.view.Checked(Ctl::chkSchedSound));
}

void SettingsDialog::cmbWindowStateChange() {
    const int i = parts_.view.Selected(Ctl::cmbWindowState);
    if (i >= 0) WriteSchedule(sv::WindowState, ItemText(cfg::kWindowStates, i));
}

void SettingsDialog::edtMessageExit() {
    auto& v = parts_.view;
    const std::string message = v.Text(Ctl::edtMessage);
    if (v.Text(Ctl::edtWorkingDir).empty() && !message.empty() && parts_.app.files.FileExists(message))
        v.SetText(Ctl::edtWorkingDir, FolderOf(message));
    WriteSchedule(sv::Message, message);
    WriteSchedule(sv::WorkingDir, v.Text(Ctl::edtWorkingDir));
}

void SettingsDialog::edtWorkingDirExit() { WriteSchedule(sv::WorkingDir, parts_.view.Text(Ctl::edtWorkingDir)); }

void SettingsDialog::edtSoundNameExit() { WriteSchedule(sv::SoundName, parts_.view.Text(Ctl::edtSoundName)); }

void SettingsDialog::butBrowseAppClick() {
    auto& v = parts_.view;
    auto path = v.OpenFileDialog({std::string(kProgramFilter), FolderOf(v.Text(Ctl::edtMessage))});
    if (!path) return;
    v.SetText(Ctl::edtMessage, *path);
    if (v.Text(Ctl::edtWorkingDir).empty()) v.SetText(Ctl::edtWorkingDir, FolderOf(*path));
    WriteSchedule(sv::Message, *path);
    WriteSchedule(sv::WorkingDir, v.Text(Ctl::edtWorkingDir));
}

void SettingsDialog::butBrowseWorkingDirClick() {
    auto& v = parts_.view;
    const std::string message = v.Text(Ctl::edtMessage);
    const std::string start =
        !message.empty() && parts_.app.files.FileExists(message) ? FolderOf(message) : lastFolder_;
    auto folder = v.FolderDialog(start);
    if (!folder) return;
    lastFolder_ = *folder;
    v.SetText(Ctl::edtWorkingDir, *folder);
    WriteSchedule(sv::WorkingDir, *folder);
}

void SettingsDialog::butBrowseSoundClick() {
    auto& v = parts_.view;
    auto path = v.OpenFileDialog({std::string(kWaveFilter), FolderOf(v.Text(Ctl::edtSoundName))});
    if (!path) return;
    v.SetText(Ctl::edtSoundName, *path);
    WriteSchedule(sv::SoundName, *path);
}

void SettingsDialog::butPlaySoundClick() { parts_.app.sound.PlayFile(parts_.view.Text(Ctl::edtSoundName)); }

void SettingsDialog::TimePickerChange(Ctl c) {
    const DateTime shown = parts_.view.Value(c);
    const DateTime cut = WholeMinutes(shown);
    if (ToSeconds(cut) != ToSeconds(shown)) parts_.view.SetValue(c, cut);
    WriteTime(c);
}

void SettingsDialog::UpdateWeekdayLabels() {
    auto& v = parts_.view;
    auto weekday = [&](Ctl picker) {
        const int dow = DayOfWeek(v.Value(picker));
        return dow >= 1 ? parts_.app.locale.longDayNames[static_cast<std::size_t>(dow - 1)] : std::string();
    };
    v.SetText(Ctl::lbl1stDOW, weekday(Ctl::dtStartDate));
    v.SetText(Ctl::lblLastDOW, weekday(Ctl::dtEndDate));
}

void SettingsDialog::dtStartDateChange() {
    auto& v = parts_.view;
    const DateTime start = DateOf(v.Value(Ctl::dtStartDate));
    if (start > DateOf(v.Value(Ctl::dtEndDate))) v.SetValue(Ctl::dtEndDate, start + 1);
    UpdateWeekdayLabels();
    WriteDate(Ctl::dtStartDate, false);
    WriteDate(Ctl::dtEndDate, true);
}

void SettingsDialog::dtEndDateChange() {
    UpdateWeekdayLabels();
    WriteDate(Ctl::dtEndDate, true);
}

void SettingsDialog::spinRepeatCycleNumberChange() {
    WriteSchedule(sv::RepeatCycleNumber,
                  cfg::SpinFieldValue(parts_.view.Text(Ctl::spinRepeatCycleNumber), sv::RepeatCycleNumber));
}

void SettingsDialog::cmbRepeatCycleUnitChange() {
    const int i = parts_.view.Selected(Ctl::cmbRepeatCycleUnit);
    if (i >= 0) WriteSchedule(sv::RepeatCycleUnit, ItemText(sched::kCycleUnitTexts, i));
}

void SettingsDialog::butOnceOnlyClick() {
    auto& v = parts_.view;
    v.SetValue(Ctl::dtEndDate, v.Value(Ctl::dtStartDate));
    v.SetValue(Ctl::dtEndTime, v.Value(Ctl::dtStartTime));
    v.SetValue(Ctl::dtRepeatPeriod, 0);
    v.SetText(Ctl::spinRepeatCycleNumber, "0");
    v.SetSelected(Ctl::cmbRepeatCycleUnit, IndexOf(sched::kCycleUnitTexts, sv::RepeatCycleUnit.def));
    UpdateWeekdayLabels();
    WriteDate(Ctl::dtStartDate, false);
    WriteTime(Ctl::dtStartTime);
    WriteDate(Ctl::dtEndDate, true);
    WriteTime(Ctl::dtEndTime);
    WriteTime(Ctl::dtRepeatPeriod);
    spinRepeatCycleNumberChange();
    cmbRepeatCycleUnitChange();
}

void SettingsDialog::butSkipToNextCycleClick() {
    auto& v = parts_.view;
    sched::ScheduleTiming t;
    t.cycleUnit = sched::ParseCycleUnit(ItemText(sched::kCycleUnitTexts, v.Selected(Ctl::cmbRepeatCycleUnit)));
    t.cycleNumber = cfg::SpinFieldValue(v.Text(Ctl::spinRepeatCycleNumber), sv::RepeatCycleNumber);
    if (t.cycleUnit == sched::CycleUnit::Unknown || t.cycleUnit == sched::CycleUnit::Disabled || t.cycleNumber == 0)
        return;
    // Only the dates move; the times of day take no part.
    t.startDate = DateOf(v.Value(Ctl::dtStartDate));
    t.endDate = DateOf(v.Value(Ctl::dtEndDate));
    const sched::AdvanceResult r = sched::AdvanceCycle(t);
    if (r.status == sched::Advance::NoSuchDay) throw ConvertError("Invalid argument to date encode");
    if (r.status != sched::Advance::Moved) return;
    v.SetValue(Ctl::dtStartDate, static_cast<DateTime>(sched::DayOf(r.window.start)));
    v.SetValue(Ctl::dtEndDate, static_cast<DateTime>(sched::DayOf(r.window.end)));
    UpdateWeekdayLabels();
    WriteDate(Ctl::dtStartDate, false);
    WriteDate(Ctl::dtEndDate, true);
}

void SettingsDialog::butTestAppClick() {
    auto& v = parts_.view;
    const std::string name = selected_ >= 0 ? list_[static_cast<std::size_t>(selected_)] : std::string();
    const std::string message = v.Text(Ctl::edtMessage);
    const int type = v.Selected(Ctl::optSchedType);
    if (type == cfg::kTypeLaunch) {
        const bool started = parts_.launcher.LaunchProgram(name, message, v.Text(Ctl::edtWorkingDir),
                                                                  ItemText(cfg::kWindowStates,
                                                                           v.Selected(Ctl::cmbWindowState)));
        if (!started) parts_.app.boxes.Show("Error running prog: " + message);
        return;
    }
    if (type != cfg::kTypeReminder || !parts_.showReminders) return;
    const Locale& loc = parts_.app.locale;
    const std::string start =
        DateToText(v.Value(Ctl::dtStartDate), loc) + " " + TimeToText(v.Value(Ctl::dtStartTime), loc);
    const std::string end = DateToText(v.Value(Ctl::dtEndDate), loc) + " " + TimeToText(v.Value(Ctl::dtEndTime), loc);
    const std::string description = sched::ReminderDescriptionText(
        start, TimeToText(v.Value(Ctl::dtRepeatPeriod), loc),
        cfg::SpinFieldValue(v.Text(Ctl::spinRepeatCycleNumber), sv::RepeatCycleNumber),
        ItemText(sched::kCycleUnitTexts, v.Selected(Ctl::cmbRepeatCycleUnit)), end);
    parts_.showReminders({sched::MakeReminderItem(message, description, name)});
}

}  // namespace pw::ui
