#include "ui/backup_group.h"

#include <vector>

#include "backup/backup.h"
#include "common/errors.h"
#include "common/memory_store.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::ui {

namespace {

constexpr std::string_view kFinishedBackup = "Finished Backup.";
constexpr std::string_view kRestoredHead = "Configuration restored.\n";
constexpr std::string_view kUndoneHead = "The configuration as it was before the last restore is back.\n";
constexpr std::string_view kRestartHead = "Please restart ";
constexpr std::string_view kRestartTail = " now.";
constexpr std::string_view kRestored = Joined<kRestoredHead, kRestartHead, kAppTitle, kRestartTail>;
constexpr std::string_view kUndone = Joined<kUndoneHead, kRestartHead, kAppTitle, kRestartTail>;
constexpr std::string_view kUndoCaption = "Undo last restore";
constexpr std::string_view kCannotCreateDir = "Unable to create directory";
constexpr std::string_view kDataFiles = "*.dat";

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Why an export did not give a file, for a box that already said what was
// being written.
std::string DescribeFailure(const backup::ExportResult& r, std::string_view file) {
    switch (r.outcome) {
        case backup::ExportResult::Outcome::NotCarried:
            return (r.isValue ? "the value " + Quoted(r.valueName) + " of the key " : std::string("the key ")) +
                   Quoted(r.key) + " " + r.reason + ". Nothing was written.";
        case backup::ExportResult::Outcome::WriteFailed:
        case backup::ExportResult::Outcome::UnknownRoot:
        case backup::ExportResult::Outcome::Written:
            break;
    }
    return Quoted(file) + " could not be written.";
}

std::string CountLine(int n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// The value of a schedule that says what it starts, and where.
std::string TextOf(StoreKey& key, std::string_view name) {
    auto v = key.GetValue(name);
    return v && v->IsText() ? v->text : std::string();
}

bool IsLaunch(StoreKey& key) {
    return key.GetValue(cfg::schedule::ScheduleType.name) ==
           StoreValue::Dword(static_cast<std::uint32_t>(cfg::kTypeLaunch));
}

// Counts the values of a key that after adds, changes or lacks, and those
// of its subkeys but skip.
void CompareKeys(Store& now, Store& after, const std::string& path, std::string_view skip, ConfigChanges& c) {
    auto a = after.Open(Root::CurrentUser, path, OpenMode::Read);
    auto n = now.Open(Root::CurrentUser, path, OpenMode::Read);
    if (a)
        for (auto& name : a->ValueNames())
            if (!n || n->GetValue(name) != a->GetValue(name)) ++c.valuesChanged;
    if (n)
        for (auto& name : n->ValueNames())
            if (!a || !a->GetValue(name)) ++c.valuesRemoved;
    if (!a) return;
    for (auto& sub : a->SubkeyNames())
        if (auto child = JoinKeyPath(path, sub); !NamesEqual(child, skip)) CompareKeys(now, after, child, skip, c);
}

}  // namespace

ConfigChanges CompareConfigurations(Store& now, Store& after) {
    ConfigChanges c;
    const std::string schedules(cfg::kSchedulesKey);
    auto names = [&](Store& s) { return ListSubkeys(s, schedules, false); };
    const auto nowNames = names(now), afterNames = names(after);
    // The values of the main key and of the schedules kept; a schedule
    // added counts once, not by its values.
    CompareKeys(now, after, std::string(cfg::kSettingsKey), schedules, c);
    for (auto& name : afterNames) {
        const std::string key = cfg::ScheduleKey(name);
        if (!HasName(nowNames, name))
            ++c.schedulesAdded;
        else
            CompareKeys(now, after, key, schedules, c);
        auto a = after.Open(Root::CurrentUser, key, OpenMode::Read);
        auto n = now.Open(Root::CurrentUser, key, OpenMode::Read);
        if (!a || !IsLaunch(*a)) continue;
        const std::string program = TextOf(*a, cfg::schedule::Message.name);
        const std::string folder = TextOf(*a, cfg::schedule::WorkingDir.name);
        if (!n || !IsLaunch(*n) || TextOf(*n, cfg::schedule::Message.name) != program ||
            TextOf(*n, cfg::schedule::WorkingDir.name) != folder)
            c.launches.push_back({name, program, folder});
    }
    for (auto& name : nowNames)
        if (!HasName(afterNames, name)) ++c.schedulesRemoved;
    return c;
}

std::string DescribeChanges(const ConfigChanges& c) {
    std::string text = CountLine(c.valuesChanged, "value", "values") + " changed";
    if (c.valuesRemoved > 0) text += ", " + CountLine(c.valuesRemoved, "value", "values") + " removed";
    text += ", " + CountLine(c.schedulesAdded, "schedule", "schedules") + " added";
    if (c.schedulesRemoved > 0) text += ", " + CountLine(c.schedulesRemoved, "schedule", "schedules") + " removed";
    text += ".";
    if (!c.launches.empty()) {
        text += "\n\nThese schedules will start programs:";
        for (auto& l : c.launches) {
            text += "\n" + Quoted(l.name) + ": " + l.program;
            if (!l.folder.empty()) text += " (in " + l.folder + ")";
        }
    }
    return text;
}

// Never a key named with its root: a crafted file must not plant a start-up
// entry or change another program's settings.
bool InsideProgramKey(Root root, std::string_view rootName, std::string_view keyPath) {
    if (root != Root::CurrentUser || !rootName.empty()) return false;
    auto own = SplitKeyPath(cfg::kSettingsKey);
    auto parts = SplitKeyPath(keyPath);
    if (parts.size() < own.size()) return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].empty()) return false;
        if (i < own.size() && !NamesEqual(parts[i], own[i])) return false;
    }
    return true;
}

