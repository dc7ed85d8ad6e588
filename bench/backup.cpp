// Native: the memory store, files in a temporary folder.
#include "backup.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "common/memory_store.h"
#include "platform/posix/posix_files.h"

namespace {

double StatusMb(const char* field) {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(line.find(':') + 1)) / 1024.0;
    return 0;
}

}  // namespace

int main() {
    char tmpl[] = "/tmp/pwbench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    pw::MemoryStore store;
    pw::posix::PosixFileSystem fs;
    pw::bench::MemoryProbe mem{[] { std::ofstream("/proc/self/clear_refs") << "5"; },
                               [] { return StatusMb("VmHWM"); }, [] { return StatusMb("VmRSS"); }};
    int rc = pw::bench::RunBackup(store, fs, dir, mem, "memory store");
    rmdir(tmpl);
    return rc;
}
