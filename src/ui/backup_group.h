#pragma once
// The " Backup " group of the Housekeeping page: the backup directory
// field, its folder button, "Backup" and "Restore". The dialog page owns
// the controls and calls these handlers from their events.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/files.h"
#include "common/services.h"
#include "common/store.h"

namespace pw::ui {

// What the handlers need of the page.
class BackupPage {
public:
    virtual ~BackupPage() = default;
    virtual std::string BackupDirText() = 0;  // edtBackupDir
    virtual void SetBackupDirText(std::string_view text) = 0;
    // The system's folder dialog, preset to start: the folder the user
    // confirmed, or nothing when cancelled.
    virtual std::optional<std::string> BrowseForFolder(std::string_view start) = 0;
};

struct BackupServices {
    Store& store;
    FileSystem& files;
    Sound& sound;
    MessageBoxes& boxes;
    // Closes the program through its normal exit path.
    std::function<void()> closeProgram;
};

// The keys a restore may write: the program's own key and those below it,
// under the current user, named without a root.
bool InsideProgramKey(Root root, std::string_view rootName, std::string_view keyPath);

inline constexpr std::string_view kBackupFileName = "registry.cfg";
inline constexpr std::string_view kBeforeRestoreFileName = "registry-before-restore.cfg";

class BackupGroup {
public:
    BackupGroup(BackupPage& page, BackupServices services) : page_(page), s_(std::move(services)) {}

    // Fills the field from BackupDir; its default is the program's folder
    // followed by "backup".
    void Load();

    void butBackupClick();
    void butRestoreClick();
    void edtBackupDirExit();
    void butBackDirBrowseClick();

private:
    void Backup();
    void Restore();
    void SaveDir(std::string_view dir);

    BackupPage& page_;
    BackupServices s_;
};

}  // namespace pw::ui
