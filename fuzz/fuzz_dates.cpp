// The date and time parsers and the pattern formatter under arbitrary
// input, with each built-in locale and two made-up ones. Nothing may crash,
// hang or raise anything but ConvertError; a text that parsed must give a
// valid value, and the text written from that value must parse back to it.
//
// Input: the first byte picks the locale, what is tried and how the rest
// is read: as the text itself, or byte by byte as pieces of dates, times
// and patterns, which reach the parsers' deeper paths far more often than
// random bytes do.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/datefmt.h"
#include "common/errors.h"

namespace {

using namespace pw;

void Check(bool ok, const char* what, std::string_view text) {
    if (ok) return;
    std::fprintf(stderr, "%s: [%.*s]\n", what, int(text.size()), text.data());
    std::abort();
}

Locale Made(std::string shortDate, std::string longTime, std::string dateSep, std::string timeSep) {
    Locale l = Locale::EnUS();
    l.shortDatePattern = std::move(shortDate);
    l.longTimePattern = std::move(longTime);
    l.dateSeparator = std::move(dateSep);
    l.timeSeparator = std::move(timeSep);
    l.twelveHour = PatternIsTwelveHour(l.longTimePattern);
    return l;
}

const Locale kLocales[] = {
    Locale::EnUS(),
    Locale::EnGB(),
    Locale::DeDE(),
    Locale::JaJP(),
    Made("ddd dd-mmm-yy", "hh.nn.ss.zzz ampm", "-", "."),
    Made("yyyy'年'm'月'd'日'", "h時nn分ss秒", "/", ":"),
};
constexpr unsigned kCount = sizeof kLocales / sizeof kLocales[0];

const DateTime kValues[] = {
    0, 0.5, -0.75, 46364.586909722, 2.0, double(kMinDay), kMaxDay + 0.99999, 36585.999999, 73050.25,
};

const char* const kPieces[] = {
    "0", "1", "2", "9", "12", "13", "24", "29", "30", "31", "32", "59", "60", "00", "99", "2024", "2025", "2026",
    "0001", "9999", "10000", "/", ".", "-", ":", ",", " ", "  ", "\t", "年", "月", "日", "時", "分", "秒",
    "Dec", "December", "Mär", "März", "Feb", "Tue", "Sonntag", "AM", "PM", "am", "pm", "午前", "午後", "'", "\"",
    "d", "dd", "ddd", "ddddd", "m", "mm", "mmm", "yy", "yyyy", "h", "hh", "n", "s", "z", "zzz", "t", "tt", "c",
    "ampm", "am/pm", "a/p", "x", "\xC2\xA0", "\xE2\x80\xAF", "\xFF",
};

std::string Pieces(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes) out += kPieces[b % (sizeof kPieces / sizeof kPieces[0])];
    return out;
}

// The raising parser says what the trying one said.
template <class Parse>
void Consistent(Parse parse, std::string_view text, bool ok, DateTime v) {
    try {
        const DateTime w = parse(text);
        Check(ok && w == v, "the raising parser disagrees", text);
    } catch (const ConvertError&) {
        Check(!ok, "the raising parser disagrees", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Locale& loc = kLocales[data[0] % kCount];
    const unsigned mode = data[0] / kCount % 4;
    const std::string_view raw(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string pieces = data[0] / kCount / 4 % 2 ? Pieces(raw) : std::string();
    const std::string_view text = pieces.empty() ? raw : std::string_view(pieces);
    DateTime v = -1;
    switch (mode) {
    case 0: {
        const bool ok = TryTextToDate(text, loc, v);
        Consistent([&](std::string_view t) { return TextToDate(t, loc); }, text, ok, v);
        if (!ok) break;
        Check(IsValidDateTime(v) && v == DateOf(v), "a date with a time or out of range", text);
        const std::string back = DateToText(v, loc);
        DateTime w = -1;
        Check(TryTextToDate(back, loc, w), "a written date does not parse", back);
        Check(w == v, "a date does not come back", back);
        break;
    }
    case 1: {
        const bool ok = TryTextToTime(text, loc, v);
        Consistent([&](std::string_view t) { return TextToTime(t, loc); }, text, ok, v);
        if (!ok) break;
        Check(v >= 0 && v < 1, "a time outside the day", text);
        const std::string back = TimeToText(v, loc);
        DateTime w = -1;
        Check(TryTextToTime(back, loc, w), "a written time does not parse", back);
        // Every long time pattern here writes what its parser reads.
        Check(w == v, "a time does not come back", back);
        break;
    }
    case 2: {
        const bool ok = TryTextToDateTime(text, loc, v);
        Consistent([&](std::string_view t) { return TextToDateTime(t, loc); }, text, ok, v);
        if (!ok) break;
        Check(IsValidDateTime(v), "a date-time out of range", text);
        const std::string back = DateTimeToText(v, loc);
        DateTime w = -1;
        Check(TryTextToDateTime(back, loc, w), "a written date-time does not parse", back);
        Check(w == v, "a date-time does not come back", back);
        break;
    }
    default: {
        const DateTime value = kValues[size % (sizeof kValues / sizeof kValues[0])];
        const std::string out = FormatDateTime(text, value, loc);
        // No element writes more than a long date and a long time.
        Check(out.size() <= 128 * (text.size() + 1), "formatting ran away", text);
        break;
    }
    }
    return 0;
}
