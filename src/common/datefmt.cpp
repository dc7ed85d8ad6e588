#include "common/datefmt.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/errors.h"
#include "common/text.h"

namespace pw {

namespace {

// ---------------------------------------------------------------------------
// Patterns

enum class El : std::uint8_t {
    Literal,
    Day, Day2, DayShort, DayLong, DateShort, DateLong,
    Month, Month2, MonthShort, MonthLong,
    Year2, Year4,
    Hour, Hour2,
    Minute, Minute2,
    Second, Second2,
    Milli, Milli3,
    TimeShort, TimeLong,
    DateAndTime,
    AmPmLetters,  // am/pm as written
    APLetters,    // a/p as written
    AmPmLocale,   // ampm: the locale's designator
    DateSep, TimeSep,
};

struct Element {
    El kind;
    std::string_view text;  // literal text, or the letters of am/pm and a/p
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z'; }

// text[at..] begins with word, ASCII letters compared in either case.
bool StartsWithAt(std::string_view text, std::size_t at, std::string_view word) {
    if (word.empty() || text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(text[at + i]) != LowerAscii(word[i])) return false;
    return true;
}

bool IsAmPm(El k) { return k == El::AmPmLetters || k == El::APLetters || k == El::AmPmLocale; }

// Splits a pattern into its elements. "m" and "mm" are minutes when the
// element before them (literal text and separators do not count) is an
// hour; a run of letters longer than its longest element is read as that
// element followed by the rest of the run.
std::vector<Element> Scan(std::string_view p) {
    std::vector<Element> out;
    bool afterHour = false;
    auto field = [&](El k, std::string_view text = {}) {
        out.push_back({k, text});
        afterHour = k == El::Hour || k == El::Hour2;
    };
    auto literal = [&](std::string_view text) {
        if (text.empty()) return;
        if (!out.empty() && out.back().kind == El::Literal &&
            out.back().text.data() + out.back().text.size() == text.data()) {
            out.back().text = std::string_view(out.back().text.data(), out.back().text.size() + text.size());
        } else {
            out.push_back({El::Literal, text});
        }
    };
    std::size_t i = 0;
    while (i < p.size()) {
        const char c = p[i];
        if (c == '"' || c == '\'') {
            // An unclosed quote runs to the end of the pattern.
            std::size_t end = p.find(c, i + 1);
            if (end == std::string_view::npos) end = p.size();
            out.push_back({El::Literal, p.substr(i + 1, end - i - 1)});
            i = end == p.size() ? end : end + 1;
            continue;
        }
        const char l = LowerAscii(c);
        if (l == 'a') {
            if (StartsWithAt(p, i, "am/pm")) {
                field(El::AmPmLetters, p.substr(i, 5));
                i += 5;
            } else if (StartsWithAt(p, i, "a/p")) {
                field(El::APLetters, p.substr(i, 3));
                i += 3;
            } else if (StartsWithAt(p, i, "ampm")) {
                field(El::AmPmLocale);
                i += 4;
            } else {
                literal(p.substr(i++, 1));
            }
            continue;
        }
        std::size_t n = 1;
        while (i + n < p.size() && LowerAscii(p[i + n]) == l) ++n;
        switch (l) {
        case 'd': {
            n = std::min<std::size_t>(n, 6);
            static constexpr El kDays[] = {El::Day, El::Day2, El::DayShort, El::DayLong, El::DateShort, El::DateLong};
            field(kDays[n - 1]);
            break;
        }
        case 'm':
            n = std::min<std::size_t>(n, 4);
            if (n == 1) field(afterHour ? El::Minute : El::Month);
            else if (n == 2) field(afterHour ? El::Minute2 : El::Month2);
            else field(n == 3 ? El::MonthShort : El::MonthLong);
            break;
        case 'y':
            n = std::min<std::size_t>(n, 4);
            field(n <= 2 ? El::Year2 : El::Year4);
            break;
        case 'h':
            n = std::min<std::size_t>(n, 2);
            field(n == 1 ? El::Hour : El::Hour2);
            break;
        case 'n':
            n = std::min<std::size_t>(n, 2);
            field(n == 1 ? El::Minute : El::Minute2);
            break;
        case 's':
            n = std::min<std::size_t>(n, 2);
            field(n == 1 ? El::Second : El::Second2);
            break;
        case 'z':
            n = std::min<std::size_t>(n, 3);
            field(n < 3 ? El::Milli : El::Milli3);
            break;
        case 't':
            n = std::min<std::size_t>(n, 2);
            field(n == 1 ? El::TimeShort : El::TimeLong);
            break;
        case 'c':
            n = 1;
            field(El::DateAndTime);
            break;
        case '/':
            n = 1;
            out.push_back({El::DateSep, {}});
            break;
        case ':':
            n = 1;
            out.push_back({El::TimeSep, {}});
            break;
        default:
            n = 1;
            literal(p.substr(i, 1));
            break;
        }
        i += n;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Formatting

// Patterns of the locale may name other patterns of the locale (ddddd, t,
// c); a locale whose patterns name each other in a circle stops here.
constexpr int kMaxNesting = 3;

struct Moment {
    CivilDate date;
    CivilTime time;
    int dayOfWeek;  // 1 = Sunday
    // The store's texts keep every year whole: a two-digit year would come
    // back a century off once the date leaves the two-digit-year window.
    bool fullYears = false;
    bool pm() const { return time.hour >= 12; }
    bool midnight() const { return time == CivilTime{}; }
};

void AppendNumber(std::string& out, int value, int width) {
    char buf[12];
    int n = 0;
    unsigned v = static_cast<unsigned>(value < 0 ? 0 : value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (int k = n; k < width; ++k) out += '0';
    while (n > 0) out += buf[--n];
}

void Write(std::string& out, std::string_view pattern, const Moment& m, const Locale& loc, int depth);

// A locale pattern named by an element; an empty one writes nothing.
void Nested(std::string& out, const std::string& pattern, const Moment& m, const Locale& loc, int depth) {
    if (pattern.empty() || depth >= kMaxNesting) return;
    Write(out, pattern, m, loc, depth + 1);
}

void Write(std::string& out, std::string_view pattern, const Moment& m, const Locale& loc, int depth) {
    const auto elements = Scan(pattern);
    const bool twelve = std::any_of(elements.begin(), elements.end(), [](const Element& e) { return IsAmPm(e.kind); });
    int hour = m.time.hour;
    if (twelve) hour = hour % 12 == 0 ? 12 : hour % 12;
    for (const Element& e : elements) {
        switch (e.kind) {
        case El::Literal: out += e.text; break;
        case El::Day: AppendNumber(out, m.date.day, 1); break;
        case El::Day2: AppendNumber(out, m.date.day, 2); break;
        case El::DayShort: out += loc.shortDayNames[m.dayOfWeek - 1]; break;
        case El::DayLong: out += loc.longDayNames[m.dayOfWeek - 1]; break;
        case El::DateShort: Nested(out, loc.shortDatePattern, m, loc, depth); break;
        case El::DateLong: Nested(out, loc.longDatePattern, m, loc, depth); break;
        case El::Month: AppendNumber(out, m.date.month, 1); break;
        case El::Month2: AppendNumber(out, m.date.month, 2); break;
        case El::MonthShort: out += loc.shortMonthNames[m.date.month - 1]; break;
        case El::MonthLong: out += loc.longMonthNames[m.date.month - 1]; break;
        case El::Year2:
            if (m.fullYears) AppendNumber(out, m.date.year, 4);
            else AppendNumber(out, m.date.year % 100, 2);
            break;
        case El::Year4: AppendNumber(out, m.date.year, 4); break;
        case El::Hour: AppendNumber(out, hour, 1); break;
        case El::Hour2: AppendNumber(out, hour, 2); break;
        case El::Minute: AppendNumber(out, m.time.minute, 1); break;
        case El::Minute2: AppendNumber(out, m.time.minute, 2); break;
        case El::Second: AppendNumber(out, m.time.second, 1); break;
        case El::Second2: AppendNumber(out, m.time.second, 2); break;
        case El::Milli: AppendNumber(out, m.time.millisecond, 1); break;
        case El::Milli3: AppendNumber(out, m.time.millisecond, 3); break;
        case El::TimeShort: Nested(out, loc.shortTimePattern, m, loc, depth); break;
        case El::TimeLong: Nested(out, loc.longTimePattern, m, loc, depth); break;
        case El::DateAndTime:
            Nested(out, loc.shortDatePattern, m, loc, depth);
            if (!m.midnight()) {
                out += ' ';
                Nested(out, loc.longTimePattern, m, loc, depth);
            }
            break;
        case El::AmPmLetters: out += e.text.substr(m.pm() ? 3 : 0, 2); break;
        case El::APLetters: out += e.text[m.pm() ? 2 : 0]; break;
        case El::AmPmLocale: out += m.pm() ? loc.pmDesignator : loc.amDesignator; break;
        case El::DateSep: out += loc.dateSeparator; break;
        case El::TimeSep: out += loc.timeSeparator; break;
        }
    }
}

Moment MomentOf(DateTime value) {
    if (!IsValidDateTime(value)) throw ConvertError("Invalid date-time value");
    Moment m;
    DecodeDateTime(value, m.date, m.time);
    m.dayOfWeek = DayOfWeek(value);
    return m;
}

std::string Format(std::string_view pattern, const Moment& m, const Locale& loc) {
    std::string out;
    Write(out, pattern.empty() ? std::string_view("c") : pattern, m, loc, 0);
    return out;
}

// ---------------------------------------------------------------------------
// Parsing

// Blanks may stand anywhere between the parts of a text: spaces, tabs and
// the no-break spaces some locales write.
std::size_t BlankAt(std::string_view s, std::size_t at) { return at < s.size() ? LeadingBlank(s.substr(at)) : 0; }

std::size_t CodePointLength(std::string_view s, std::size_t at) {
    const auto b = static_cast<unsigned char>(s[at]);
    std::size_t n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    return std::min(n, s.size() - at);
}

// What may stand between the parts of a text, taken from the pattern that
// writes it. "between" separators are the literal text the pattern writes
// between two of its fields (and the locale's own separator): two numbers
// need one of them. "leading" and "trailing" ones are the pattern's
// literal text before its first and after its last field; they may be
// left out. Names (weekdays, designators) are passed over in the pattern.
struct Separators {
    std::vector<std::string> between;
    std::vector<std::string> leading;
    std::vector<std::string> trailing;
    // The most separators the pattern writes between two fields, so that a
    // doubled one ("12//25") is not taken for a single one.
    int maxBetween = 1;
    int maxLeading = 0;
    int maxTrailing = 0;
    int weekdayNames = 0;  // ddd and dddd elements
    bool monthNames = false;
    bool milliseconds = false;
};

// Adds the pieces of literal text as separators; returns how many there
// were, not counting blanks.
int AddLiteral(std::vector<std::string>& to, std::string_view text) {
    int pieces = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n;
        if (IsAsciiLetter(text[i])) {
            // Words match whole ("de" in "d de mmmm"), letters alone would
            // let any letter through.
            n = 1;
            while (i + n < text.size() && IsAsciiLetter(text[i + n])) ++n;
        } else {
            n = CodePointLength(text, i);
        }
        const std::string_view piece = text.substr(i, n);
        if (!IsDigit(piece[0]) && !BlankAt(piece, 0)) {
            ++pieces;
            if (std::find(to.begin(), to.end(), piece) == to.end()) to.emplace_back(piece);
        }
        i += n;
    }
    return pieces;
}

template <class IsField>
Separators SeparatorsOf(std::string_view pattern, const Locale& loc, IsField isField) {
    Separators s;
    std::string pending;
    bool seenField = false;
    bool blankBetween = false;
    for (const Element& e : Scan(pattern)) {
        if (e.kind == El::Milli || e.kind == El::Milli3) s.milliseconds = true;
        if (e.kind == El::MonthShort || e.kind == El::MonthLong) s.monthNames = true;
        if (e.kind == El::DayShort || e.kind == El::DayLong) ++s.weekdayNames;
        if (isField(e.kind)) {
            if (seenField) {
                s.maxBetween = std::max(s.maxBetween, AddLiteral(s.between, pending));
                if (pending.find(' ') != std::string::npos) blankBetween = true;
            } else {
                s.maxLeading = AddLiteral(s.leading, pending);
            }
            pending.clear();
            seenField = true;
        } else if (e.kind == El::Literal) {
            pending += e.text;
        } else if (e.kind == El::DateSep) {
            pending += loc.dateSeparator;
        } else if (e.kind == El::TimeSep) {
            pending += loc.timeSeparator;
        }
    }
    (seenField ? s.maxTrailing : s.maxLeading) += AddLiteral(seenField ? s.trailing : s.leading, pending);
    // A pattern such as "dd mm yyyy" separates its numbers by blanks alone.
    if (blankBetween) s.between.emplace_back(" ");
    return s;
}

class Reader {
public:
    Reader(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    bool AtDigit() const { return !AtEnd() && IsDigit(text_[pos_]); }

    bool SkipBlank() {
        const std::size_t n = BlankAt(text_, pos_);
        pos_ += n;
        return n != 0;
    }
    // The longest of the words that stands here, by its index; -1 if none.
    template <std::size_t N>
    int MatchWord(const std::array<std::string, N>& words, std::size_t& length) const {
        int best = -1;
        for (std::size_t i = 0; i < N; ++i)
            if (words[i].size() > length && StartsWithAt(text_, pos_, words[i])) {
                best = int(i);
                length = words[i].size();
            }
        return best;
    }
    // Passes over the first of the words that stands here; the word, or
    // nothing.
    const std::string* MatchAny(const std::vector<std::string>& words) {
        for (const auto& w : words)
            if (StartsWithAt(text_, pos_, w)) {
                pos_ += w.size();
                return &w;
            }
        return nullptr;
    }
    void Advance(std::size_t n) { pos_ += n; }
    // A run of digits: false when it has more than maxDigits.
    bool ReadNumber(std::size_t maxDigits, int& value, int& digits) {
        std::size_t n = 0;
        while (pos_ + n < text_.size() && IsDigit(text_[pos_ + n])) ++n;
        if (n == 0 || n > maxDigits) return false;
        value = 0;
        for (std::size_t k = 0; k < n; ++k) value = value * 10 + (text_[pos_ + k] - '0');
        digits = int(n);
        pos_ += n;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_;
};

bool IsDateField(El k) {
    switch (k) {
    case El::Day: case El::Day2: case El::Month: case El::Month2: case El::MonthShort: case El::MonthLong:
    case El::Year2: case El::Year4:
        return true;
    default:
        return false;
    }
}

bool IsTimeField(El k) {
    switch (k) {
    case El::Hour: case El::Hour2: case El::Minute: case El::Minute2: case El::Second: case El::Second2:
    case El::Milli: case El::Milli3:
        return true;
    default:
        return false;
    }
}

// The order of day ('d'), month ('m') and year ('y') in the short date
// pattern; a part the pattern lacks comes after those it has, in the order
// month, day, year.
std::array<char, 3> DateOrder(std::string_view pattern) {
    std::array<char, 3> order{};
    int n = 0;
    auto add = [&](char c) {
        if (n < 3 && std::find(order.begin(), order.begin() + n, c) == order.begin() + n) order[n++] = c;
    };
    for (const Element& e : Scan(pattern)) {
        if (e.kind == El::Day || e.kind == El::Day2) add('d');
        else if (e.kind == El::Month || e.kind == El::Month2 || e.kind == El::MonthShort || e.kind == El::MonthLong) add('m');
        else if (e.kind == El::Year2 || e.kind == El::Year4) add('y');
    }
    add('m');
    add('d');
    add('y');
    return order;
}

// A year written with one or two digits lies in the hundred years ending
// at the locale's two-digit year maximum.
int FullYear(int value, int digits, int twoDigitYearMax) {
    if (digits > 2) return value;
    int year = twoDigitYearMax - twoDigitYearMax % 100 + value;
    if (year > twoDigitYearMax) year -= 100;
    return year;
}

// Reads a date at the reader's position: three parts (numbers, or a month
// name for the month) in the locale's order, with the locale's separators;
// weekday names are passed over. Leaves the reader after the date and the
// separators that follow it.
bool ReadDate(Reader& r, const Locale& loc, DateTime& out) {
    Separators seps = SeparatorsOf(loc.shortDatePattern, loc, IsDateField);
    seps.between.push_back(loc.dateSeparator);
    struct Part {
        int value;
        int digits;
        bool monthName;
    };
    std::array<Part, 3> parts{};
    int count = 0;
    int weekdays = 0;
    bool needSeparator = false;  // the last part was a number
    int separators = 0;          // since the last part
    int leading = 0, trailing = 0;
    // A weekday name where the pattern writes one; false when there is
    // none here, or one too many.
    auto weekday = [&]() {
        if (weekdays >= seps.weekdayNames) return false;
        std::size_t length = 0;
        r.MatchWord(loc.longDayNames, length);
        r.MatchWord(loc.shortDayNames, length);
        if (length == 0) return false;
        r.Advance(length);
        ++weekdays;
        return true;
    };
    while (!r.AtEnd() && count < 3) {
        if (seps.monthNames) {
            std::size_t length = 0;
            const int longMonth = r.MatchWord(loc.longMonthNames, length);
            const int shortMonth = r.MatchWord(loc.shortMonthNames, length);
            if (length > 0) {
                r.Advance(length);
                parts[count++] = Part{(shortMonth >= 0 ? shortMonth : longMonth) + 1, 0, true};
                needSeparator = false;
                separators = 0;
                continue;
            }
        }
        if (weekday()) {
            needSeparator = false;
            continue;
        }
        if (r.AtDigit()) {
            if (needSeparator) return false;
            Part p{0, 0, false};
            if (!r.ReadNumber(4, p.value, p.digits)) return false;
            parts[count++] = p;
            needSeparator = true;
            separators = 0;
            continue;
        }
        if (count > 0) {
            if (const std::string* sep = r.MatchAny(seps.between)) {
                // Blanks never count: any number of them may stand around
                // a separator.
                if (*sep != " " && ++separators > seps.maxBetween) return false;
                needSeparator = false;
                continue;
            }
        }
        if (count == 0 && leading < seps.maxLeading && r.MatchAny(seps.leading)) {
            ++leading;
            continue;
        }
        if (r.SkipBlank()) continue;
        return false;
    }
    if (count < 3) return false;
    // What the pattern writes after the date: literal text, a weekday.
    for (;;) {
        if (trailing < seps.maxTrailing && r.MatchAny(seps.trailing)) ++trailing;
        else if (!r.SkipBlank() && !weekday()) break;
    }

    int day = 0, month = 0, year = 0, yearDigits = 0;
    int names = 0;
    for (const Part& p : parts) names += p.monthName;
    if (names > 1) return false;
    const std::array<char, 3> order = DateOrder(loc.shortDatePattern);
    int next = 0;  // the next part that is a number
    for (char field : order) {
        if (field == 'm' && names == 1) {
            for (const Part& p : parts)
                if (p.monthName) month = p.value;
            continue;
        }
        while (parts[next].monthName) ++next;
        const Part& p = parts[next++];
        if (field == 'y') {
            year = p.value;
            yearDigits = p.digits;
        } else if (p.digits > 2) {
            return false;  // days and months have one or two digits
        } else if (field == 'd') {
            day = p.value;
        } else {
            month = p.value;
        }
    }
    return TryEncodeDate(FullYear(year, yearDigits, loc.twoDigitYearMax), month, day, out);
}

// Reads a time at the reader's position up to the end of the text: hours
// and minutes, then seconds and milliseconds if given, with an AM or PM
// designator before or after them. Without a designator the hours are
// 0 to 23 whatever the locale's clock, so the stored default texts read
// everywhere; with one they are 1 to 12.
bool ReadTime(Reader& r, const Locale& loc, DateTime& out) {
    Separators seps = SeparatorsOf(loc.longTimePattern, loc, IsTimeField);
    seps.between.push_back(loc.timeSeparator);
    seps.between.emplace_back(":");
    const std::array<std::string, 4> designators = {loc.amDesignator, loc.pmDesignator, "AM", "PM"};

    std::array<int, 4> numbers{};
    const int maxNumbers = seps.milliseconds ? 4 : 3;
    int count = 0;
    int separators = 0;
    int leading = 0, trailing = 0;
    int designator = -1;  // 0 AM, 1 PM
    bool designatorLast = false;
    bool needSeparator = false;
    bool danglingSeparator = false;
    while (!r.AtEnd()) {
        if (designator < 0 && (count == 0 || count >= 2)) {
            std::size_t length = 0;
            const int d = r.MatchWord(designators, length);
            if (d >= 0) {
                if (separators > 0 && danglingSeparator) return false;
                r.Advance(length);
                designator = d % 2;
                designatorLast = count > 0;
                needSeparator = false;
                separators = 0;
                continue;
            }
        }
        if (r.AtDigit()) {
            // Numbers come together, never on both sides of the designator.
            if (needSeparator || count == maxNumbers || designatorLast) return false;
            int digits = 0;
            if (!r.ReadNumber(count == 3 ? 3 : 2, numbers[count], digits)) return false;
            ++count;
            needSeparator = true;
            separators = 0;
            continue;
        }
        if (count > 0) {
            if (const std::string* sep = r.MatchAny(seps.between)) {
                if (*sep != " ") {
                    if (++separators > seps.maxBetween) return false;
                    // A separator that the pattern also writes after its
                    // last field may end the text; any other must be
                    // followed by a number.
                    danglingSeparator =
                        std::find(seps.trailing.begin(), seps.trailing.end(), *sep) == seps.trailing.end();
                }
                needSeparator = false;
                continue;
            }
        }
        if (count == 0 && leading < seps.maxLeading && r.MatchAny(seps.leading)) {
            ++leading;
            continue;
        }
        if (count >= 2 && trailing < seps.maxTrailing && r.MatchAny(seps.trailing)) {
            ++trailing;
            continue;
        }
        if (r.SkipBlank()) continue;
        return false;
    }
    if (count < 2 || (separators > 0 && danglingSeparator)) return false;
    int hour = numbers[0];
    if (designator >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (designator == 1 ? 12 : 0);
    }
    return TryEncodeTime(hour, numbers[1], numbers[2], numbers[3], out);
}

bool ParseDate(std::string_view text, const Locale& loc, DateTime& out) {
    Reader r(text, 0);
    DateTime v;
    if (!ReadDate(r, loc, v) || !r.AtEnd()) return false;
    out = v;
    return true;
}

bool ParseTime(std::string_view text, const Locale& loc, DateTime& out) {
    Reader r(text, 0);
    DateTime v;
    if (!ReadTime(r, loc, v)) return false;
    out = v;
    return true;
}

bool ParseDateTime(std::string_view text, const Locale& loc, DateTime& out) {
    if (TrimBlanks(text) == "0") {
        out = 0;
        return true;
    }
    Reader r(text, 0);
    DateTime date;
    if (!ReadDate(r, loc, date)) return false;
    DateTime time = 0;
    if (!r.AtEnd() && !ReadTime(r, loc, time)) return false;
    out = date + time;
    return true;
}

Moment StoredMoment(DateTime value) {
    Moment m = MomentOf(value);
    m.fullYears = true;
    return m;
}

}  // namespace

bool PatternIsTwelveHour(std::string_view pattern) {
    const auto elements = Scan(pattern);
    return std::any_of(elements.begin(), elements.end(), [](const Element& e) { return IsAmPm(e.kind); });
}

std::string FormatDateTime(std::string_view pattern, DateTime value, const Locale& loc) {
    return Format(pattern, MomentOf(value), loc);
}

std::string DateToText(DateTime value, const Locale& loc) { return Format("ddddd", StoredMoment(value), loc); }

std::string TimeToText(DateTime value, const Locale& loc) { return Format("tt", MomentOf(value), loc); }

std::string DateTimeToText(DateTime value, const Locale& loc) { return Format("c", StoredMoment(value), loc); }

std::string LogTimeStamp(DateTime value, const Locale& loc) {
    // Two patterns, not one joined: a quote left open in the date pattern
    // or an am/pm element in it must not reach the time.
    const Moment m = MomentOf(value);
    return Format("ddddd", m, loc) + ' ' + Format("hh:nn:ss", m, loc);
}

bool TryTextToDate(std::string_view text, const Locale& loc, DateTime& out) { return ParseDate(text, loc, out); }
bool TryTextToTime(std::string_view text, const Locale& loc, DateTime& out) { return ParseTime(text, loc, out); }
bool TryTextToDateTime(std::string_view text, const Locale& loc, DateTime& out) {
    return ParseDateTime(text, loc, out);
}

DateTime TextToDate(std::string_view text, const Locale& loc) {
    DateTime v;
    if (!ParseDate(text, loc, v)) throw ConvertError(FormatText("'%s' is not a valid date", QuotedValue(text)));
    return v;
}

DateTime TextToTime(std::string_view text, const Locale& loc) {
    DateTime v;
    if (!ParseTime(text, loc, v)) throw ConvertError(FormatText("'%s' is not a valid time", QuotedValue(text)));
    return v;
}

DateTime TextToDateTime(std::string_view text, const Locale& loc) {
    DateTime v;
    if (!ParseDateTime(text, loc, v)) throw ConvertError(FormatText("'%s' is not a valid date and time", QuotedValue(text)));
    return v;
}

}  // namespace pw
