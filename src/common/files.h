#pragma once
// Files as the program uses them: the event log, the configuration backup,
// the update check's temporary file. Windows implements FileSystem for the
// program (platform/win32), POSIX for the tests and benchmarks
// (platform/posix).
//
// Paths and texts are UTF-8 inside the program. Text files the program
// writes or reads line by line are in the system's ANSI code page; the
// implementation converts at its boundary. The byte-level access (FileReader,
// FileWriter) moves bytes unchanged, so copying part of a file never
// changes the lines it copies.
//
// No operation keeps a file open beyond its own call, except the reader and
// writer objects, which close their file when destroyed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// Sequential reading of a file's bytes from its start.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Reads up to size bytes into buffer: the count read, 0 at the end of
    // the file, -1 on a read error.
    virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
    // Moves to offset bytes from the start. False when that fails.
    virtual bool Seek(std::uint64_t offset) = 0;
};

// A new file written beside a target file, which takes the target's place
// only when all of it is on disk. Until Commit succeeds the target is not
// touched; destroying an uncommitted writer removes the new file.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Appends bytes unchanged. False when not all of them were written (a
    // full disk, for one); the writer then fails every later call.
    virtual bool Write(std::string_view bytes) = 0;
    // Makes the new content durable, then puts it in place of the target
    // (or at the target's path when there is none). False when anything
    // failed: the target then holds exactly what it held before.
    virtual bool Commit() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // A file (not a directory) exists at path.
    virtual bool FileExists(std::string_view path) = 0;
    virtual bool DirectoryExists(std::string_view path) = 0;
    // Creates the directory with any missing parents. True when it exists
    // afterwards.
    virtual bool MakeDirectories(std::string_view path) = 0;

    // Appends text (converted to the ANSI code page) and CR LF with one
    // write, creating the file when missing. A line that could not be
    // written in full is taken back, so a failure never leaves a fragment
    // that the next line would be glued to. A file marked read-only is
    // never written.
    virtual bool AppendLine(std::string_view path, std::string_view text) = 0;

    // The whole file as lines (CR LF, CR or LF; a break at the very end
    // starts no further line), converted from the ANSI code page. Nothing
    // when the file cannot be read.
    virtual std::optional<std::vector<std::string>> ReadLines(std::string_view path) = 0;

    // Byte access. Null when the file cannot be opened (or, for the writer,
    // when the new file cannot be created or the target is read-only).
    virtual std::unique_ptr<FileReader> OpenReader(std::string_view path) = 0;
    virtual std::unique_ptr<FileWriter> CreateReplacement(std::string_view path) = 0;

    // Text read from a file by byte access, converted from the ANSI code
    // page to UTF-8.
    virtual std::string FromFileText(std::string_view bytes) = 0;
    // The other way: UTF-8 text as the bytes a text file holds. Nothing
    // when the code page lacks a character of it, so that a caller who must
    // not lose anything can refuse instead of writing a stand-in.
    virtual std::optional<std::string> ToFileText(std::string_view text) = 0;

    virtual bool Remove(std::string_view path) = 0;
    // Copies from to to, replacing a file already at to.
    virtual bool CopyOver(std::string_view from, std::string_view to) = 0;
    // Names (not paths) of the files in dir matching pattern, "*" standing
    // for any run of characters and "?" for one, letter case ignored.
    virtual std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern) = 0;

    // The executable's directory with its trailing separator.
    virtual std::string ExecutableDirectory() = 0;
};

// Appends text as one line to the file at path, creating the file when
// missing. Every error is dropped: the line is lost and nothing is
// reported, because a log or backup line must never stop the program.
void AppendLine(FileSystem& fs, std::string_view path, std::string_view text);

// Splits text into lines at CR LF, CR or LF; a break at the very end starts
// no further line, and an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// Wildcard match used by ListFiles: "*" any run, "?" any one character,
// ASCII letters compared without case.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace pw
