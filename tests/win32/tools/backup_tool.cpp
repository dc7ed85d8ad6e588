// Backup routines on the registry, for end-to-end checks:
//   backup_tool export FILE KEY   the tree at KEY (below the current user,
//                                 or "HKEY_...\path") into FILE
//   backup_tool import FILE       FILE into the registry
//   backup_tool clear KEY         deletes KEY below the current user
// Prints what happened; exit code 0 when it did what was asked.
#include <cstdio>
#include <string>

#include "backup/backup.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/win_files.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: backup_tool export FILE KEY | import FILE | clear KEY\n", stderr);
        return 2;
    }
    const std::string command = argv[1];
    pw::win::RegistryStore store;
    pw::win::WinFileSystem fs;
    if (command == "export" && argc == 4) {
        auto r = pw::backup::ExportRegistryTree(store, fs, argv[2], argv[3]);
        std::printf("export %d %s %s %s\n", static_cast<int>(r.outcome), r.key.c_str(), r.valueName.c_str(),
                    r.reason.c_str());
        return r.Ok() ? 0 : 1;
    }
    if (command == "import") {
        auto r = pw::backup::ImportRegistryFile(store, fs, argv[2]);
        std::printf("import values %d refused %d unreadable %d not written %d\n", r.values, r.refused, r.unreadable,
                    r.notWritten);
        return r.found && r.readToEnd && r.notWritten == 0 ? 0 : 1;
    }
    if (command == "clear") return store.DeleteTree(pw::Root::CurrentUser, argv[2]) ? 0 : 1;
    std::fputs("unknown command\n", stderr);
    return 2;
}
