#pragma once
// Files on a POSIX system, for the tests and benchmarks. There is no ANSI
// code page here: file text is taken as the bytes it is. A file whose write
// permission bits are all clear counts as read-only and is never written,
// as a Windows read-only file is not, even when running as root.

#include "common/files.h"

namespace pw::posix {

class PosixFileSystem : public FileSystem {
public:
    bool FileExists(std::string_view path) override;
    bool DirectoryExists(std::string_view path) override;
    bool MakeDirectories(std::string_view path) override;
    bool AppendLine(std::string_view path, std::string_view text) override;
    std::optional<std::vector<std::string>> ReadLines(std::string_view path) override;
    std::unique_ptr<FileReader> OpenReader(std::string_view path) override;
    std::unique_ptr<FileWriter> CreateReplacement(std::string_view path) override;
    std::string FromFileText(std::string_view bytes) override { return std::string(bytes); }
    std::optional<std::string> ToFileText(std::string_view text) override { return std::string(text); }
    bool Remove(std::string_view path) override;
    bool CopyOver(std::string_view from, std::string_view to) override;
    std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern) override;
    std::string ExecutableDirectory() override;
};

}  // namespace pw::posix
