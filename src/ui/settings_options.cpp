// The option pages of the settings dialog: "Global options", "Display",
// "Housekeeping" and "About". Each control stands for one global value;
// most of them are a row of their page's table below, and the few that do
// more are code beside it.
#include <algorithm>
#include <type_traits>

#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "app/log_commands.h"
#include "common/errors.h"
#include "ui/backup_group.h"
#include "ui/option_rows.h"
#include "ui/option_pages.h"

namespace pw::ui {

namespace g = cfg::global;

namespace {

// The start-with-Windows command: the path in quotes, so that a blank in
// it (C:\Program Files\...) is not taken for the end of the program's name.
std::string QuotedCommand(std::string_view path) { return "\"" + std::string(path) + "\""; }

// "Global options".
constexpr Ctl kGlobalSoundControls[] = {Ctl::butPlayGlobalSound, Ctl::edtGlobalSoundName, Ctl::butBrowseGlobalSound};
constexpr OptionRow kGlobalOptionsRows[] = {
    Check(IDC_CHK_LAUNCHATWINSTART, g::LaunchAtWinStart, nullptr, true),
    Check(IDC_CHK_STARTMINIMIZED, g::StartMinimized, nullptr),
    Check(IDC_CHK_ALWAYSONTOP, g::AlwaysOnTop, nullptr, true),
    Check(IDC_CHK_BEEP, g::SystemBeep, &GlobalSettings::SystemBeep, true),
    Check(IDC_CHK_GLOBALSOUND, g::GlobalSoundEnabled, &GlobalSettings::GlobalSoundEnabled, false, kGlobalSoundControls),
    Text(IDC_EDT_GLOBALSOUNDNAME, g::GlobalSoundName, &GlobalSettings::GlobalSoundName),
    Check(IDC_CHK_LOGREMINDERS, g::LogReminders, &GlobalSettings::LogReminders),
    Check(IDC_CHK_LOGLAUNCHES, g::LogLaunches, &GlobalSettings::LogLaunches),
    Check(IDC_CHK_LOGNETTIME, g::LogNetTime, &GlobalSettings::LogNetTime),
};
constexpr std::string_view kWaveFilter = "Wave files (*.wav)|*.WAV";

// "Display".
constexpr Ctl kAutoSynchControls[] = {Ctl{IDC_EDT_AUTOSYNCHINTERVAL}};
constexpr OptionRow kDisplayRows[] = {
    Check(IDC_CHK_12HRFORMAT, g::ampmFormat, &GlobalSettings::ampmFormat),
    Combo(IDC_CMB_CLOCKDATEFORMAT, g::ClockDateFormat, &GlobalSettings::ClockDateFormat),
    Text(IDC_MEMO_TIMESERVERS, g::TimeServers, &GlobalSettings::TimeServers),
    Check(IDC_CHK_AUTOSYNCHTIME, g::AutoSynchTime, &GlobalSettings::AutoSynchTime, false, kAutoSynchControls),
    Spin(IDC_EDT_AUTOSYNCHINTERVAL, g::AutoSynchInterval, &GlobalSettings::AutoSynchInterval, 24),
    Spin(IDC_EDT_MAXCORRECTION, g::MaxCorrection, &GlobalSettings::MaxCorrection, 60, g::MaxCorrection.def),
    Spin(IDC_EDT_MSGDISPLAYTIME, g::MsgDisplayTime, &GlobalSettings::MsgDisplayTime, 10),
    Spin(IDC_EDT_SNOOZEMINUTES, g::SnoozeMinutes, nullptr, 1),
    Slider(IDC_TB_FONTHEIGHT, g::ReminderFontSize, &GlobalSettings::ReminderFontSize, 18),
    Colour(IDC_BUT_REMINDERTEXTCOLOR, g::ReminderTextColor, &GlobalSettings::ReminderTextColor),
    Colour(IDC_BUT_REMINDERBGCOLOR, g::ReminderBackground, &GlobalSettings::ReminderBackground),
};
constexpr std::array<std::string_view, 4> kDateFormats = {"default", "ddd dd-mmm-yy", "ddd, dd/mm/yy",
                                                          "ddd, mm/dd/yy"};

// "Housekeeping"; the backup group is code.
constexpr OptionRow kHousekeepingRows[] = {
    Check(IDC_CHK_AUTOTRIMLOG, g::AutoTrimLog, &GlobalSettings::AutoTrimLog),
    Spin(IDC_EDT_TRIMLOGDAYS, g::TrimLogDays, &GlobalSettings::TrimLogDays, 10),
    Check(IDC_CHK_AUTODELSCHED, g::AutoDelSched, &GlobalSettings::AutoDelSched),
    Spin(IDC_EDT_DELSCHEDDAYS, g::DelSchedDays, &GlobalSettings::DelSchedDays, 10),
};

constexpr OptionPage kOptionPages[] = {
    {Page::GlobalOptions, kGlobalOptionsRows},
    {Page::Display, kDisplayRows},
    {Page::Housekeeping, kHousekeepingRows},
};

// The backup group's field and folder dialog.
class BackupControls : public BackupPage {
public:
    explicit BackupControls(DialogView& v) : v_(v) {}
    std::string BackupDirText() override { return v_.Text(Ctl::edtBackupDir); }
    void SetBackupDirText(std::string_view text) override { v_.SetText(Ctl::edtBackupDir, text); }
    std::optional<std::string> BrowseForFolder(std::string_view start) override { return v_.FolderDialog(start); }
    void SetUndoRestoreEnabled(bool enabled) override { v_.SetEnabled(Ctl::butUndoRestore, enabled); }

private:
    DialogView& v_;
};

}  // namespace

std::span<const OptionPage> OptionPages() { return kOptionPages; }

const OptionRow* OptionRowOf(Ctl c) {
    for (const auto& page : kOptionPages)
        for (const auto& r : page.rows)
            if (r.control == c) return &r;
    return nullptr;
}

std::optional<FieldRange> RangeOf(Ctl c) {
    // The one integer field of the Schedules page.
    if (c == Ctl::spinRepeatCycleNumber)
        return FieldRange{cfg::schedule::RepeatCycleNumber.min, cfg::schedule::RepeatCycleNumber.max, 1};
    const OptionRow* r = OptionRowOf(c);
    if (!r || (r->kind != RowKind::Spin && r->kind != RowKind::Slider)) return std::nullopt;
    const cfg::IntValue& v = *std::get<const cfg::IntValue*>(r->value);
    return FieldRange{v.min, v.max, r->step};
}

void GlobalOptionPages::ApplyCreationState() {
    auto& v = parts_.view;
    // As the controls are made; filling compares against this.
    for (const auto& page : kOptionPages)
        for (const auto& r : page.rows) {
            switch (r.kind) {
                case RowKind::Check:
                    v.SetChecked(r.control, r.made != 0);
                    for (Ctl d : r.enables) v.SetEnabled(d, r.made != 0);
                    break;
                case RowKind::Spin: v.SetText(r.control, std::to_string(r.made)); break;
                case RowKind::Slider: v.SetPosition(r.control, r.made); break;
                default: break;
            }
        }
    v.SetEnabled(Ctl::butUndoRestore, false);
    v.SetItems(Ctl::cmbClockDateFormat, {kDateFormats.begin(), kDateFormats.end()});
}

// The shown value of a row's control, in the type of its stored value.
template <class V>
typename cfg::FieldOf<V>::type GlobalOptionPages::Shown(const OptionRow& r, const V& value) {
    auto& v = parts_.view;
    if constexpr (std::is_same_v<V, cfg::FlagValue>) {
        return v.Checked(r.control);
    } else if constexpr (std::is_same_v<V, cfg::IntValue>) {
        if (r.kind == RowKind::Slider) return cfg::Clamp(value, v.Position(r.control));
        return cfg::SpinFieldValue(v.Text(r.control), value);
    } else if constexpr (std::is_same_v<V, cfg::ColourValue>) {
        return shownColour_[r.control];
    } else {
        return v.Text(r.control);
    }
}

// Shows a value in a row's control, as the store holds it. False when it
// was shown already.
template <class V>
bool GlobalOptionPages::ShowRowValue(const OptionRow& r, const V& value, const typename cfg::FieldOf<V>::type& stored) {
    auto& v = parts_.view;
    if constexpr (std::is_same_v<V, cfg::FlagValue>) {
        if (v.Checked(r.control) == stored) return false;
        v.SetChecked(r.control, stored);
    } else if constexpr (std::is_same_v<V, cfg::IntValue>) {
        if (r.kind == RowKind::Slider) {
            const int position = cfg::Clamp(value, stored);
            if (v.Position(r.control) == position) return false;
            v.SetPosition(r.control, position);
        } else {
            const std::string text = std::to_string(stored);
            if (v.Text(r.control) == text) return false;
            v.SetText(r.control, text);
        }
    } else if constexpr (std::is_same_v<V, cfg::ColourValue>) {
        if (shownColour_.count(r.control) && shownColour_[r.control] == stored) return false;
        shownColour_[r.control] = stored;
        v.SetColour(r.control, stored);
    } else {
        if (v.Text(r.control) == stored) return false;
        v.SetText(r.control, stored);
    }
    return true;
}

void GlobalOptionPages::Fill() {
    auto& store = parts_.app.store;
    for (const auto& page : kOptionPages)
        for (const auto& r : page.rows)
            std::visit(
                [&](const auto* value) {
                    if (ShowRowValue(r, *value, cfg::Read(store, cfg::kSettingsKey, *value))) RowChanged(r, Event::Change);
                },
                r.value);
    auto& v = parts_.view;
    const std::string dir = cfg::Read(store, cfg::kSettingsKey, g::BackupDir, FolderOf(parts_.executablePath));
    if (v.Text(Ctl::edtBackupDir) != dir) {
        v.SetText(Ctl::edtBackupDir, dir);
        Dispatch(Ctl::edtBackupDir, Event::Exit);
    }
    Dispatch(Ctl::butUndoRestore, Event::Change);
}

bool GlobalOptionPages::IsTextField(Ctl c) {
    const OptionRow* r = OptionRowOf(c);
    return (r && r->kind == RowKind::Text) || c == Ctl::edtBackupDir;
}

// What a row's control does when it changes: its dependent state, then the
// value into the clock window's settings and the store.
void GlobalOptionPages::RowChanged(const OptionRow& r, Event e) {
    auto& v = parts_.view;
    const Ctl c = r.control;
    switch (r.kind) {
        case RowKind::Check:
            for (Ctl d : r.enables) v.SetEnabled(d, v.Checked(c));
            break;
        case RowKind::Spin:
            if (e == Event::Exit) BringIntoRange(parts_.view, c, *std::get<const cfg::IntValue*>(r.value));
            break;
        case RowKind::Combo:
            if (e == Event::Exit) return;
            break;
        case RowKind::Colour:
            if (e == Event::Click) {
                // The two colour buttons share one dialog, which opens on
                // the colour last chosen in it.
                auto chosen = v.ColourDialog(lastColour_);
                if (!chosen) return;
                lastColour_ = *chosen;
                ShowRowValue(r, *std::get<const cfg::ColourValue*>(r.value), *chosen);
            }
            break;
        default: break;
    }
    std::visit(
        [&](const auto* value) {
            using V = std::remove_cvref_t<decltype(*value)>;
            using F = typename cfg::FieldOf<V>::type;
            const F shown = Shown(r, *value);
            if (auto* field = std::get_if<F GlobalSettings::*>(&r.field))
                parts_.clockWindow.Settings().*(*field) = shown;
            cfg::Write(parts_.app.store, cfg::kSettingsKey, *value, shown);
        },
        r.value);
    AfterRowChanged(c);
}

// The rows whose change does more than store its value.
void GlobalOptionPages::AfterRowChanged(Ctl c) {
    auto& v = parts_.view;
    switch (c) {
        case Ctl::chkLaunchAtWinStart:
            SetRunAtStartup(parts_.app.store, cfg::kRunEntry, QuotedCommand(parts_.executablePath), v.Checked(c));
            break;
        case Ctl::chkAlwaysOnTop: parts_.clockWindow.SetTopmost(v.Checked(c)); break;
        default: break;
    }
}

bool GlobalOptionPages::Dispatch(Ctl c, Event e) {
    if (const OptionRow* r = OptionRowOf(c)) {
        RowChanged(*r, e);
        return true;
    }
    auto& v = parts_.view;
    switch (c) {
        case Ctl::butBrowseGlobalSound: {
            auto path = v.OpenFileDialog({std::string(kWaveFilter), FolderOf(v.Text(Ctl::edtGlobalSoundName))});
            if (!path) return true;
            v.SetText(Ctl::edtGlobalSoundName, *path);
            return Dispatch(Ctl::edtGlobalSoundName, Event::Exit);
        }
        case Ctl::butPlayGlobalSound: parts_.app.sound.PlayFile(v.Text(Ctl::edtGlobalSoundName)); return true;
        case Ctl::butConnectNow:
        case Ctl::butTestTimeServers: netTime_.Click(c); return true;
        case Ctl::edtBackupDir:
        case Ctl::butBackDirBrowse:
        case Ctl::butBackup:
        case Ctl::butRestore:
        case Ctl::butUndoRestore: return Backup(c, e);
        case Ctl::butTrimLog:
            app::butTrimLogClick(parts_.clockWindow.Log(), parts_.clockWindow.Settings(), parts_.app.sound, parts_.app.boxes);
            return true;
        case Ctl::butCheckForUpdate:
            if (parts_.checkForUpdates) parts_.checkForUpdates();
            return true;
        default: return false;
    }
}

bool GlobalOptionPages::Backup(Ctl c, Event e) {
    auto& v = parts_.view;
    // A box of the group need not hold the dialog (the dialog may
    // be hidden, the box then the clock window's). A second click on Restore
    // (the other half of a double click) would restore again and
    // save the configuration just restored over the copy taken
    // before the first; a Backup would write it over the backup.
    if (c != Ctl::edtBackupDir && backupRunning_) return true;
    BackupControls page(v);
    BackupGroup group(page, BackupServices{parts_.app, [this] { parts_.clockWindow.mnuCloseClick(); }});
    if (c == Ctl::edtBackupDir) {
        group.edtBackupDirExit();
        return true;
    }
    // Not a click: the field was filled, the button's state follows.
    if (c == Ctl::butUndoRestore && e != Event::Click) {
        group.UpdateUndoRestore();
        return true;
    }
    backupRunning_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{backupRunning_};
    if (c == Ctl::butBackDirBrowse) group.butBackDirBrowseClick();
    if (c == Ctl::butBackup) group.butBackupClick();
    if (c == Ctl::butRestore) group.butRestoreClick();
    if (c == Ctl::butUndoRestore) group.butUndoRestoreClick();
    return true;
        
}

}  // namespace pw::ui
