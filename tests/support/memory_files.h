#pragma once
// A file system kept in memory, with Windows paths ("C:\dir\file") and a
// single-byte code page for text files (Latin-1, as Windows-1252 is for the
// characters the tests use): a character beyond it has no file form, as a
// character the ANSI code page lacks has none on Windows. Wrap it in
// FaultyFileSystem for failing writes.

#include <map>
#include <set>
#include <string>

#include "common/files.h"

namespace pw::test {

class MemoryFileSystem : public FileSystem {
public:
    MemoryFileSystem();

    std::map<std::string, std::string> files;  // path -> bytes
    std::set<std::string> dirs;                // without a final "\"
    std::set<std::string> readOnlyDirs;        // nothing can be created in them
    std::string exeDir = "C:\\Plenwick\\";

    bool FileExists(std::string_view path) override { return files.count(std::string(path)) > 0; }
    bool DirectoryExists(std::string_view path) override;
    bool MakeDirectories(std::string_view path) override;
    bool AppendLine(std::string_view path, std::string_view text) override;
    std::optional<std::vector<std::string>> ReadLines(std::string_view path) override;
    std::unique_ptr<FileReader> OpenReader(std::string_view path) override;
    std::unique_ptr<FileWriter> CreateReplacement(std::string_view path) override;
    std::string FromFileText(std::string_view bytes) override;
    std::optional<std::string> ToFileText(std::string_view text) override;
    bool Remove(std::string_view path) override { return files.erase(std::string(path)) > 0; }
    bool CopyOver(std::string_view from, std::string_view to) override;
    std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern) override;
    std::string ExecutableDirectory() override { return exeDir; }

    // A file may be created at path: its folder exists and is writable.
    bool Writable(std::string_view path) const;
};

}  // namespace pw::test
