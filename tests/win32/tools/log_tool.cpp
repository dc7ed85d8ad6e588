// Drives the event log from the command line, for the end-to-end tests:
//   log_tool append <log path> <message>
//   log_tool trim <log path> <days>
// The clock is fixed at 8 December 2026 12:00 and the dates are British,
// so the tests can write old and recent lines themselves. Prints what
// happened; the exit code is 0 unless the arguments were wrong.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/clock.h"
#include "common/datetime.h"
#include "log/log.h"
#include "platform/win32/text.h"
#include "platform/win32/win_files.h"

namespace {

class FixedClock : public pw::Clock {
public:
    pw::DateTime Now() override { return pw::EncodeDate(2026, 12, 8) + 0.5; }
    pw::DateTime UtcNow() override { return Now(); }
    pw::ClockSet SetUtc(pw::DateTime) override { return pw::ClockSet::Failed; }
    int ZoneBiasMinutes() override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    pw::win::WinFileSystem fs;
    FixedClock clock;
    const pw::Locale locale = pw::Locale::EnGB();
    pw::log::EventLog log(fs, clock, locale, pw::win::FromAnsi(argv[2]));
    std::string command = argv[1];
    if (command == "append") {
        log.Write(pw::win::FromAnsi(argv[3]));
        std::puts("appended");
        return 0;
    }
    if (command == "trim") {
        auto out = log.Trim(static_cast<int>(std::strtol(argv[3], nullptr, 10)));
        const char* names[] = {"no file", "unchanged", "trimmed", "failed"};
        std::printf("%s %llu\n", names[static_cast<int>(out.status)],
                    static_cast<unsigned long long>(out.removedLines));
        return 0;
    }
    return 2;
}
