#pragma once
// A file system decorator for tests: passes every call to a real file
// system and fails the operations a test chooses, the way a locked file, a
// failing disk or a full disk would. It also counts what was asked of it.

#include <cstdint>
#include <stdexcept>

#include "common/files.h"

namespace pw::test {

struct FileFaults {
    bool append = false;             // AppendLine fails
    bool appendThrows = false;       // AppendLine raises (as a conversion might)
    bool openReader = false;         // the file cannot be opened for reading
    int readsBeforeError = -1;       // this many reads succeed, then reading fails
    bool seek = false;
    bool createReplacement = false;  // the new file cannot be created
    std::int64_t diskSpace = -1;     // bytes the new file may take before the disk is full
    bool commit = false;             // the replacement itself fails
};

struct FileCounts {
    int appends = 0;
    int readers = 0;
    int reads = 0;
    int replacements = 0;
    int commits = 0;
};

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    FileFaults fail;
    FileCounts counts;

    bool FileExists(std::string_view p) override { return inner_.FileExists(p); }
    bool DirectoryExists(std::string_view p) override { return inner_.DirectoryExists(p); }
    bool MakeDirectories(std::string_view p) override { return inner_.MakeDirectories(p); }
    bool AppendLine(std::string_view path, std::string_view text) override {
        ++counts.appends;
        if (fail.appendThrows) throw std::runtime_error("conversion failed");
        if (fail.append) return false;
        return inner_.AppendLine(path, text);
    }
    std::optional<std::vector<std::string>> ReadLines(std::string_view p) override {
        if (fail.openReader) return std::nullopt;
        return inner_.ReadLines(p);
    }
    std::unique_ptr<FileReader> OpenReader(std::string_view path) override;
    std::unique_ptr<FileWriter> CreateReplacement(std::string_view path) override;
    std::string FromFileText(std::string_view b) override { return inner_.FromFileText(b); }
    std::optional<std::string> ToFileText(std::string_view t) override { return inner_.ToFileText(t); }
    bool Remove(std::string_view p) override { return inner_.Remove(p); }
    bool CopyOver(std::string_view f, std::string_view t) override { return inner_.CopyOver(f, t); }
    std::vector<std::string> ListFiles(std::string_view d, std::string_view p) override {
        return inner_.ListFiles(d, p);
    }
    std::string ExecutableDirectory() override { return inner_.ExecutableDirectory(); }

private:
    FileSystem& inner_;
};

}  // namespace pw::test
