// The option pages of the settings dialog: "Global options", "Display",
// "Housekeeping" and "About". Each control stands for one global value;
// most of them are a row of the tables below and share one handler.
#include <algorithm>

#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "log/handlers.h"
#include "nettime/netsync_dialog.h"
#include "ui/backup_group.h"
#include "ui/settings_dialog.h"

namespace pw::ui {

namespace g = cfg::global;

namespace {

// A check box that stands for a flag; field is its place in the clock
// window's settings, or none for a value that takes effect at the next
// start.
struct FlagRow {
    Ctl control;
    const cfg::FlagValue& value;
    bool cfg::GlobalSettings::*field;
};
const FlagRow kFlagRows[] = {
    {Ctl::chkStartMinimized, g::StartMinimized, nullptr},
    {Ctl::chkBeep, g::SystemBeep, &cfg::GlobalSettings::SystemBeep},
    {Ctl::chkLogReminders, g::LogReminders, &cfg::GlobalSettings::LogReminders},
    {Ctl::chkLogLaunches, g::LogLaunches, &cfg::GlobalSettings::LogLaunches},
    {Ctl::chk12hrFormat, g::ampmFormat, &cfg::GlobalSettings::ampmFormat},
    {Ctl::chkAutoTrimLog, g::AutoTrimLog, &cfg::GlobalSettings::AutoTrimLog},
    {Ctl::chkAutoDelSched, g::AutoDelSched, &cfg::GlobalSettings::AutoDelSched},
};

// An integer field with up/down buttons.
struct IntRow {
    Ctl control;
    const cfg::IntValue& value;
    std::int32_t cfg::GlobalSettings::*field;
};
const IntRow kIntRows[] = {
    {Ctl::spinMsgDisplayTime, g::MsgDisplayTime, &cfg::GlobalSettings::MsgDisplayTime},
    {Ctl::spinSnoozeMinutes, g::SnoozeMinutes, nullptr},
    {Ctl::spinTrimLogDays, g::TrimLogDays, &cfg::GlobalSettings::TrimLogDays},
    {Ctl::spinDelSchedDays, g::DelSchedDays, &cfg::GlobalSettings::DelSchedDays},
};

constexpr std::array<std::string_view, 4> kDateFormats = {"default", "ddd dd-mmm-yy", "ddd, dd/mm/yy",
                                                          "ddd, mm/dd/yy"};
constexpr std::string_view kWaveFilter = "Wave files (*.wav)|*.WAV";
constexpr Ctl kGlobalSoundControls[] = {Ctl::butPlayGlobalSound, Ctl::edtGlobalSoundName, Ctl::butBrowseGlobalSound};

const FlagRow* FlagRowOf(Ctl c) {
    for (const auto& r : kFlagRows)
        if (r.control == c) return &r;
    return nullptr;
}

const IntRow* IntRowOf(Ctl c) {
    for (const auto& r : kIntRows)
        if (r.control == c) return &r;
    return nullptr;
}

// The start-with-Windows command: the path in quotes, so that a blank in
// it (C:\Program Files\...) is not taken for the end of the program's name.
std::string QuotedCommand(std::string_view path) { return "\"" + std::string(path) + "\""; }

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

// The net-time group as its handlers see it.
class SettingsDialog::NetTimeControls : public net::NetTimeView {
public:
    explicit NetTimeControls(DialogView& v) : v_(v) {}
    std::string TimeServersText() override { return v_.Text(Ctl::memoTimeServers); }
    void SetTimeServersText(std::string_view text) override { v_.SetText(Ctl::memoTimeServers, text); }
    void SetTestServersCaption(std::string_view caption) override { v_.SetText(Ctl::butTestTimeServers, caption); }
    bool AutoSynchTimeChecked() override { return v_.Checked(Ctl::chkAutoSynchTime); }
    void SetAutoSynchIntervalEnabled(bool enabled) override { v_.SetEnabled(Ctl::spinAutoSynchInterval, enabled); }
    std::string AutoSynchIntervalText() override { return v_.Text(Ctl::spinAutoSynchInterval); }
    std::string MaxCorrectionText() override { return v_.Text(Ctl::MaxCorrection); }
    bool LogNetTimeChecked() override { return v_.Checked(Ctl::chkLogNetTime); }

private:
    DialogView& v_;
};

void SettingsDialog::ApplyOptionsCreationState() {
    auto& v = parts_.view;
    // As the controls are made: these three ticked, the other boxes clear,
    // the integer fields at 0 but the maximum correction at 60, the slider
    // at 18.
    for (const auto& r : kFlagRows) v.SetChecked(r.control, false);
    for (Ctl c : {Ctl::chkLaunchAtWinStart, Ctl::chkAlwaysOnTop, Ctl::chkBeep}) v.SetChecked(c, true);
    for (Ctl c : {Ctl::chkGlobalSound, Ctl::chkLogNetTime, Ctl::chkAutoSynchTime}) v.SetChecked(c, false);
    for (Ctl c : kGlobalSoundControls) v.SetEnabled(c, false);
    v.SetEnabled(Ctl::spinAutoSynchInterval, false);
    v.SetEnabled(Ctl::butUndoRestore, false);
    for (const auto& r : kIntRows) v.SetText(r.control, "0");
    v.SetText(Ctl::spinAutoSynchInterval, "0");
    v.SetText(Ctl::MaxCorrection, std::to_string(g::MaxCorrection.def));
    v.SetPosition(Ctl::tbFontHeight, 18);
    v.SetItems(Ctl::cmbClockDateFormat, {kDateFormats.begin(), kDateFormats.end()});
    v.SetText(Ctl::butTestTimeServers, net::kTestServersCaption);
}

void SettingsDialog::FillOptionPages() {
    auto& v = parts_.view;
    auto& store = parts_.store;
    const auto key = cfg::kSettingsKey;
    auto fillCheck = [&](Ctl c, bool value) {
        if (v.Checked(c) == value) return;
        v.SetChecked(c, value);
        DispatchOption(c, Event::Click);
    };
    auto fillText = [&](Ctl c, const std::string& text, Event e) {
        if (v.Text(c) == text) return;
        v.SetText(c, text);
        DispatchOption(c, e);
    };
    auto fillInt = [&](Ctl c, const cfg::IntValue& value) {
        fillText(c, std::to_string(cfg::Read(store, key, value)), Event::Change);
    };

    fillInt(Ctl::spinTrimLogDays, g::TrimLogDays);
    fillInt(Ctl::spinDelSchedDays, g::DelSchedDays);
    fillCheck(Ctl::chkAutoTrimLog, cfg::Read(store, key, g::AutoTrimLog));
    fillCheck(Ctl::chkAutoDelSched, cfg::Read(store, key, g::AutoDelSched));
    fillCheck(Ctl::chkLaunchAtWinStart, cfg::Read(store, key, g::LaunchAtWinStart));
    fillCheck(Ctl::chkStartMinimized, cfg::Read(store, key, g::StartMinimized));
    fillCheck(Ctl::chkAlwaysOnTop, cfg::Read(store, key, g::AlwaysOnTop));
    fillCheck(Ctl::chkLogReminders, cfg::Read(store, key, g::LogReminders));
    fillCheck(Ctl::chkLogLaunches, cfg::Read(store, key, g::LogLaunches));
    fillCheck(Ctl::chkLogNetTime, cfg::Read(store, key, g::LogNetTime));
    fillCheck(Ctl::chkBeep, cfg::Read(store, key, g::SystemBeep));
    fillCheck(Ctl::chkGlobalSound, cfg::Read(store, key, g::GlobalSoundEnabled));
    fillText(Ctl::edtGlobalSoundName, cfg::Read(store, key, g::GlobalSoundName), Event::Exit);
    fillInt(Ctl::spinMsgDisplayTime, g::MsgDisplayTime);
    fillInt(Ctl::spinSnoozeMinutes, g::SnoozeMinutes);
    const int font = cfg::Clamp(g::ReminderFontSize, cfg::Read(store, key, g::ReminderFontSize));
    if (v.Position(Ctl::tbFontHeight) != font) {
        v.SetPosition(Ctl::tbFontHeight, font);
        DispatchOption(Ctl::tbFontHeight, Event::Change);
    }
    fillText(Ctl::edtBackupDir, cfg::Read(store, key, g::BackupDir, FolderOf(parts_.executablePath)), Event::Exit);
    DispatchOption(Ctl::butUndoRestore, Event::Change);
    fillText(Ctl::cmbClockDateFormat, cfg::Read(store, key, g::ClockDateFormat), Event::Change);
    fillCheck(Ctl::chk12hrFormat, cfg::Read(store, key, g::ampmFormat));
    fillText(Ctl::memoTimeServers, cfg::Read(store, key, g::TimeServers), Event::Exit);
    fillCheck(Ctl::chkAutoSynchTime, cfg::Read(store, key, g::AutoSynchTime));
    fillInt(Ctl::spinAutoSynchInterval, g::AutoSynchInterval);
    fillInt(Ctl::MaxCorrection, g::MaxCorrection);
    auto fillColour = [&](Ctl c, const cfg::ColourValue& value) {
        const std::uint32_t colour = cfg::Read(store, key, value);
        if (shownColour_[c == Ctl::butReminderBGColor] != colour) ApplyColour(c, colour);
    };
    fillColour(Ctl::butReminderBGColor, g::ReminderBackground);
    fillColour(Ctl::butReminderTextColor, g::ReminderTextColor);
}

bool SettingsDialog::IsOptionTextField(Ctl c) {
    return c == Ctl::edtGlobalSoundName || c == Ctl::memoTimeServers || c == Ctl::edtBackupDir;
}

void SettingsDialog::NetTime(Ctl c, Event e) {
    NetTimeControls controls(parts_.view);
    net::NetTimeDialog d{controls,
                         parts_.clockWindow.Settings(),
                         parts_.store,
                         parts_.locale,
                         net::SyncContext{parts_.clock, parts_.makeSocket, [this] { return MaxCorrection(); }},
                         [this](std::string_view m) { parts_.clockWindow.WriteLogLine(m); },
                         parts_.sound,
                         parts_.boxes};
    switch (c) {
        case Ctl::memoTimeServers: net::memoTimeServersExit(d); break;
        case Ctl::chkAutoSynchTime: net::chkAutoSynchTimeClick(d); break;
        case Ctl::spinAutoSynchInterval: net::spinAutoSynchIntervalChange(d); break;
        case Ctl::MaxCorrection:
            if (e == Event::Exit)
                net::MaxCorrectionExit(d);
            else
                net::MaxCorrectionChange(d);
            break;
        case Ctl::chkLogNetTime: net::chkLogNetTimeClick(d); break;
        case Ctl::butConnectNow: net::butConnectNowClick(d); break;
        case Ctl::butTestTimeServers: net::butTestTimeServersClick(d); break;
        default: break;
    }
}

bool SettingsDialog::DispatchOption(Ctl c, Event e) {
    auto& v = parts_.view;
    auto& settings = parts_.clockWindow.Settings();
    auto& store = parts_.store;
    const auto key = cfg::kSettingsKey;

    if (const FlagRow* r = FlagRowOf(c)) {
        const bool on = v.Checked(c);
        if (r->field) settings.*(r->field) = on;
        cfg::Write(store, key, r->value, on);
        return true;
    }
    if (const IntRow* r = IntRowOf(c)) {
        if (e == Event::Exit) {
            // Leaving the field brings its text into the range.
            const std::string shown = std::to_string(cfg::SpinFieldValue(v.Text(c), r->value));
            if (v.Text(c) != shown) v.SetText(c, shown);
        }
        const std::int32_t value = cfg::SpinFieldValue(v.Text(c), r->value);
        if (r->field) settings.*(r->field) = value;
        cfg::Write(store, key, r->value, value);
        return true;
    }
    switch (c) {
        case Ctl::chkLaunchAtWinStart: {
            const bool on = v.Checked(c);
            cfg::Write(store, key, g::LaunchAtWinStart, on);
            SetRunAtStartup(store, cfg::kRunEntry, QuotedCommand(parts_.executablePath), on);
            return true;
        }
        case Ctl::chkAlwaysOnTop:
            parts_.clockWindow.SetTopmost(v.Checked(c));
            cfg::Write(store, key, g::AlwaysOnTop, v.Checked(c));
            return true;
        case Ctl::chkGlobalSound: {
            const bool on = v.Checked(c);
            for (Ctl s : kGlobalSoundControls) v.SetEnabled(s, on);
            settings.GlobalSoundEnabled = on;
            cfg::Write(store, key, g::GlobalSoundEnabled, on);
            return true;
        }
        case Ctl::edtGlobalSoundName:
            settings.GlobalSoundName = v.Text(c);
            cfg::Write(store, key, g::GlobalSoundName, settings.GlobalSoundName);
            return true;
        case Ctl::butBrowseGlobalSound: {
            auto path = v.OpenFileDialog({std::string(kWaveFilter), FolderOf(v.Text(Ctl::edtGlobalSoundName))});
            if (!path) return true;
            v.SetText(Ctl::edtGlobalSoundName, *path);
            return DispatchOption(Ctl::edtGlobalSoundName, Event::Exit);
        }
        case Ctl::butPlayGlobalSound: parts_.sound.PlayFile(v.Text(Ctl::edtGlobalSoundName)); return true;
        case Ctl::cmbClockDateFormat:
            if (e == Event::Exit) return true;
            // The box's text, typed or chosen: stored at every keystroke.
            settings.ClockDateFormat = v.Text(c);
            cfg::Write(store, key, g::ClockDateFormat, settings.ClockDateFormat);
            return true;
        case Ctl::tbFontHeight: {
            const int size = cfg::Clamp(g::ReminderFontSize, v.Position(c));
            settings.ReminderFontSize = size;
            cfg::Write(store, key, g::ReminderFontSize, size);
            return true;
        }
        case Ctl::butReminderTextColor:
        case Ctl::butReminderBGColor: {
            auto chosen = v.ColourDialog(lastColour_);
            if (!chosen) return true;
            lastColour_ = *chosen;
            ApplyColour(c, *chosen);
            return true;
        }
        case Ctl::edtBackupDir:
        case Ctl::butBackDirBrowse:
        case Ctl::butBackup:
        case Ctl::butRestore:
        case Ctl::butUndoRestore: {
            // A box of the group need not hold the dialog (the dialog may
            // be hidden, the box then the clock window's). A second click on Restore
            // (the other half of a double click) would restore again and
            // save the configuration just restored over the copy taken
            // before the first; a Backup would write it over the backup.
            if (c != Ctl::edtBackupDir && backupRunning_) return true;
            BackupControls page(v);
            BackupGroup group(page, BackupServices{parts_, [this] { parts_.clockWindow.mnuCloseClick(); }});
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
        case Ctl::butCheckForUpdate:
            if (parts_.checkForUpdates) parts_.checkForUpdates();
            return true;
        case Ctl::butTrimLog:
            if (auto* log = parts_.clockWindow.Log())
                log::butTrimLogClick(*log, settings, parts_.sound, parts_.boxes);
            return true;
        case Ctl::memoTimeServers:
        case Ctl::chkAutoSynchTime:
        case Ctl::chkLogNetTime:
        case Ctl::butConnectNow:
        case Ctl::butTestTimeServers:
            NetTime(c, e);
            return true;
        case Ctl::spinAutoSynchInterval:
        case Ctl::MaxCorrection: {
            const cfg::IntValue& value = c == Ctl::MaxCorrection ? g::MaxCorrection : g::AutoSynchInterval;
            if (e == Event::Exit) {
                const std::string shown = std::to_string(cfg::SpinFieldValue(v.Text(c), value));
                if (v.Text(c) != shown) v.SetText(c, shown);
            }
            NetTime(c, e);
            return true;
        }
        default: return false;
    }
}

void SettingsDialog::ApplyColour(Ctl c, std::uint32_t colour) {
    auto& settings = parts_.clockWindow.Settings();
    const bool text = c == Ctl::butReminderTextColor;
    (text ? settings.ReminderTextColor : settings.ReminderBackground) = colour;
    parts_.view.SetColour(c, colour);
    shownColour_[!text] = colour;
    cfg::Write(parts_.store, cfg::kSettingsKey, text ? g::ReminderTextColor : g::ReminderBackground, colour);
}

}  // namespace pw::ui
