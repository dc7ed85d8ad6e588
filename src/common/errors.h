#pragma once
// The program's error types. Only three kinds of failure are raised as
// exceptions: a stored value of the wrong type, a date or time text that
// does not parse, and a process that cannot be started. Everything else
// reports failure by its result. Handlers catch AppError at their boundary
// and show its text in the program's error box.

#include <stdexcept>
#include <string>
#include <string_view>

namespace pw {

class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stored value that cannot be read as the kind asked for, or a write the
// store refused.
class StoreError : public AppError {
public:
    using AppError::AppError;
};

// A date, time or date-time text that does not parse.
class ConvertError : public AppError {
public:
    using AppError::AppError;
};

// A program that could not be started.
class ProcessError : public AppError {
public:
    using AppError::AppError;
};

// Puts arg in place of the first "%s" of pattern ("Invalid data type for
// '%s'"). A pattern without "%s" is returned unchanged.
std::string FormatText(std::string_view pattern, std::string_view arg);

// A value that could not be used, as an error text or a log line quotes
// it: whole when it is short; otherwise its first kQuotedValueLimit bytes,
// never ending inside a character, marked with "..." and its full length
// ("20261208xxxx... (1048576 bytes)"). A stored value can be any size, and
// a message box or a log line repeated at every start must not be.
inline constexpr std::size_t kQuotedValueLimit = 64;
std::string QuotedValue(std::string_view value);
// The same for a text the system itself limits by its count of characters
// (UTF-16 units, as Windows counts them: a character beyond the 16-bit
// range is two): whole up to maxChars of them, so that anything the system
// would have taken is quoted in full; beyond that its first maxChars
// characters, marked as above. Only a text no system call accepts is
// hostile enough to cut.
std::string QuotedValueUpTo(std::string_view value, std::size_t maxChars);

}  // namespace pw