void BackupGroup::SaveDir(std::string_view dir) { cfg::Write(s_.store, cfg::kSettingsKey, cfg::global::BackupDir, dir); }

void BackupGroup::butBackupClick() {
    try {
        Backup();
    } catch (const AppError& e) {
        s_.boxes.ShowError(e.what());
    }
}

void BackupGroup::butRestoreClick() {
    try {
        Restore();
    } catch (const AppError& e) {
        s_.boxes.ShowError(e.what());
    }
}

void BackupGroup::butUndoRestoreClick() {
    try {
        UndoRestore();
    } catch (const AppError& e) {
        s_.boxes.ShowError(e.what());
    }
}

std::string BackupGroup::BackupDir() { return backup::AddTrailingBackslash(page_.BackupDirText()); }

void BackupGroup::UpdateUndoRestore() {
    page_.SetUndoRestoreEnabled(s_.files.FileExists(BackupDir() + std::string(kBeforeRestoreFileName)));
}

void BackupGroup::edtBackupDirExit() {
    try {
        UpdateUndoRestore();
        SaveDir(page_.BackupDirText());
    } catch (const AppError& e) {
        s_.boxes.ShowError(e.what());
    }
}

void BackupGroup::butBackDirBrowseClick() {
    try {
        auto chosen = page_.BrowseForFolder(page_.BackupDirText());
        if (!chosen) return;
        page_.SetBackupDirText(*chosen);
        UpdateUndoRestore();
        SaveDir(*chosen);
    } catch (const AppError& e) {
        s_.boxes.ShowError(e.what());
    }
}

void BackupGroup::Backup() {
    const std::string dir = BackupDir();
    if (!s_.files.DirectoryExists(dir) && !s_.files.MakeDirectories(dir)) {
        s_.boxes.ShowError(dir.empty() ? std::string(kCannotCreateDir)
                                        : std::string(kCannotCreateDir) + " " + Quoted(dir) + ".");
        return;
    }
    // The new file replaces the old one only when it is complete, so a
    // failed backup leaves the previous one in place.
    const std::string file = dir + std::string(kBackupFileName);
    auto r = backup::ExportRegistryTree(s_.store, s_.files, file, cfg::kSettingsKey);
    if (!r.Ok()) {
        s_.boxes.ShowError("Backup failed: " + DescribeFailure(r, file) + "\nAn older backup in " + Quoted(dir) +
                           " is unchanged.");
        return;
    }
    s_.sound.Beep();
    s_.boxes.Show(kFinishedBackup);
}

