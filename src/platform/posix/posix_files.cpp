#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>

namespace pw::posix {

namespace {

constexpr std::size_t kCopyBlock = 1 << 20;

// For calls whose failure leaves nothing better to do.
void Ignore(int) {}

bool StatPath(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

bool IsReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // close() can report a write the kernel could not complete.
    bool Close() {
        if (fd_ < 0) return true;
        int r = ::close(fd_);
        fd_ = -1;
        return r == 0;
    }

private:
    int fd_;
};

std::string DirectoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

class PosixReader : public FileReader {
public:
    explicit PosixReader(int fd) : fd_(fd) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        for (;;) {
            ssize_t n = ::read(fd_.get(), buffer, std::min<std::size_t>(size, SSIZE_MAX));
            if (n < 0 && errno == EINTR) continue;
            return n < 0 ? -1 : static_cast<std::ptrdiff_t>(n);
        }
    }
    bool Seek(std::uint64_t offset) override {
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
        return ::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) >= 0;
    }

private:
    Fd fd_;
};

class PosixWriter : public FileWriter {
public:
    PosixWriter(int fd, std::string temp, std::string target)
        : fd_(fd), temp_(std::move(temp)), target_(std::move(target)) {}
    ~PosixWriter() override {
        if (!committed_) {
            fd_.Close();
            ::unlink(temp_.c_str());
        }
    }
    bool Write(std::string_view bytes) override {
        if (failed_) return false;
        if (!WriteAll(fd_.get(), bytes.data(), bytes.size())) failed_ = true;
        return !failed_;
    }
    bool Commit() override {
        if (failed_ || committed_) return false;
        // The data must be on disk before the rename makes it the log;
        // otherwise a crash could leave an empty file under the old name.
        if (::fsync(fd_.get()) != 0 || !fd_.Close()) {
            failed_ = true;
            return false;
        }
        if (::rename(temp_.c_str(), target_.c_str()) != 0) {
            failed_ = true;
            return false;
        }
        committed_ = true;
        Fd dir(::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.ok()) ::fsync(dir.get());
        return true;
    }

private:
    Fd fd_;
    std::string temp_;
    std::string target_;
    bool failed_ = false;
    bool committed_ = false;
};

}  // namespace

bool PosixFileSystem::FileExists(std::string_view path) {
    struct stat st;
    return StatPath(std::string(path), st) && S_ISREG(st.st_mode);
}

bool PosixFileSystem::DirectoryExists(std::string_view path) {
    struct stat st;
    return StatPath(std::string(path), st) && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::MakeDirectories(std::string_view path) {
    std::string p(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty()) return false;
    for (std::size_t i = 1; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '/') continue;
        std::string part = p.substr(0, i);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return DirectoryExists(p);
}

bool PosixFileSystem::AppendLine(std::string_view path, std::string_view text) {
    std::string p(path);
    struct stat st;
    if (StatPath(p, st) && IsReadOnly(st)) return false;
    Fd fd(::open(p.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0) return false;
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text).append("\r\n");
    if (!WriteAll(fd.get(), line.data(), line.size())) {
        // Take back the fragment; otherwise the next line would continue it.
        Ignore(::ftruncate(fd.get(), st.st_size));
        return false;
    }
    return fd.Close();
}

std::optional<std::vector<std::string>> PosixFileSystem::ReadLines(std::string_view path) {
    Fd fd(::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok()) return std::nullopt;
    std::string all;
    std::string block(kCopyBlock, '\0');
    for (;;) {
        auto n = ::read(fd.get(), block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        all.append(block.data(), static_cast<std::size_t>(n));
    }
    return SplitLines(all);
}

std::unique_ptr<FileReader> PosixFileSystem::OpenReader(std::string_view path) {
    int fd = ::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<PosixReader>(fd);
}

std::unique_ptr<FileWriter> PosixFileSystem::CreateReplacement(std::string_view path) {
    std::string target(path);
    mode_t mode = 0666;
    struct stat st;
    if (StatPath(target, st)) {
        if (!S_ISREG(st.st_mode) || IsReadOnly(st)) return nullptr;
        mode = st.st_mode & 07777;
    }
    // A file left by a replacement that died half-way is stale by now.
    std::string temp = target + ".tmp";
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    // The replacement keeps the permissions the file had.
    Ignore(::fchmod(fd, mode));
    return std::make_unique<PosixWriter>(fd, std::move(temp), std::move(target));
}

bool PosixFileSystem::Remove(std::string_view path) { return ::unlink(std::string(path).c_str()) == 0; }

bool PosixFileSystem::CopyOver(std::string_view from, std::string_view to) {
    auto reader = OpenReader(from);
    if (!reader) return false;
    auto writer = CreateReplacement(to);
    if (!writer) return false;
    std::string block(kCopyBlock, '\0');
    for (;;) {
        auto n = reader->Read(block.data(), block.size());
        if (n < 0) return false;
        if (n == 0) break;
        if (!writer->Write(std::string_view(block.data(), static_cast<std::size_t>(n)))) return false;
    }
    return writer->Commit();
}

std::vector<std::string> PosixFileSystem::ListFiles(std::string_view dir, std::string_view pattern) {
    std::vector<std::string> names;
    // Built whole rather than assigned and appended to: g++ 12 takes the
    // append after an assignment of "." for an overlapping copy.
    const std::string d = dir.empty() ? std::string("./")
                          : dir.back() == '/' ? std::string(dir)
                                              : std::string(dir) + '/';
    DIR* h = ::opendir(d.c_str());
    if (!h) return names;
    while (dirent* e = ::readdir(h)) {
        std::string name = e->d_name;
        if (!MatchesPattern(pattern, name)) continue;
        struct stat st;
        if (StatPath(d + name, st) && S_ISREG(st.st_mode)) names.push_back(std::move(name));
    }
    ::closedir(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string PosixFileSystem::ExecutableDirectory() {
    std::string buf(PATH_MAX, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0) return "./";
    buf.resize(static_cast<std::size_t>(n));
    return buf.substr(0, buf.find_last_of('/') + 1);
}

}  // namespace pw::posix
