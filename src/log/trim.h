#pragma once
// Removing the leading run of old lines from a text file without holding
// the file in memory: the head of each leading line is classified, and the
// rest of the file is copied unchanged, in large blocks, into a new file
// that replaces the old one only when it is complete. Memory use depends on
// the block size, never on the file's size.
//
// What makes a line old is the caller's business (log/log.h reads its date);
// this part only knows the file's order: lines are appended, so a line
// above an old line is older still.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "common/files.h"

namespace pw::log {

enum class LineAge {
    Old,         // dated before the cutoff
    Undated,     // no date text at all: counts as old when it reaches the top
    Unreadable,  // date text that cannot be read: old only if an old line follows
    Recent,      // dated on or after the cutoff: trimming stops here
};

// The first bytes of a line (without its line break), at most kHeadBytes;
// complete tells whether that is the whole line.
inline constexpr std::size_t kHeadBytes = 256;
using LineClassifier = std::function<LineAge(std::string_view head, bool complete)>;

struct TrimOutcome {
    enum class Status {
        NoFile,     // nothing at the path
        Unchanged,  // no line to remove; the file was not written
        Trimmed,    // the leading lines are gone
        Failed,     // reading or replacing failed; the file is as it was
    };
    Status status = Status::NoFile;
    std::uint64_t removedLines = 0;
    std::uint64_t removedBytes = 0;
};

// Removes from the top of the file every line up to the last one that is
// Old, or Undated with only removable lines above it, before the first
// Recent line. Kept bytes are copied as they are; when the kept part does
// not end with a line break, CR LF is added so that a line appended later
// starts on its own line.
TrimOutcome TrimLeadingLines(FileSystem& fs, std::string_view path, const LineClassifier& classify,
                             std::size_t blockSize = std::size_t{1} << 20);

}  // namespace pw::log