void BackupGroup::Restore() {
    const std::string dir = BackupDir();
    const std::string file = dir + std::string(kBackupFileName);
    std::vector<std::string> notes;
    if (s_.files.FileExists(file)) {
        // A backup may hold launch schedules, so a crafted one can plant a
        // program to start at a chosen minute: the user sees what the file
        // changes, and every program it would start, before anything is
        // written.
        MemoryStore after;
        CopyKeyContents(s_.store, after, Root::CurrentUser, cfg::kSettingsKey, cfg::kSettingsKey);
        backup::ImportRegistryFile(after, s_.files, file, InsideProgramKey);
        const std::string question =
            "Restoring " + Quoted(file) + " changes the configuration:\n" +
            DescribeChanges(CompareConfigurations(s_.store, after)) + "\n\nRestore it?";
        if (s_.boxes.Ask("Restore", question, Answer::No) != Answer::Yes) return;
        // One wrong restore can be undone: the configuration as it was goes
        // beside the file first, in the same format.
        const std::string before = dir + std::string(kBeforeRestoreFileName);
        auto saved = backup::ExportRegistryTree(s_.store, s_.files, before, cfg::kSettingsKey);
        if (saved.Ok()) {
            notes.push_back("The configuration as it was before is saved in " + Quoted(before) + ".");
        } else {
            auto question = "The current configuration could not be saved before the restore: " +
                            DescribeFailure(saved, before) + "\n\nRestore anyway?";
            if (s_.boxes.Ask("Restore", question, Answer::No) != Answer::Yes) return;
            notes.push_back("The configuration as it was before is not saved.");
        }
        auto r = backup::ImportRegistryFile(s_.store, s_.files, file, InsideProgramKey);
        if (r.refused > 0)
            notes.push_back(CountLine(r.refused, "line", "lines") + " outside " + std::string(kAppTitle) + "'s own key skipped.");
        if (r.unreadable > 0)
            notes.push_back(CountLine(r.unreadable, "line", "lines") + " that a backup never writes skipped.");
        if (r.notWritten > 0) notes.push_back(CountLine(r.notWritten, "value", "values") + " could not be written.");
        if (!r.found || !r.readToEnd) notes.push_back(Quoted(file) + " could not be read to its end.");
    } else {
        notes.push_back("There is no " + Quoted(file) + "; the configuration is unchanged.");
    }
    const std::string exeDir = s_.files.ExecutableDirectory();
    for (auto& name : s_.files.ListFiles(dir, kDataFiles)) s_.files.CopyOver(dir + name, exeDir + name);

    std::string text(kRestored);
    for (auto& n : notes) text += "\n" + n;
    s_.sound.Beep();
    s_.boxes.Show(text);
    if (s_.closeProgram) s_.closeProgram();
}

void BackupGroup::UndoRestore() {
    const std::string file = BackupDir() + std::string(kBeforeRestoreFileName);
    UpdateUndoRestore();
    if (!s_.files.FileExists(file)) {
        s_.boxes.ShowError("There is no " + Quoted(file) + "; there is no restore to undo.");
        return;
    }
    // The copy is read whole before the configuration is touched: one that
    // is damaged, or names keys outside the program's own, replaces
    // nothing.
    MemoryStore before;
    auto r = backup::ImportRegistryFile(before, s_.files, file, InsideProgramKey);
    if (!r.found || !r.readToEnd || r.refused > 0 || r.unreadable > 0 || r.notWritten > 0 ||
        !KeyExists(before, cfg::kSettingsKey)) {
        s_.boxes.ShowError(Quoted(file) + " is not a whole copy of the configuration. Nothing was changed.");
        return;
    }
    const std::string question = "The configuration goes back to " + Quoted(file) + ":\n" +
                                 DescribeChanges(CompareConfigurations(s_.store, before)) + "\n\nUndo the last restore?";
    if (s_.boxes.Ask(kUndoCaption, question, Answer::No) != Answer::Yes) return;
    std::string text(kUndone);
    if (!ReplaceTree(s_.store, before, Root::CurrentUser, cfg::kSettingsKey))
        text += "\nNot all of the configuration could be written.";
    s_.sound.Beep();
    s_.boxes.Show(text);
    if (s_.closeProgram) s_.closeProgram();
}

}  // namespace pw::ui
