#include "ui/schedules_page.h"

#include <algorithm>
#include <cmath>

#include "common/datefmt.h"
#include "common/errors.h"
#include "common/store_access.h"
#include "config/date_values.h"
#include "config/value_access.h"
#include "sched/recurrence.h"
#include "sched/reminder_item.h"

namespace pw::ui {

namespace sv = cfg::schedule;

namespace {

constexpr std::string_view kProgramFilter = "EXE files (*.exe)|*.EXE|Batch files (*.bat)|*.bat|All files (*.*)|*.*";
constexpr std::string_view kWaveFilter = "Wave files (*.wav)|*.WAV";

// The controls that only a launch schedule uses.
constexpr Ctl kLaunchOnly[] = {Ctl::lblWorkingDir, Ctl::edtWorkingDir,  Ctl::butBrowseWorkingDir,
                               Ctl::butBrowseApp,  Ctl::lblWindowState, Ctl::cmbWindowState};
constexpr Ctl kSoundControls[] = {Ctl::butPlaySound, Ctl::edtSoundName, Ctl::butBrowseSound};

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

SchedulesPage::SchedulesPage(SettingsDialogParts& parts, std::function<void()> reload)
    : parts_(parts), reload_(std::move(reload)) {}

void SchedulesPage::ApplyCreationState() {
    auto& v = parts_.view;
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
}

void SchedulesPage::Fill() {
    struct Filling {
        bool& on;
        explicit Filling(bool& f) : on(f) { on = true; }
        ~Filling() { on = false; }
    };
    {
        Filling filling(filling_);
        FillControls();
    }
    UpdateWeekdayLabels();
}

// Each value goes into its control; where the shown value changes, the
// control's follow-up runs as for a user change: its dependent state, and
// its value written back unchanged.
void SchedulesPage::FillControls() {
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

void SchedulesPage::FillPickers(bool writeBack) {
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

void SchedulesPage::RegionalSettingsChanged() {
    // Text typed and not yet left stays where it is.
    if (!currentKey_.empty()) FillPickers(false);
    UpdateWeekdayLabels();
}

// --- the events -------------------------------------------------------------

bool SchedulesPage::IsTextField(Ctl c) {
    return c == Ctl::edtMessage || c == Ctl::edtWorkingDir || c == Ctl::edtSoundName;
}

bool SchedulesPage::IsLeftAsChange(Ctl c) {
    return IsTimePicker(c) || c == Ctl::dtStartDate || c == Ctl::dtEndDate || c == Ctl::spinRepeatCycleNumber;
}

void SchedulesPage::StoreText(Ctl c) {
    switch (c) {
        case Ctl::edtMessage: edtMessageExit(); break;
        case Ctl::edtWorkingDir: edtWorkingDirExit(); break;
        case Ctl::edtSoundName: edtSoundNameExit(); break;
        default: break;
    }
}

bool SchedulesPage::Dispatch(Ctl c, Event e) {
    switch (c) {
        case Ctl::cmbSchedules:
            if (e == Event::Change) {
                selected_ = parts_.view.Selected(Ctl::cmbSchedules);
                SelectionChanged();
            }
            return true;
        case Ctl::butAddSched: butAddSchedClick(); return true;
        case Ctl::butDelSched: butDelSchedClick(); return true;
        case Ctl::butRename: butRenameClick(); return true;
        case Ctl::optSchedType: optSchedTypeClick(); return true;
        case Ctl::cmbWindowState: cmbWindowStateChange(); return true;
        case Ctl::butTestApp: butTestAppClick(); return true;
        case Ctl::butBrowseApp: butBrowseAppClick(); return true;
        case Ctl::butBrowseWorkingDir: butBrowseWorkingDirClick(); return true;
        case Ctl::chkSchedSound: chkSchedSoundClick(); return true;
        case Ctl::butPlaySound: butPlaySoundClick(); return true;
        case Ctl::butBrowseSound: butBrowseSoundClick(); return true;
        case Ctl::dtStartDate: dtStartDateChange(); return true;
        case Ctl::dtEndDate: dtEndDateChange(); return true;
        case Ctl::dtStartTime:
        case Ctl::dtEndTime:
        case Ctl::dtRepeatPeriod: TimePickerChange(c); return true;
        case Ctl::spinRepeatCycleNumber:
            if (e == Event::Exit) BringIntoRange(parts_.view, c, sv::RepeatCycleNumber);
            spinRepeatCycleNumberChange();
            return true;
        case Ctl::cmbRepeatCycleUnit: cmbRepeatCycleUnitChange(); return true;
        case Ctl::butOnceOnly: butOnceOnlyClick(); return true;
        case Ctl::butSkipToNextCycle: butSkipToNextCycleClick(); return true;
        default: return false;
    }
}

void SchedulesPage::butAddSchedClick() {
    auto name = AskName("New Schedule", "Schedule name", "", "Please enter a name for Schedule",
                        "The name already exists. Please select a new one.");
    if (!name) return;
    InsertSorted(*name);
    SelectionChanged();
    reload_();
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

// --- the fields ---------------------------------------------------------------

template <class Value, class T>
void SchedulesPage::WriteSchedule(const Value& v, const T& value) {
    // Showing a schedule that has no key yet writes nothing: its key comes
    // with the first change the user makes.
    if (filling_ && !KeyExists(parts_.app.store, currentKey_)) return;
    cfg::Write(parts_.app.store, currentKey_, v, value);
}

void SchedulesPage::WriteDate(Ctl picker, bool end) {
    WriteSchedule(end ? sv::EndDate : sv::StartDate, DateToText(parts_.view.Value(picker), parts_.app.locale));
}

void SchedulesPage::WriteTime(Ctl picker) {
    const cfg::TimeValue& v = picker == Ctl::dtStartTime ? sv::StartTime
                              : picker == Ctl::dtEndTime ? sv::EndTime
                                                         : sv::RepeatPeriod;
    WriteSchedule(v, TimeToText(parts_.view.Value(picker), parts_.app.locale));
}

void SchedulesPage::ApplyTypeState(int type) {
    auto& v = parts_.view;
    if (type != cfg::kTypeLaunch && type != cfg::kTypeReminder) return;
    const bool launch = type == cfg::kTypeLaunch;
    v.SetText(Ctl::lblMsg, launch ? "Application" : "Message");
    v.SetText(Ctl::lbl1stRem, launch ? "First run:" : "First reminder:");
    v.SetText(Ctl::lblLastRem, launch ? "Last run:" : "Last reminder:");
    for (Ctl c : kLaunchOnly) v.SetEnabled(c, launch);
}

void SchedulesPage::optSchedTypeClick() {
    const int type = parts_.view.Selected(Ctl::optSchedType);
    if (type < 0) return;
    ApplyTypeState(type);
    WriteSchedule(sv::ScheduleType, static_cast<std::int32_t>(type));
}

void SchedulesPage::ApplySoundState() {
    const bool on = parts_.view.Checked(Ctl::chkSchedSound);
    for (Ctl c : kSoundControls) parts_.view.SetEnabled(c, on);
}

void SchedulesPage::chkSchedSoundClick() {
    ApplySoundState();
    WriteSchedule(sv::ScheduleSound, parts_.view.Checked(Ctl::chkSchedSound));
}

void SchedulesPage::cmbWindowStateChange() {
    const int i = parts_.view.Selected(Ctl::cmbWindowState);
    if (i >= 0) WriteSchedule(sv::WindowState, ItemText(cfg::kWindowStates, i));
}

void SchedulesPage::edtMessageExit() {
    auto& v = parts_.view;
    const std::string message = v.Text(Ctl::edtMessage);
    if (v.Text(Ctl::edtWorkingDir).empty() && !message.empty() && parts_.app.files.FileExists(message))
        v.SetText(Ctl::edtWorkingDir, FolderOf(message));
    WriteSchedule(sv::Message, message);
    WriteSchedule(sv::WorkingDir, v.Text(Ctl::edtWorkingDir));
}

void SchedulesPage::edtWorkingDirExit() { WriteSchedule(sv::WorkingDir, parts_.view.Text(Ctl::edtWorkingDir)); }

void SchedulesPage::edtSoundNameExit() { WriteSchedule(sv::SoundName, parts_.view.Text(Ctl::edtSoundName)); }

void SchedulesPage::butBrowseAppClick() {
    auto& v = parts_.view;
    auto path = v.OpenFileDialog({std::string(kProgramFilter), FolderOf(v.Text(Ctl::edtMessage))});
    if (!path) return;
    v.SetText(Ctl::edtMessage, *path);
    if (v.Text(Ctl::edtWorkingDir).empty()) v.SetText(Ctl::edtWorkingDir, FolderOf(*path));
    WriteSchedule(sv::Message, *path);
    WriteSchedule(sv::WorkingDir, v.Text(Ctl::edtWorkingDir));
}

void SchedulesPage::butBrowseWorkingDirClick() {
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

void SchedulesPage::butBrowseSoundClick() {
    auto& v = parts_.view;
    auto path = v.OpenFileDialog({std::string(kWaveFilter), FolderOf(v.Text(Ctl::edtSoundName))});
    if (!path) return;
    v.SetText(Ctl::edtSoundName, *path);
    WriteSchedule(sv::SoundName, *path);
}

void SchedulesPage::butPlaySoundClick() { parts_.app.sound.PlayFile(parts_.view.Text(Ctl::edtSoundName)); }

void SchedulesPage::TimePickerChange(Ctl c) {
    const DateTime shown = parts_.view.Value(c);
    const DateTime cut = WholeMinutes(shown);
    if (ToSeconds(cut) != ToSeconds(shown)) parts_.view.SetValue(c, cut);
    WriteTime(c);
}

void SchedulesPage::UpdateWeekdayLabels() {
    auto& v = parts_.view;
    auto weekday = [&](Ctl picker) {
        const int dow = DayOfWeek(v.Value(picker));
        return dow >= 1 ? parts_.app.locale.longDayNames[static_cast<std::size_t>(dow - 1)] : std::string();
    };
    v.SetText(Ctl::lbl1stDOW, weekday(Ctl::dtStartDate));
    v.SetText(Ctl::lblLastDOW, weekday(Ctl::dtEndDate));
}

void SchedulesPage::dtStartDateChange() {
    auto& v = parts_.view;
    const DateTime start = DateOf(v.Value(Ctl::dtStartDate));
    if (start > DateOf(v.Value(Ctl::dtEndDate))) v.SetValue(Ctl::dtEndDate, start + 1);
    UpdateWeekdayLabels();
    WriteDate(Ctl::dtStartDate, false);
    WriteDate(Ctl::dtEndDate, true);
}

void SchedulesPage::dtEndDateChange() {
    UpdateWeekdayLabels();
    WriteDate(Ctl::dtEndDate, true);
}

void SchedulesPage::spinRepeatCycleNumberChange() {
    WriteSchedule(sv::RepeatCycleNumber,
                  cfg::SpinFieldValue(parts_.view.Text(Ctl::spinRepeatCycleNumber), sv::RepeatCycleNumber));
}

void SchedulesPage::cmbRepeatCycleUnitChange() {
    const int i = parts_.view.Selected(Ctl::cmbRepeatCycleUnit);
    if (i >= 0) WriteSchedule(sv::RepeatCycleUnit, ItemText(sched::kCycleUnitTexts, i));
}

void SchedulesPage::butOnceOnlyClick() {
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

void SchedulesPage::butSkipToNextCycleClick() {
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

void SchedulesPage::butTestAppClick() {
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
