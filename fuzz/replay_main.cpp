// Driver for fuzz targets without libFuzzer: runs each file named on the
// command line through the target; without arguments it runs a fixed,
// reproducible set of pseudo-random inputs, so the target also serves as
// a test.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            std::ifstream f(argv[i], std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
        return 0;
    }
    std::mt19937 rng(20261208);
    std::vector<std::uint8_t> buf;
    for (int i = 0; i < 200000; ++i) {
        buf.resize(rng() % 96);
        for (auto& b : buf) b = static_cast<std::uint8_t>(rng());
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    std::puts("replayed 200000 random inputs");
    return 0;
}
