#include "backup/backup.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

namespace pw::backup {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kLineBreakCode = "qqqq";
constexpr std::string_view kIntTag = "int";
constexpr std::string_view kTextTag = "str";
constexpr std::string_view kBinaryTag = "bin";
constexpr std::size_t kTagLength = 3;
constexpr std::size_t kWriteBlock = 64 * 1024;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

constexpr std::array<std::pair<std::string_view, Root>, 7> kRootNames{{
    {"HKEY_CLASSES_ROOT", Root::ClassesRoot},
    {"HKEY_CURRENT_USER", Root::CurrentUser},
    {"HKEY_LOCAL_MACHINE", Root::LocalMachine},
    {"HKEY_USERS", Root::Users},
    {"HKEY_PERFORMANCE_DATA", Root::PerformanceData},
    {"HKEY_CURRENT_CONFIG", Root::CurrentConfig},
    {"HKEY_DYN_DATA", Root::DynData},
}};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

std::optional<Root> LookupRoot(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) c = Upper(c);
    for (auto& [n, r] : kRootNames)
        if (n == upper) return r;
    return std::nullopt;
}

// "root\path" split at its first "\"; without one, all of it is the root.
std::pair<std::string_view, std::string_view> SplitRoot(std::string_view path) {
    auto slash = path.find('\\');
    if (slash == std::string_view::npos) return {path, {}};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// ---- Export ----------------------------------------------------------------

std::string HexOf(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (auto b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

// The line for one value, or the reason it cannot be carried unchanged.
struct ValueLine {
    std::string line;
    std::string_view problem;
};

ValueLine LineOf(std::string_view name, const StoreValue& v) {
    if (name.find('=') != std::string_view::npos) return {{}, "has \"=\" in its name"};
    if (!name.empty() && name.front() == '[') return {{}, "has a name beginning with \"[\""};
    if (HasLineBreak(name)) return {{}, "has a line break in its name"};
    std::string line(name);
    if (v.IsText()) {
        std::string data = ReplaceAll(v.text, kLineBreak, kLineBreakCode);
        if (HasLineBreak(data)) return {{}, "holds a line break that is not CR LF"};
        line.append(kTextTag).append("=").append(data);
    } else if (v.type == regtype::Dword) {
        if (v.bytes.size() != 4) return {{}, "is an integer that is not four bytes long"};
        auto u = std::uint32_t(v.bytes[0]) | std::uint32_t(v.bytes[1]) << 8 | std::uint32_t(v.bytes[2]) << 16 |
                 std::uint32_t(v.bytes[3]) << 24;
        line.append(kIntTag).append("=").append(std::to_string(static_cast<std::int32_t>(u)));
    } else {
        if (v.bytes.size() > kMaxBackupBinary) return {{}, "holds more data than a backup carries"};
        line.append(kBinaryTag).append("=").append(HexOf(v.bytes));
    }
    return {std::move(line), {}};
}

// Collects converted lines and writes them in blocks to the new file.
class BackupWriter {
public:
    BackupWriter(FileSystem& fs, std::unique_ptr<FileWriter> out) : fs_(fs), out_(std::move(out)) {}

    // Empty when the line went in; otherwise why it cannot.
    std::string_view Add(std::string_view line) {
        auto bytes = fs_.ToFileText(line);
        if (!bytes) return "holds characters the ANSI code page cannot hold";
        if (bytes->size() > kMaxBackupLine) return "is too long for a line of the backup";
        buffer_.append(*bytes).append(kLineBreak);
        if (buffer_.size() >= kWriteBlock) Flush();
        return {};
    }

    bool Finish() {
        Flush();
        return ok_ && out_->Commit();
    }

private:
    void Flush() {
        if (ok_ && !buffer_.empty()) ok_ = out_->Write(buffer_);
        buffer_.clear();
    }

    FileSystem& fs_;
    std::unique_ptr<FileWriter> out_;
    std::string buffer_;
    bool ok_ = true;
};

ExportResult Failed(ExportResult::Outcome outcome) {
    ExportResult r;
    r.outcome = outcome;
    return r;
}

ExportResult NotCarried(std::string key, std::string_view valueName, bool isValue, std::string_view why) {
    ExportResult r;
    r.outcome = ExportResult::Outcome::NotCarried;
    r.key = std::move(key);
    r.valueName = std::string(valueName);
    r.isValue = isValue;
    r.reason = std::string(why);
    return r;
}

// Writes the block of one key: its header, its values and the empty line;
// only the empty line when the key cannot be opened. Nothing when all went
// in; otherwise what the export ends with.
std::optional<ExportResult> WriteBlock(Store& store, Root root, std::string_view rootName, const std::string& path,
                                       BackupWriter& writer, bool& hasSubkeys) {
    hasSubkeys = false;
    std::string header = std::string(rootName) + "\\" + path;
    if (auto key = store.Open(root, path, OpenMode::Read)) {
        if (HasLineBreak(path)) return NotCarried(header, {}, false, "has a line break in its name");
        if (auto why = writer.Add("[" + header + "]"); !why.empty()) return NotCarried(header, {}, false, why);
        auto contents = key->ReadContents();
        for (auto& [name, value] : contents.values) {
            if (!value) return NotCarried(header, name, true, "could not be read");
            auto line = LineOf(name, *value);
            if (line.problem.empty()) line.problem = writer.Add(line.line);
            if (!line.problem.empty()) return NotCarried(header, name, true, line.problem);
        }
        hasSubkeys = contents.subkeyCount > 0;
    }
    writer.Add({});
    return std::nullopt;
}

// ---- Import ----------------------------------------------------------------

bool IsBlank(std::string_view line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

std::optional<StoreValue> IntegerOf(std::string_view data) {
    std::string text = ReplaceAll(data, kLineBreakCode, kLineBreak);
    std::int64_t n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return StoreValue::Dword(static_cast<std::uint32_t>(static_cast<std::int32_t>(n)));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<StoreValue> BinaryOf(std::string_view data) {
    // An odd digit count is no whole number of bytes, and a backup never
    // writes more than it can read back: such a line is damaged.
    if (data.size() % 2 != 0 || data.size() / 2 > kMaxBackupBinary) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(data.size() / 2);
    for (std::size_t i = 0; i < data.size(); i += 2) {
        int hi = HexDigit(data[i]), lo = HexDigit(data[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return StoreValue::Raw(regtype::Binary, std::move(bytes));
}

// Where the count characters before end begin, stepping over whole UTF-8
// sequences: the tag is three characters, whatever the name's last one is.
// npos when there are fewer.
std::size_t CharactersBefore(std::string_view text, std::size_t end, std::size_t count) {
    std::size_t at = end;
    for (; count > 0; --count) {
        if (at == 0) return std::string_view::npos;
        do --at;
        while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
    }
    return at;
}

class Importer {
public:
    Importer(Store& store, const ImportKeyFilter& filter, ImportResult& result)
        : store_(store), filter_(filter), result_(result) {
        keyTaken_ = !filter_ || filter_(root_, {}, {});
        // Lines before the first header belong to no key of the file: with
        // a filter that refuses the bare root they are damage, not lines
        // of a key outside the allowed ones.
        beforeFirstHeader_ = !keyTaken_;
    }

    void Line(std::string_view line) {
        if (IsBlank(line)) return;
        if (line.front() == '[') return Header(line);
        if (skippingBlock_ || beforeFirstHeader_) {
            ++result_.unreadable;
            return;
        }
        if (!rootTaken_ || !keyTaken_) {
            ++result_.refused;
            return;
        }
        Value(line);
    }

    // A line too long to read; when it was a header, its block goes with it.
    void Overlong(bool header) {
        ++result_.unreadable;
        if (header) SkipBlock();
    }

private:
    // The values after a header that could not be read belong to a key
    // nobody knows: never to the key of the block before.
    void SkipBlock() {
        skippingBlock_ = true;
        beforeFirstHeader_ = false;
        key_.reset();
    }

    void Header(std::string_view line) {
        // Without its first and last character, whatever that last one is.
        auto last = CharactersBefore(line, line.size(), 1);
        std::string_view path = last >= 1 ? line.substr(1, last - 1) : std::string_view();
        if (TrimPathSeparators(path).empty()) {
            ++result_.unreadable;
            return SkipBlock();
        }
        skippingBlock_ = false;
        beforeFirstHeader_ = false;
        std::string_view rootName;
        if (StartsWithNoCase(path, "hkey")) {
            rootTaken_ = false;
            auto [name, rest] = SplitRoot(path);
            rootName = name;
            path = rest;
            if (auto r = LookupRoot(name)) {
                root_ = *r;
                rootTaken_ = true;
            }
        }
        keyPath_ = std::string(path);
        keyTaken_ = !filter_ || filter_(root_, rootName, keyPath_);
        key_.reset();
        if (!rootTaken_ || !keyTaken_) ++result_.refused;
    }

    void Value(std::string_view line) {
        auto p = line.find('=');
        auto tagStart = p == std::string_view::npos ? p : CharactersBefore(line, p, kTagLength);
        if (tagStart == std::string_view::npos) {
            ++result_.unreadable;
            return;
        }
        auto name = line.substr(0, tagStart);
        auto tag = line.substr(tagStart, p - tagStart);
        auto data = line.substr(p + 1);
        std::optional<StoreValue> value;
        if (tag == kIntTag)
            value = IntegerOf(data);
        else if (tag == kTextTag)
            value = StoreValue::Text(ReplaceAll(data, kLineBreakCode, kLineBreak));
        else
            value = BinaryOf(data);
        if (!value) {
            ++result_.unreadable;
            return;
        }
        // One open key serves all the values of a block; a key that could
        // not be opened is tried again for the next value.
        if (!key_) key_ = store_.Open(root_, keyPath_, OpenMode::Create);
        if (key_ && key_->SetValue(name, *value))
            ++result_.values;
        else
            ++result_.notWritten;
    }

    Store& store_;
    const ImportKeyFilter& filter_;
    ImportResult& result_;
    Root root_ = Root::CurrentUser;
    bool rootTaken_ = true;
    bool keyTaken_ = true;
    bool skippingBlock_ = false;
    bool beforeFirstHeader_ = false;
    std::string keyPath_;
    std::unique_ptr<StoreKey> key_;
};

// Splits a byte stream into lines at CR LF, CR or LF, the way ReadLines
// does, without holding more than one line: a backup of thousands of
// schedules is read in constant memory. Lines beyond kMaxBackupLine are
// dropped as they come.
class LineSplitter {
public:
    template <typename OnLine, typename OnOverlong>
    void Feed(std::string_view bytes, OnLine&& onLine, OnOverlong&& onOverlong) {
        for (std::size_t i = 0; i < bytes.size();) {
            if (afterCr_ && bytes[i] == '\n') {
                afterCr_ = false;
                ++i;
                continue;
            }
            afterCr_ = false;
            auto brk = bytes.find_first_of("\r\n", i);
            auto part = bytes.substr(i, brk == std::string_view::npos ? std::string_view::npos : brk - i);
            Append(part);
            if (brk == std::string_view::npos) return;
            afterCr_ = bytes[brk] == '\r';
            End(onLine, onOverlong);
            i = brk + 1;
        }
    }

    template <typename OnLine, typename OnOverlong>
    void Finish(OnLine&& onLine, OnOverlong&& onOverlong) {
        if (!line_.empty() || overlong_) End(onLine, onOverlong);
    }

private:
    void Append(std::string_view part) {
        if (overlong_) return;
        if (line_.size() + part.size() > kMaxBackupLine) {
            overlong_ = true;
            overlongHeader_ = (line_.empty() ? part : std::string_view(line_)).front() == '[';
            line_.clear();
            return;
        }
        line_.append(part);
    }

    template <typename OnLine, typename OnOverlong>
    void End(OnLine& onLine, OnOverlong& onOverlong) {
        if (overlong_)
            onOverlong(overlongHeader_);
        else
            onLine(std::string_view(line_));
        line_.clear();
        overlong_ = false;
    }

    std::string line_;
    bool overlong_ = false;
    bool overlongHeader_ = false;
    bool afterCr_ = false;
};

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (auto at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

std::string AddTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() != '\\') out += '\\';
    return out;
}

ExportResult ExportRegistryTree(Store& store, FileSystem& fs, std::string_view fileName, std::string_view keyPath) {
    Root root = Root::CurrentUser;
    std::string_view rootName;
    std::string_view path = keyPath;
    if (StartsWithNoCase(keyPath, "hkey_")) {
        std::tie(rootName, path) = SplitRoot(keyPath);
        auto r = LookupRoot(rootName);
        if (!r) return Failed(ExportResult::Outcome::UnknownRoot);
        root = *r;
    }
    auto out = fs.CreateReplacement(fileName);
    if (!out) return Failed(ExportResult::Outcome::WriteFailed);
    BackupWriter writer(fs, std::move(out));

    // Breadth first: a key's block, then its siblings', then the children.
    // Only keys with children wait in the queue, and their children are
    // taken one by one when their turn comes: the names of thousands of
    // schedules are never all held at once.
    std::deque<std::string> parents;
    std::string start(TrimPathSeparators(path));
    bool hasSubkeys = false;
    if (auto stop = WriteBlock(store, root, rootName, start, writer, hasSubkeys)) return *stop;
    if (hasSubkeys) parents.push_back(std::move(start));
    while (!parents.empty()) {
        std::string parent = std::move(parents.front());
        parents.pop_front();
        auto key = store.Open(root, parent, OpenMode::Read);
        if (!key) continue;
        for (std::size_t i = 0;; ++i) {
            auto sub = key->SubkeyName(i);
            if (!sub) break;
            std::string child = JoinKeyPath(parent, *sub);
            if (auto stop = WriteBlock(store, root, rootName, child, writer, hasSubkeys)) return *stop;
            if (hasSubkeys) parents.push_back(std::move(child));
        }
    }
    if (!writer.Finish()) return Failed(ExportResult::Outcome::WriteFailed);
    return {};
}

ImportResult ImportRegistryFile(Store& store, FileSystem& fs, std::string_view fileName, const ImportKeyFilter& filter) {
    ImportResult result;
    if (!fs.FileExists(fileName)) return result;
    auto in = fs.OpenReader(fileName);
    if (!in) return result;
    result.found = true;

    Importer importer(store, filter, result);
    LineSplitter splitter;
    bool first = true;
    auto onLine = [&](std::string_view bytes) {
        // An editor may have put a UTF-8 byte-order mark before the first
        // header when the user opened the file.
        if (std::exchange(first, false) && bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
        importer.Line(fs.FromFileText(bytes));
    };
    auto onOverlong = [&](bool header) {
        first = false;
        importer.Overlong(header);
    };
    std::string block(kWriteBlock, '\0');
    for (;;) {
        auto n = in->Read(block.data(), block.size());
        if (n < 0) result.readToEnd = false;
        if (n <= 0) break;
        splitter.Feed(std::string_view(block.data(), static_cast<std::size_t>(n)), onLine, onOverlong);
    }
    splitter.Finish(onLine, onOverlong);
    return result;
}

}  // namespace pw::backup
