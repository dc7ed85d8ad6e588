#include "support/memory_files.h"

#include <algorithm>

namespace pw::test {

namespace {

std::string WithoutFinalSeparator(std::string_view p) {
    while (!p.empty() && p.back() == '\\') p.remove_suffix(1);
    return std::string(p);
}

std::string ParentOf(std::string_view path) {
    auto slash = path.find_last_of('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

class MemoryReader : public FileReader {
public:
    explicit MemoryReader(std::string bytes) : bytes_(std::move(bytes)) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        auto n = std::min(size, bytes_.size() - at_);
        std::copy_n(bytes_.data() + at_, n, buffer);
        at_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    bool Seek(std::uint64_t offset) override {
        if (offset > bytes_.size()) return false;
        at_ = static_cast<std::size_t>(offset);
        return true;
    }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

class MemoryWriter : public FileWriter {
public:
    MemoryWriter(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
        content_.append(bytes);
        return true;
    }
    bool Commit() override {
        fs_.files[path_] = content_;
        return true;
    }

private:
    MemoryFileSystem& fs_;
    std::string path_;
    std::string content_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() { dirs.insert(WithoutFinalSeparator(exeDir)); }

bool MemoryFileSystem::DirectoryExists(std::string_view path) {
    return dirs.count(WithoutFinalSeparator(path)) > 0;
}

bool MemoryFileSystem::Writable(std::string_view path) const {
    auto parent = ParentOf(path);
    return dirs.count(parent) > 0 && readOnlyDirs.count(parent) == 0;
}

bool MemoryFileSystem::MakeDirectories(std::string_view path) {
    auto p = WithoutFinalSeparator(path);
    if (p.empty()) return false;
    for (std::size_t i = 0; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '\\') continue;
        auto part = p.substr(0, i);
        if (dirs.count(part)) continue;
        if (readOnlyDirs.count(ParentOf(part))) return false;
        dirs.insert(part);
    }
    return true;
}

bool MemoryFileSystem::AppendLine(std::string_view path, std::string_view text) {
    if (!FileExists(path) && !Writable(path)) return false;
    auto bytes = ToFileText(text);
    files[std::string(path)] += (bytes ? *bytes : std::string("?")) + "\r\n";
    return true;
}

std::optional<std::vector<std::string>> MemoryFileSystem::ReadLines(std::string_view path) {
    auto it = files.find(std::string(path));
    if (it == files.end()) return std::nullopt;
    return SplitLines(FromFileText(it->second));
}

std::unique_ptr<FileReader> MemoryFileSystem::OpenReader(std::string_view path) {
    auto it = files.find(std::string(path));
    if (it == files.end()) return nullptr;
    return std::make_unique<MemoryReader>(it->second);
}

std::unique_ptr<FileWriter> MemoryFileSystem::CreateReplacement(std::string_view path) {
    if (!Writable(path)) return nullptr;
    return std::make_unique<MemoryWriter>(*this, std::string(path));
}

std::string MemoryFileSystem::FromFileText(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> MemoryFileSystem::ToFileText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // Only two-byte sequences for U+0080..U+00FF have a Latin-1 byte.
        if ((c & 0xFE) != 0xC2 || i + 1 >= text.size()) return std::nullopt;
        auto d = static_cast<unsigned char>(text[++i]);
        if ((d & 0xC0) != 0x80) return std::nullopt;
        out += static_cast<char>((c & 0x03) << 6 | (d & 0x3F));
    }
    return out;
}

bool MemoryFileSystem::CopyOver(std::string_view from, std::string_view to) {
    auto it = files.find(std::string(from));
    if (it == files.end() || !Writable(to)) return false;
    files[std::string(to)] = it->second;
    return true;
}

std::vector<std::string> MemoryFileSystem::ListFiles(std::string_view dir, std::string_view pattern) {
    std::vector<std::string> names;
    auto d = WithoutFinalSeparator(dir);
    for (auto& [path, bytes] : files) {
        if (ParentOf(path) != d) continue;
        auto name = path.substr(d.empty() ? 0 : d.size() + 1);
        if (MatchesPattern(pattern, name)) names.push_back(name);
    }
    return names;
}

}  // namespace pw::test
