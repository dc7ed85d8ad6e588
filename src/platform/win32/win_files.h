#pragma once
// Files on Windows. Paths are UTF-8 in the program and UTF-16 for the API;
// text lines are written and read in the ANSI code page.
//
// The log is opened only for the length of one write, and then shared for
// reading, so a viewer can hold it open. While a trim reads the log, other
// writers are kept out; the new content replaces the file in one
// write-through rename.

#include <string>

#include "common/files.h"

namespace pw::win {

// This program's own file, however long its path; empty when unknown.
std::wstring ExecutableFilePath();

class WinFileSystem : public FileSystem {
public:
    bool FileExists(std::string_view path) override;
    bool DirectoryExists(std::string_view path) override;
    bool MakeDirectories(std::string_view path) override;
    bool AppendLine(std::string_view path, std::string_view text) override;
    std::optional<std::vector<std::string>> ReadLines(std::string_view path) override;
    std::unique_ptr<FileReader> OpenReader(std::string_view path) override;
    std::unique_ptr<FileWriter> CreateReplacement(std::string_view path) override;
    std::string FromFileText(std::string_view bytes) override;
    std::optional<std::string> ToFileText(std::string_view text) override;
    bool Remove(std::string_view path) override;
    bool CopyOver(std::string_view from, std::string_view to) override;
    std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern) override;
    std::string ExecutableDirectory() override;
};

}  // namespace pw::win
