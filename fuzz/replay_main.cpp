// Driver for fuzz targets without libFuzzer. Files named on the command
// line run through the target as they are. A folder named on the command
// line is a seed corpus: each of its files runs as it is, then many
// variants of them (bytes changed, inserted, cut out or repeated), which
// reach the code behind the first few bytes that random input never gets
// past. Without arguments it runs a fixed, reproducible set of
// pseudo-random inputs. Either way the target also serves as a test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void Run(const Bytes& bytes) { LLVMFuzzerTestOneInput(bytes.data(), bytes.size()); }

// One to four small edits of a seed, at random places.
Bytes Variant(const Bytes& seed, std::mt19937& rng) {
    Bytes b = seed;
    auto at = [&](std::size_t size) { return size == 0 ? 0 : rng() % size; };
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        switch (rng() % 5) {
        case 0:
            if (!b.empty()) b[at(b.size())] = static_cast<std::uint8_t>(rng());
            break;
        case 1: b.insert(b.begin() + static_cast<std::ptrdiff_t>(at(b.size() + 1)), static_cast<std::uint8_t>(rng())); break;
        case 2:
            if (!b.empty()) {
                const std::size_t from = at(b.size());
                const std::size_t n = 1 + at(std::min<std::size_t>(b.size() - from, 16));
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + n));
            }
            break;
        case 3:
            if (!b.empty()) {
                const std::size_t from = at(b.size());
                const std::size_t n = 1 + at(std::min<std::size_t>(b.size() - from, 16));
                const Bytes run(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + n));
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(at(b.size() + 1)), run.begin(), run.end());
            }
            break;
        default: b.resize(at(b.size() + 1)); break;  // cut short
        }
    }
    return b;
}

int RunCorpus(const std::filesystem::path& folder) {
    std::vector<Bytes> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) seeds.push_back(ReadFile(entry.path()));
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", folder.string().c_str());
        return 1;
    }
    for (const Bytes& seed : seeds) Run(seed);
    std::mt19937 rng(20261208);
    constexpr int kVariants = 50000;
    for (int i = 0; i < kVariants; ++i) Run(Variant(seeds[rng() % seeds.size()], rng));
    std::printf("replayed %zu seeds and %d variants\n", seeds.size(), kVariants);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            if (std::filesystem::is_directory(argv[i])) {
                if (int rc = RunCorpus(argv[i])) return rc;
            } else {
                Run(ReadFile(argv[i]));
            }
        }
        return 0;
    }
    std::mt19937 rng(20261208);
    Bytes buf;
    for (int i = 0; i < 200000; ++i) {
        buf.resize(rng() % 96);
        for (auto& b : buf) b = static_cast<std::uint8_t>(rng());
        Run(buf);
    }
    std::puts("replayed 200000 random inputs");
    return 0;
}
