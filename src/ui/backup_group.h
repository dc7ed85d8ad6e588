#pragma once
// The " Backup " group of the Housekeeping page: the backup directory
// field, its folder button, "Backup" and "Restore". The dialog page owns
// the controls and calls these handlers from their events.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_services.h"
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
    // butUndoRestore, usable while there is a restore to undo.
    virtual void SetUndoRestoreEnabled(bool enabled) = 0;
};

struct BackupServices : AppServices {
    // Closes the program through its normal exit path.
    std::function<void()> closeProgram;
};

// The keys a restore may write: the program's own key and those below it,
// under the current user, named without a root.
bool InsideProgramKey(Root root, std::string_view rootName, std::string_view keyPath);

inline constexpr std::string_view kBackupFileName = "registry.cfg";
inline constexpr std::string_view kBeforeRestoreFileName = "registry-before-restore.cfg";

// What replacing the program's configuration by another would do, as the
// user is told before it is done.
struct ConfigChanges {
    int valuesChanged = 0;  // added to or changed in keys that exist
    int valuesRemoved = 0;
    int schedulesAdded = 0;
    int schedulesRemoved = 0;
    // Each launch schedule that is added, becomes a launch, or starts
    // another program or in another folder: "name", program, folder.
    struct Launch {
        std::string name, program, folder;
    };
    std::vector<Launch> launches;
};
// From the configuration in now to the one in after (the program's key of
// each store).
ConfigChanges CompareConfigurations(Store& now, Store& after);
// The changes as lines for a question.
std::string DescribeChanges(const ConfigChanges& changes);

class BackupGroup {
public:
    BackupGroup(BackupPage& page, BackupServices services) : page_(page), s_(std::move(services)) {}

    void butBackupClick();
    void butRestoreClick();
    // Puts back the configuration saved before the last restore, exactly.
    void butUndoRestoreClick();
    // Enables butUndoRestore when the backup folder holds a restore's
    // safety copy.
    void UpdateUndoRestore();
    void edtBackupDirExit();
    void butBackDirBrowseClick();

private:
    void Backup();
    void Restore();
    void UndoRestore();
    std::string BackupDir();
    void SaveDir(std::string_view dir);

    BackupPage& page_;
    BackupServices s_;
};

}  // namespace pw::ui
