#include "ui/backup_group.h"

#include <vector>

#include "common/backup.h"
#include "common/errors.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::ui {

namespace {

constexpr std::string_view kFinishedBackup = "Finished Backup.";
constexpr std::string_view kRestored = "Configuration restored.\nPlease restart Plenwick now.";
constexpr std::string_view kCannotCreateDir = "Unable to create directory";
constexpr std::string_view kDataFiles = "*.dat";

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Why an export did not give a file, for a box that already said what was
// being written.
std::string DescribeFailure(const ExportResult& r, std::string_view file) {
    switch (r.outcome) {
        case ExportResult::Outcome::NotCarried:
            return (r.isValue ? "the value " + Quoted(r.valueName) + " of the key " : std::string("the key ")) +
                   Quoted(r.key) + " " + r.reason + ". Nothing was written.";
        case ExportResult::Outcome::WriteFailed:
        case ExportResult::Outcome::UnknownRoot:
        case ExportResult::Outcome::Written:
            break;
    }
    return Quoted(file) + " could not be written.";
}

std::string CountLine(int n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

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

void BackupGroup::Load() {
    page_.SetBackupDirText(cfg::Read(s_.store, cfg::kSettingsKey, cfg::global::BackupDir, s_.files.ExecutableDirectory()));
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

void BackupGroup::edtBackupDirExit() {
    try {
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
        SaveDir(*chosen);
    } catch (const AppError& e) {
        s_.boxes.ShowError(e.what());
    }
}

void BackupGroup::Backup() {
    const std::string dir = AddTrailingBackslash(page_.BackupDirText());
    if (!s_.files.DirectoryExists(dir) && !s_.files.MakeDirectories(dir)) {
        s_.boxes.ShowError(dir.empty() ? std::string(kCannotCreateDir)
                                        : std::string(kCannotCreateDir) + " " + Quoted(dir) + ".");
        return;
    }
    // The new file replaces the old one only when it is complete, so a
    // failed backup leaves the previous one in place.
    const std::string file = dir + std::string(kBackupFileName);
    auto r = ExportRegistryTree(s_.store, s_.files, file, cfg::kSettingsKey);
    if (!r.Ok()) {
        s_.boxes.ShowError("Backup failed: " + DescribeFailure(r, file) + "\nAn older backup in " + Quoted(dir) +
                           " is unchanged.");
        return;
    }
    s_.sound.Beep();
    s_.boxes.Show(kFinishedBackup);
}

void BackupGroup::Restore() {
    const std::string dir = AddTrailingBackslash(page_.BackupDirText());
    const std::string file = dir + std::string(kBackupFileName);
    std::vector<std::string> notes;
    if (s_.files.FileExists(file)) {
        // One wrong restore can be undone: the configuration as it was goes
        // beside the file first, in the same format.
        const std::string before = dir + std::string(kBeforeRestoreFileName);
        auto saved = ExportRegistryTree(s_.store, s_.files, before, cfg::kSettingsKey);
        if (saved.Ok()) {
            notes.push_back("The configuration as it was before is saved in " + Quoted(before) + ".");
        } else {
            auto question = "The current configuration could not be saved before the restore: " +
                            DescribeFailure(saved, before) + "\n\nRestore anyway?";
            if (s_.boxes.Ask("Restore", question, Answer::No) != Answer::Yes) return;
            notes.push_back("The configuration as it was before is not saved.");
        }
        auto r = ImportRegistryFile(s_.store, s_.files, file, InsideProgramKey);
        if (r.refused > 0)
            notes.push_back(CountLine(r.refused, "line", "lines") + " outside Plenwick's own key skipped.");
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

}  // namespace pw::ui
