#include "log/trim.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace pw::log {

namespace {

using Status = TrimOutcome::Status;

TrimOutcome Fail() {
    TrimOutcome out;
    out.status = Status::Failed;
    return out;
}

// Finds line breaks in one block. Searching for CR and LF separately with
// memchr and remembering the next hit of each keeps the scan linear even
// when one of the two never occurs.
class BreakFinder {
public:
    BreakFinder(const char* data, std::size_t size) : data_(data), size_(size) {}
    // Index of the first CR or LF at or after from; size when there is none.
    std::size_t Next(std::size_t from) {
        if (!started_ || lf_ < from) lf_ = Find(from, '\n');
        if (!started_ || cr_ < from) cr_ = Find(from, '\r');
        started_ = true;
        return std::min(lf_, cr_);
    }

private:
    std::size_t Find(std::size_t from, char c) const {
        const void* hit = std::memchr(data_ + from, c, size_ - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data_) : size_;
    }
    const char* data_;
    std::size_t size_;
    std::size_t lf_ = 0;
    std::size_t cr_ = 0;
    bool started_ = false;
};

// Where the cut goes, decided line by line.
class CutTracker {
public:
    // Takes the age of the line that ends (with its break) at end. True when
    // trimming stops at this line.
    bool Line(LineAge age, std::uint64_t end) {
        ++lines_;
        switch (age) {
            case LineAge::Recent:
                return true;
            case LineAge::Old:
                // Older than the cutoff, so everything above it is too.
                Cut(end);
                break;
            case LineAge::Undated:
                if (!pending_) Cut(end);
                break;
            case LineAge::Unreadable:
                pending_ = true;
                break;
        }
        return false;
    }
    // A CR LF split across two blocks: the LF still belongs to the line.
    void ExtendBreak(std::uint64_t crEnd) {
        if (cut_ == crEnd && cutLines_ == lines_) ++cut_;
    }
    std::uint64_t cut() const { return cut_; }
    std::uint64_t cutLines() const { return cutLines_; }

private:
    void Cut(std::uint64_t end) {
        cut_ = end;
        cutLines_ = lines_;
        pending_ = false;
    }
    std::uint64_t cut_ = 0;
    std::uint64_t cutLines_ = 0;
    std::uint64_t lines_ = 0;
    bool pending_ = false;  // an unreadable line lies below the cut
};

}  // namespace

TrimOutcome TrimLeadingLines(FileSystem& fs, std::string_view path, const LineClassifier& classify,
                             std::size_t blockSize) {
    if (!fs.FileExists(path)) return {};
    auto reader = fs.OpenReader(path);
    if (!reader) return Fail();
    blockSize = std::max<std::size_t>(blockSize, 1);
    std::string block(blockSize, '\0');

    CutTracker cut;
    std::string head;
    head.reserve(kHeadBytes);
    bool longer = false;        // the current line goes on beyond its head
    bool splitBreak = false;    // the last block ended with a CR
    std::uint64_t blockStart = 0;
    bool stopped = false;

    auto endLine = [&](std::uint64_t end) {
        bool stop = cut.Line(classify(head, !longer), end);
        head.clear();
        longer = false;
        return stop;
    };

    while (!stopped) {
        auto got = reader->Read(block.data(), block.size());
        if (got < 0) return Fail();
        if (got == 0) break;
        auto n = static_cast<std::size_t>(got);
        const char* data = block.data();
        std::size_t i = 0;
        if (splitBreak) {
            splitBreak = false;
            if (data[0] == '\n') {
                cut.ExtendBreak(blockStart);
                i = 1;
            }
        }
        BreakFinder breaks(data, n);
        while (i < n) {
            std::size_t e = breaks.Next(i);
            std::size_t take = std::min(e - i, kHeadBytes - head.size());
            head.append(data + i, take);
            if (e - i > take) longer = true;
            if (e == n) break;  // the line goes on in the next block
            std::size_t breakLen = 1;
            if (data[e] == '\r') {
                if (e + 1 == n)
                    splitBreak = true;
                else if (data[e + 1] == '\n')
                    breakLen = 2;
            }
            if (endLine(blockStart + e + breakLen)) {
                stopped = true;
                break;
            }
            i = e + breakLen;
        }
        if (!stopped) blockStart += n;
    }
    // A last line without a line break ends at the end of the file.
    if (!stopped && (!head.empty() || longer)) endLine(blockStart);

    if (cut.cut() == 0) {
        TrimOutcome out;
        out.status = Status::Unchanged;
        return out;
    }

    auto writer = fs.CreateReplacement(path);
    if (!writer || !reader->Seek(cut.cut())) return Fail();
    char last = '\n';
    for (;;) {
        auto got = reader->Read(block.data(), block.size());
        if (got < 0) return Fail();
        if (got == 0) break;
        auto n = static_cast<std::size_t>(got);
        if (!writer->Write(std::string_view(block.data(), n))) return Fail();
        last = block[n - 1];
    }
    if (last != '\n' && last != '\r' && !writer->Write("\r\n")) return Fail();
    // The old file must be closed before it can be replaced.
    reader.reset();
    if (!writer->Commit()) return Fail();

    TrimOutcome out;
    out.status = Status::Trimmed;
    out.removedLines = cut.cutLines();
    out.removedBytes = cut.cut();
    return out;
}

}  // namespace pw::log
