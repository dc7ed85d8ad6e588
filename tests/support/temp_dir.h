#pragma once
// A scratch directory for one test, removed with everything in it when the
// test ends, and raw byte access to the files in it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace pw::test {

class TempDir {
public:
    TempDir() {
        static std::atomic<unsigned> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "pwtest-" + std::to_string(stamp) + "-" + std::to_string(counter++);
        if (info) name += std::string("-") + info->name();
        for (char& c : name)
            if (c == '/' || c == '\\') c = '_';
        dir_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        // Read-only files would keep Windows from removing the tree.
        for (auto& e : std::filesystem::recursive_directory_iterator(dir_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with its trailing separator, as the program's paths are.
    std::string Dir() const { return (dir_ / "").string(); }
    std::string Path(std::string_view name) const { return (dir_ / std::string(name)).string(); }

private:
    std::filesystem::path dir_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool PathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace pw::test
