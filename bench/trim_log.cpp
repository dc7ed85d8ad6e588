// Trimming a large log: our TrimLog against `tail -n +K log > new && mv new
// log` on identical copies of the same file, in the same run. Each trim
// runs in a child process, so its peak resident memory is its own.
//
//   bench_trim_log [lines...]     default: 1000000 100000
//
// The log's first half is dated before the cutoff, the second half after
// it; K is the first line of the second half. Prints the median of a few
// rounds for each, their ratio, and the peak memory of each.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/datefmt.h"
#include "common/datetime.h"
#include "log/log.h"
#include "platform/posix/posix_files.h"

namespace {

using pw::DateTime;

constexpr int kRounds = 5;
const DateTime kNow = pw::EncodeDate(2026, 12, 8) + pw::EncodeTime(6, 30, 5, 0);

// Lines of about 100 bytes; the old half spread over most of a year, the
// recent half over the last three weeks, in order.
void WriteLog(const std::string& path, long lines) {
    const pw::Locale loc = pw::Locale::EnGB();
    std::ofstream out(path, std::ios::binary);
    std::string buf;
    const long half = lines / 2;
    for (long i = 0; i < lines; ++i) {
        DateTime day = i < half ? pw::EncodeDate(2026, 1, 1) + 300.0 * i / half
                                : kNow - 21 + 21.0 * (i - half) / (lines - half);
        DateTime t = std::floor(day) + (i % 86400) / 86400.0;
        buf += pw::log::LogLine(t, loc, "Reminder:Weekly report " + std::to_string(i % 97) +
                                            " Message:1.Send the figures to accounting before noon");
        buf += "\r\n";
        if (buf.size() > (1 << 20)) {
            out << buf;
            buf.clear();
        }
    }
    out << buf;
}

struct Run {
    double seconds;
    long maxRssKb;
};

template <class F>
Run InChild(F work) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) _exit(work());
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child failed\n");
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), ru.ru_maxrss};
}

Run Ours(const std::string& path) {
    return InChild([&] {
        pw::posix::PosixFileSystem fs;
        auto out = pw::log::TrimLog(fs, pw::Locale::EnGB(), path, kNow, 30);
        return out.status == pw::log::TrimOutcome::Status::Trimmed ? 0 : 1;
    });
}

Run Tail(const std::string& path, long firstKept) {
    std::string cmd = "tail -n +" + std::to_string(firstKept) + " '" + path + "' > '" + path + ".new' && mv '" +
                      path + ".new' '" + path + "'";
    return InChild([&] {
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        return 127;
    });
}

void Copy(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Ours must equal tail's result plus the one "Log file trimmed" line.
bool SameKeptPart(const std::string& ours, const std::string& tails) {
    std::ifstream a(ours, std::ios::binary), b(tails, std::ios::binary);
    std::string x(1 << 20, '\0'), y(1 << 20, '\0');
    for (;;) {
        b.read(y.data(), static_cast<std::streamsize>(y.size()));
        auto n = b.gcount();
        if (n == 0) break;
        a.read(x.data(), n);
        if (a.gcount() != n || x.compare(0, n, y, 0, n) != 0) return false;
    }
    std::string rest((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
    return rest == pw::log::LogLine(kNow, pw::Locale::EnGB(), "Log file trimmed") + "\r\n";
}

void Bench(const std::string& dir, long lines) {
    const std::string base = dir + "/base.log", ours = dir + "/ours.log", tails = dir + "/tail.log";
    WriteLog(base, lines);
    const auto size = std::filesystem::file_size(base);
    const long firstKept = lines / 2 + 1;

    std::vector<double> tOurs, tTail;
    long rssOurs = 0, rssTail = 0;
    for (int r = 0; r < kRounds; ++r) {
        // Alternating, on fresh copies, so both meet the same cache state.
        Copy(base, ours);
        Copy(base, tails);
        Run a = Ours(ours);
        Run b = Tail(tails, firstKept);
        tOurs.push_back(a.seconds);
        tTail.push_back(b.seconds);
        rssOurs = std::max(rssOurs, a.maxRssKb);
        rssTail = std::max(rssTail, b.maxRssKb);
    }
    if (!SameKeptPart(ours, tails)) {
        std::fprintf(stderr, "results differ\n");
        std::exit(1);
    }
    double mo = Median(tOurs), mt = Median(tTail);
    std::printf("%8ld lines %6.1f MB   TrimLog %7.3f s   tail+mv %7.3f s   ratio %.2f   "
                "peak RSS: TrimLog %ld KB, tail %ld KB\n",
                lines, size / 1e6, mo, mt, mo / mt, rssOurs, rssTail);
    std::filesystem::remove(base);
    std::filesystem::remove(ours);
    std::filesystem::remove(tails);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
    if (sizes.empty()) sizes = {1000000, 100000};
    std::string dir = (std::filesystem::temp_directory_path() / ("pw-trim-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir);
    std::printf("median of %d rounds; TrimLog includes syncing the new file to disk\n", kRounds);
    for (long n : sizes) Bench(dir, n);
    std::filesystem::remove_all(dir);
}
