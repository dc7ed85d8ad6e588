#pragma once
// The configuration backup file and the routines that write and read it.
// They work on any key tree of any root.
//
// The file is text in the ANSI code page with CR LF line ends. Each key of
// the tree, breadth first, gives a block: a header line "[" + root name +
// "\" + key path + "]" (the root name empty for keys of the current user),
// one line per value, and an empty line. A value line is the value's name,
// a three-letter tag, "=" and the data, with no blanks:
//   "int"  a 32-bit integer as a signed decimal number
//   "str"  a text, each CR LF written as "qqqq"
//   "bin"  any other type, its bytes as pairs of upper-case hex digits
// Reading back merges: keys and values not in the file stay as they are.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/files.h"
#include "common/store.h"

namespace pw::backup {

// Replaces every occurrence of from by to, left to right; the text put in
// is never searched again. Case-sensitive.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// An empty path stays empty; any other gets a final "\" unless it has one.
std::string AddTrailingBackslash(std::string_view path);

// The longest binary value a backup carries, and the longest line it
// writes or reads; longer lines in a file are skipped unread.
inline constexpr std::size_t kMaxBackupBinary = 64001;
inline constexpr std::size_t kMaxBackupLine = 256 * 1024;

struct ExportResult {
    enum class Outcome {
        Written,      // the file holds the whole tree
        UnknownRoot,  // the path names a root that does not exist; nothing written
        NotCarried,   // a key or value the file cannot hold unchanged; nothing written
        WriteFailed,  // the file could not be written; an older one is unchanged
    };
    Outcome outcome = Outcome::Written;
    std::string key;        // NotCarried: the key, as in its header
    std::string valueName;  // NotCarried: the value, when it is a value
    bool isValue = false;
    std::string reason;     // NotCarried: why

    bool Ok() const { return outcome == Outcome::Written; }
};

// Writes the tree at keyPath to fileName. A path beginning with "HKEY_" (in
// any letter case) names its root before the first "\"; any other path is
// below the current user. The new file replaces an older one only once it
// is complete, so a backup that fails part-way leaves the older file as it
// was. Values the format cannot carry unchanged (a character the ANSI code
// page lacks, "=" in a name, a lone CR or LF, binary data beyond
// kMaxBackupBinary) stop the export before anything is replaced.
ExportResult ExportRegistryTree(Store& store, FileSystem& fs, std::string_view fileName, std::string_view keyPath);

// Decides which keys an import may write: the root selected, the root name
// of the header ("" when it names none) and the key path as written.
using ImportKeyFilter = std::function<bool(Root root, std::string_view rootName, std::string_view keyPath)>;

struct ImportResult {
    bool found = false;      // the file exists and could be opened
    bool readToEnd = true;   // false when reading failed part-way
    int values = 0;          // values written
    int refused = 0;         // header and value lines of keys not taken (unknown root or filter)
    int unreadable = 0;      // lines no backup writes: no "=", a bad number, bad hex, too long
    int notWritten = 0;      // values the store refused
};

// Writes the keys and values of the file into the store. Does nothing when
// the file does not exist. Lines no backup writes are skipped and counted;
// the rest of the file is still read. With a filter, the keys it refuses
// are skipped together with their value lines.
ImportResult ImportRegistryFile(Store& store, FileSystem& fs, std::string_view fileName,
                                const ImportKeyFilter& filter = {});

}  // namespace pw::backup
