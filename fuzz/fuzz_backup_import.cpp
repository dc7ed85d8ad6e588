// Restoring arbitrary files. Whatever the input, the import must not
// crash; with the restore's filter it must write nothing outside the
// program's own key; and what it did write must survive backups and
// imports unchanged: a backup of every root read back and backed up again
// gives the same file.
//
// Input: the bytes of a backup file (real backups are good seeds).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "backup/backup.h"
#include "common/memory_store.h"
#include "support/memory_files.h"
#include "ui/backup_group.h"

namespace {

constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                       "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
constexpr std::string_view kIn = "C:\\Plenwick\\in.cfg";
constexpr std::string_view kOut = "C:\\Plenwick\\out.cfg";

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Every root's tree as backup text, one after the other.
std::string ExportAll(pw::Store& store, pw::test::MemoryFileSystem& fs) {
    std::string all;
    for (auto root : kRoots) {
        auto r = pw::backup::ExportRegistryTree(store, fs, kOut, root);
        Check(r.Ok(), "an imported value cannot be backed up");
        all += fs.files.at(std::string(kOut));
    }
    return all;
}

// Names of every key the store holds below a root, as "root\path".
void ListKeys(pw::Store& store, pw::Root root, const std::string& path, std::string& out) {
    auto key = store.Open(root, path, pw::OpenMode::Read);
    if (!key) return;
    for (auto& sub : key->SubkeyNames()) {
        auto child = pw::JoinKeyPath(path, sub);
        out += child + "\n";
        ListKeys(store, root, child, out);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pw;
    const std::string input(reinterpret_cast<const char*>(data), size);

    {
        // The restore's filter: the program's key, its parents as they are
        // needed to hold it, and nothing else anywhere.
        test::MemoryFileSystem fs;
        fs.files[std::string(kIn)] = input;
        MemoryStore store;
        backup::ImportRegistryFile(store, fs, kIn, ui::InsideProgramKey);
        for (auto root : {Root::ClassesRoot, Root::LocalMachine, Root::Users, Root::PerformanceData,
                          Root::CurrentConfig, Root::DynData}) {
            auto key = store.Open(root, "", OpenMode::Read);
            Check(key->SubkeyNames().empty() && key->ValueNames().empty(), "restore wrote to another root");
        }
        std::string keys;
        ListKeys(store, Root::CurrentUser, "", keys);
        std::string_view rest = keys;
        while (!rest.empty()) {
            auto line = rest.substr(0, rest.find('\n'));
            rest.remove_prefix(line.size() + 1);
            auto inside = ui::InsideProgramKey(Root::CurrentUser, {}, line);
            auto parent = NamesEqual(line, "Software") || NamesEqual(line, "Software\\Corvane Software");
            Check(inside || parent, "restore wrote outside the program's key");
            if (parent) {
                auto key = store.Open(Root::CurrentUser, line, OpenMode::Read);
                Check(key->ValueNames().empty(), "restore wrote a value above the program's key");
            }
        }
    }

    test::MemoryFileSystem fs;
    fs.files[std::string(kIn)] = input;
    MemoryStore first;
    auto r = backup::ImportRegistryFile(first, fs, kIn);
    Check(r.found && r.readToEnd, "the file was not read");
    const std::string once = ExportAll(first, fs);

    // A key the input named without giving it a value can be left empty
    // (made as the parent of a key that then failed); a backup names it,
    // and reading the backup does not make it again. From the first backup
    // on, every round must give the same file.
    fs.files[std::string(kIn)] = once;
    MemoryStore second;
    auto again = backup::ImportRegistryFile(second, fs, kIn);
    Check(again.unreadable == 0 && again.refused == 0 && again.notWritten == 0, "a backup did not read back whole");
    const std::string twice = ExportAll(second, fs);
    fs.files[std::string(kIn)] = twice;
    MemoryStore third;
    backup::ImportRegistryFile(third, fs, kIn);
    Check(ExportAll(third, fs) == twice, "a backup read back differently");
    return 0;
}
