#include "platform/win32/win_files.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/win32/text.h"

namespace pw::win {

namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(std::string_view path) { return GetFileAttributesW(Widen(path).c_str()); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (!ok()) return true;
        BOOL r = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return r != 0;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE h, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(h, data, chunk, &done, nullptr) || done == 0) return false;
        data += done;
        size -= done;
    }
    return true;
}

class WinReader : public FileReader {
public:
    explicit WinReader(HANDLE h) : h_(h) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(h_.get(), buffer, want, &got, nullptr)) return -1;
        return static_cast<std::ptrdiff_t>(got);
    }
    bool Seek(std::uint64_t offset) override {
        if (offset > static_cast<std::uint64_t>(LLONG_MAX)) return false;
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(h_.get(), to, nullptr, FILE_BEGIN) != 0;
    }

private:
    Handle h_;
};

class WinWriter : public FileWriter {
public:
    WinWriter(HANDLE h, std::wstring temp, std::wstring target)
        : h_(h), temp_(std::move(temp)), target_(std::move(target)) {}
    ~WinWriter() override {
        if (!committed_) {
            h_.Close();
            DeleteFileW(temp_.c_str());
        }
    }
    bool Write(std::string_view bytes) override {
        if (failed_) return false;
        if (!WriteAll(h_.get(), bytes.data(), bytes.size())) failed_ = true;
        return !failed_;
    }
    bool Commit() override {
        if (failed_ || committed_) return false;
        // On disk before it becomes the file, or a crash could leave the
        // new name on content that was never written.
        if (!FlushFileBuffers(h_.get()) || !h_.Close()) {
            failed_ = true;
            return false;
        }
        if (!PutInPlace()) {
            failed_ = true;
            return false;
        }
        committed_ = true;
        return true;
    }

private:
    bool PutInPlace() {
        // The new file takes over the attributes a user may have given the
        // old one (hidden, say); it gets the folder's security, as any new
        // file there would.
        DWORD a = GetFileAttributesW(target_.c_str());
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (a != kNoAttributes && (a & kKept)) SetFileAttributesW(temp_.c_str(), a & kKept);
        // One rename that replaces the old file: the log is either all old
        // or all new, never missing.
        return MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    Handle h_;
    std::wstring temp_;
    std::wstring target_;
    bool failed_ = false;
    bool committed_ = false;
};

std::string ReadAll(HANDLE h, bool& ok) {
    std::string all;
    std::string block(1 << 16, '\0');
    ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) {
            ok = false;
            return {};
        }
        if (got == 0) return all;
        all.append(block.data(), got);
    }
}

}  // namespace

bool WinFileSystem::FileExists(std::string_view path) {
    DWORD a = Attributes(path);
    return a != kNoAttributes && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFileSystem::DirectoryExists(std::string_view path) {
    DWORD a = Attributes(path);
    return a != kNoAttributes && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFileSystem::MakeDirectories(std::string_view path) {
    std::wstring p = Widen(path);
    while (p.size() > 1 && IsSeparator(p.back())) p.pop_back();
    if (p.empty()) return false;
    // Every prefix up to a separator is a parent; creating one that exists
    // (or a drive, or a share) fails harmlessly.
    for (std::size_t i = 1; i < p.size(); ++i)
        if (IsSeparator(p[i]) && !IsSeparator(p[i - 1])) CreateDirectoryW(p.substr(0, i).c_str(), nullptr);
    CreateDirectoryW(p.c_str(), nullptr);
    DWORD a = GetFileAttributesW(p.c_str());
    return a != kNoAttributes && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFileSystem::AppendLine(std::string_view path, std::string_view text) {
    std::string line = ToAnsi(text);
    line += "\r\n";
    // The path is looked up once per line: a log on a share that has gone
    // away holds the window thread for the redirector's time-out at each
    // look-up.
    Handle h(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.ok()) return false;
    // Windows refuses to open a read-only file for writing; Wine running as
    // root would not, so the attribute is checked here.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) return false;
    LARGE_INTEGER zero{}, end{};
    if (!SetFilePointerEx(h.get(), zero, &end, FILE_END)) return false;
    if (!WriteAll(h.get(), line.data(), line.size())) {
        // Take back the fragment; otherwise the next line would continue it.
        SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN);
        SetEndOfFile(h.get());
        return false;
    }
    return h.Close();
}

std::optional<std::vector<std::string>> WinFileSystem::ReadLines(std::string_view path) {
    Handle h(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.ok()) return std::nullopt;
    bool ok = false;
    std::string all = ReadAll(h.get(), ok);
    if (!ok) return std::nullopt;
    return SplitLines(FromAnsi(all));
}

std::unique_ptr<FileReader> WinFileSystem::OpenReader(std::string_view path) {
    // Shared for reading only: nobody may append to a file that is about
    // to be replaced by a copy of its tail.
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinReader>(h);
}

std::unique_ptr<FileWriter> WinFileSystem::CreateReplacement(std::string_view path) {
    std::wstring target = Widen(path);
    DWORD a = GetFileAttributesW(target.c_str());
    if (a != kNoAttributes && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return nullptr;
    // A file left by a replacement that died half-way is stale by now.
    std::wstring temp = target + L".tmp";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinWriter>(h, std::move(temp), std::move(target));
}

std::string WinFileSystem::FromFileText(std::string_view bytes) { return FromAnsi(bytes); }
std::optional<std::string> WinFileSystem::ToFileText(std::string_view text) { return ToAnsiExact(text); }

bool WinFileSystem::Remove(std::string_view path) { return DeleteFileW(Widen(path).c_str()) != 0; }

bool WinFileSystem::CopyOver(std::string_view from, std::string_view to) {
    return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != 0;
}

std::vector<std::string> WinFileSystem::ListFiles(std::string_view dir, std::string_view pattern) {
    std::vector<std::string> names;
    std::wstring d = Widen(dir);
    if (!d.empty() && !IsSeparator(d.back())) d += L'\\';
    WIN32_FIND_DATAW fd;
    // The system's own matching also looks at short names ("three.data" is
    // "THREE~1.DAT"), so list everything and match the long names here.
    HANDLE h = FindFirstFileExW((d + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string name = Narrow(fd.cFileName);
        if (MatchesPattern(pattern, name)) names.push_back(std::move(name));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

std::wstring ExecutableFilePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string WinFileSystem::ExecutableDirectory() {
    const std::wstring buf = ExecutableFilePath();
    auto slash = buf.find_last_of(L"\\/");
    return Narrow(buf.substr(0, slash == std::wstring::npos ? 0 : slash + 1));
}

}  // namespace pw::win
