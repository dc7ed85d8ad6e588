// Windows: the registry (run it under Wine with scripts/wine-run), files in
// the temporary folder.
//
// Memory is what the program's own heap holds: every operator new of this
// program is counted. The process counters cannot serve: a peak cannot be
// reset here, and Wine gives the current use for the peak.
#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#include "backup.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"
#include "platform/win32/win_files.h"

namespace {

// One thread: plain counters.
std::size_t live = 0;
std::size_t peak = 0;
// Each block is preceded by its size, kept at the alignment new promises.
constexpr std::size_t kHeader = alignof(std::max_align_t);

double Mb(std::size_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

}  // namespace

void* operator new(std::size_t n) {
    auto* block = static_cast<char*>(std::malloc(n + kHeader));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = n;
    live += n;
    if (live > peak) peak = live;
    return block + kHeader;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    char* block = static_cast<char*>(p) - kHeader;
    live -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

int main() {
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) return 1;
    pw::win::RegistryStore store;
    pw::win::WinFileSystem fs;
    pw::bench::MemoryProbe mem{[] { peak = live; }, [] { return Mb(peak); }, [] { return Mb(live); }};
    return pw::bench::RunBackup(store, fs, pw::win::Narrow(temp), mem, "registry");
}
