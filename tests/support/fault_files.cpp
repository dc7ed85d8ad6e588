#include "support/fault_files.h"

#include <algorithm>

namespace pw::test {

namespace {

class FaultyReader : public FileReader {
public:
    FaultyReader(std::unique_ptr<FileReader> inner, FaultyFileSystem& fs)
        : inner_(std::move(inner)), fs_(fs) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        int n = fs_.counts.reads++;
        if (fs_.fail.readsBeforeError >= 0 && n >= fs_.fail.readsBeforeError) return -1;
        return inner_->Read(buffer, size);
    }
    bool Seek(std::uint64_t offset) override { return !fs_.fail.seek && inner_->Seek(offset); }

private:
    std::unique_ptr<FileReader> inner_;
    FaultyFileSystem& fs_;
};

class FaultyWriter : public FileWriter {
public:
    FaultyWriter(std::unique_ptr<FileWriter> inner, FaultyFileSystem& fs)
        : inner_(std::move(inner)), fs_(fs), space_(fs.fail.diskSpace) {}
    bool Write(std::string_view bytes) override {
        if (failed_) return false;
        if (space_ < 0) return inner_->Write(bytes);
        auto fits = static_cast<std::size_t>(std::min<std::int64_t>(space_, static_cast<std::int64_t>(bytes.size())));
        space_ -= static_cast<std::int64_t>(fits);
        bool ok = inner_->Write(bytes.substr(0, fits));
        failed_ = !ok || fits != bytes.size();
        return !failed_;
    }
    bool Commit() override {
        ++fs_.counts.commits;
        if (failed_ || fs_.fail.commit) return false;
        return inner_->Commit();
    }

private:
    std::unique_ptr<FileWriter> inner_;
    FaultyFileSystem& fs_;
    std::int64_t space_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<FileReader> FaultyFileSystem::OpenReader(std::string_view path) {
    ++counts.readers;
    if (fail.openReader) return nullptr;
    auto r = inner_.OpenReader(path);
    if (!r) return nullptr;
    return std::make_unique<FaultyReader>(std::move(r), *this);
}

std::unique_ptr<FileWriter> FaultyFileSystem::CreateReplacement(std::string_view path) {
    ++counts.replacements;
    if (fail.createReplacement) return nullptr;
    auto w = inner_.CreateReplacement(path);
    if (!w) return nullptr;
    return std::make_unique<FaultyWriter>(std::move(w), *this);
}

}  // namespace pw::test
