#include "common/datefmt.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/errors.h"

namespace pw {
namespace {

Locale ByName(std::string_view name) {
    if (name == "en-US") return Locale::EnUS();
    if (name == "en-GB") return Locale::EnGB();
    if (name == "de-DE") return Locale::DeDE();
    return Locale::JaJP();
}

const char* const kLocales[] = {"en-US", "en-GB", "de-DE", "ja-JP"};

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

// Tuesday 8 December 2026, 14:05:09.007: two-digit day and month, an
// afternoon hour and one-digit minutes, seconds and milliseconds.
const DateTime kAfternoon = At(2026, 12, 8, 14, 5, 9, 7);
// Sunday 1 March 2026, 00:07:03.250: one-digit day and month, the hour
// after midnight.
const DateTime kMorning = At(2026, 3, 1, 0, 7, 3, 250);

struct FormatCase {
    const char* locale;
    const char* pattern;
    DateTime value;
    const char* expected;
};

class Formatting : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formatting, WritesEachElement) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatDateTime(c.pattern, c.value, ByName(c.locale)), c.expected) << c.locale << " [" << c.pattern << "]";
}

const FormatCase kElements[] = {
    // Day, weekday and the locale's date forms.
    {"en-US", "d", kAfternoon, "8"},
    {"en-US", "dd", kAfternoon, "08"},
    {"en-US", "d", kMorning, "1"},
    {"en-US", "dd", kMorning, "01"},
    {"en-US", "ddd", kAfternoon, "Tue"},
    {"en-US", "dddd", kAfternoon, "Tuesday"},
    {"en-US", "ddd", kMorning, "Sun"},
    {"en-US", "ddddd", kAfternoon, "12/8/2026"},
    {"en-US", "dddddd", kAfternoon, "Tuesday, December 8, 2026"},
    {"en-GB", "ddddd", kAfternoon, "08/12/2026"},
    {"en-GB", "dddddd", kMorning, "01 March 2026"},
    {"de-DE", "ddd dddd", kAfternoon, "Di Dienstag"},
    {"de-DE", "dddddd", kMorning, "Sonntag, 1. März 2026"},
    {"ja-JP", "ddd dddd", kAfternoon, "火 火曜日"},
    {"ja-JP", "dddddd", kAfternoon, "2026年12月8日"},
    // Month.
    {"en-US", "m", kMorning, "3"},
    {"en-US", "mm", kMorning, "03"},
    {"en-US", "m mm", kAfternoon, "12 12"},
    {"en-US", "mmm mmmm", kMorning, "Mar March"},
    {"de-DE", "mmm mmmm", kMorning, "Mär März"},
    {"ja-JP", "mmm", kAfternoon, "12月"},
    // Year.
    {"en-US", "yy yyyy", kAfternoon, "26 2026"},
    {"en-US", "yy yyyy", At(5, 1, 1), "05 0005"},
    {"en-US", "yy yyyy", At(2000, 1, 1), "00 2000"},
    // Hours: 24-hour without an am/pm element, 12-hour with one anywhere.
    {"en-US", "h hh", kAfternoon, "14 14"},
    {"en-US", "h hh", kMorning, "0 00"},
    {"en-US", "h ampm", kAfternoon, "2 PM"},
    {"en-US", "hh ampm", kMorning, "12 AM"},
    {"en-US", "ampm h", At(2026, 1, 1, 12), "PM 12"},
    {"en-US", "h:nn am/pm", kAfternoon, "2:05 pm"},
    {"en-US", "h:nn AM/PM", kMorning, "12:07 AM"},
    {"en-US", "h:nn Am/pM", kAfternoon, "2:05 pM"},
    {"en-US", "h a/p", kAfternoon, "2 p"},
    {"en-US", "h A/P", kMorning, "12 A"},
    {"en-US", "hh AMPM", At(2026, 1, 1, 11, 59), "11 AM"},
    {"ja-JP", "ampm h:nn", kAfternoon, "午後 2:05"},
    {"de-DE", "hh:nn ampm", kAfternoon, "02:05 PM"},
    // An am/pm inside quotes is text and leaves the hours 24-hour.
    {"en-US", "h 'ampm'", kAfternoon, "14 ampm"},
    // Minutes, seconds, milliseconds.
    {"en-US", "n nn", kAfternoon, "5 05"},
    {"en-US", "s ss", kAfternoon, "9 09"},
    {"en-US", "z zzz", kAfternoon, "7 007"},
    {"en-US", "z zzz", kMorning, "250 250"},
    // The locale's time forms and c.
    {"en-US", "t", kAfternoon, "2:05 PM"},
    {"en-US", "tt", kAfternoon, "2:05:09 PM"},
    {"en-GB", "t|tt", kMorning, "00:07|00:07:03"},
    {"en-US", "c", kAfternoon, "12/8/2026 2:05:09 PM"},
    {"en-US", "c", At(2026, 12, 8), "12/8/2026"},
    {"de-DE", "c", kMorning, "01.03.2026 00:07:03"},
    {"en-US", "", kAfternoon, "12/8/2026 2:05:09 PM"},
    {"en-US", "", At(2026, 12, 8), "12/8/2026"},
    {"en-US", "c", 0.5, "12/30/1899 12:00:00 PM"},
    // Month or minutes: m and mm are minutes right after an hour element,
    // with only literal text or separators between.
    {"en-US", "h:m", kAfternoon, "14:5"},
    {"en-US", "hh:mm", kAfternoon, "14:05"},
    {"en-US", "hhmm", kAfternoon, "1405"},
    {"en-US", "h 'x' m", kAfternoon, "14 x 5"},
    {"en-US", "hh:mm:ss mm", kAfternoon, "14:05:09 12"},
    {"en-US", "hh:nn mm", kAfternoon, "14:05 12"},
    {"en-US", "mm/dd hh", kAfternoon, "12/08 14"},
    {"en-US", "h mmm", kAfternoon, "14 Dec"},
    {"en-US", "h ampm mm", kAfternoon, "2 PM 12"},
    {"en-US", "hh:mm ampm", kMorning, "12:07 AM"},
    // Letters in either case.
    {"en-US", "DD.MM.YYYY", kAfternoon, "08.12.2026"},
    {"en-US", "HH:MM:SS", kAfternoon, "14:05:09"},
    {"en-US", "HH:mm:ss", kMorning, "00:07:03"},
    {"en-US", "DDDD MMM", kAfternoon, "Tuesday Dec"},
    {"en-US", "C", At(2026, 12, 8), "12/8/2026"},
    {"en-US", "N:S Z T", kAfternoon, "5:9 7 2:05 PM"},
    // The separators are the locale's.
    {"de-DE", "d/m/yy", kAfternoon, "8.12.26"},
    {"de-DE", "hh:nn", kAfternoon, "14:05"},
    {"ja-JP", "yyyy/mm/dd", kMorning, "2026/03/01"},
    // Quoted text and other characters.
    {"en-US", "'d' \"m\"", kAfternoon, "d m"},
    {"en-US", "\"it's\" d", kAfternoon, "it's 8"},
    {"en-US", "'say \"hi\"'", kAfternoon, "say \"hi\""},
    {"en-US", "d''m", kAfternoon, "812"},
    {"en-US", "d 'open", kAfternoon, "8 open"},
    {"en-US", "#[d]-(m)_{yy}%", kAfternoon, "#[8]-(12)_{26}%"},
    {"en-US", "d日 é", kAfternoon, "8日 é"},
    {"en-US", "b e f g i j k l o p q r u v w x", kAfternoon, "b e f g i j k l o p q r u v w x"},
    {"en-US", "a p", kAfternoon, "a p"},
    // Runs longer than the longest element.
    {"en-US", "ddddddd", kAfternoon, "Tuesday, December 8, 20268"},
    {"en-US", "mmmmm", kAfternoon, "December12"},
    {"en-US", "yyyyy", kAfternoon, "202626"},
    {"en-US", "hhh", kAfternoon, "1414"},
    {"en-US", "zzzz", kAfternoon, "0077"},
};
INSTANTIATE_TEST_SUITE_P(Elements, Formatting, ::testing::ValuesIn(kElements),
                         [](const auto& info) { return std::to_string(info.index); });

Locale Custom(std::string shortDate, std::string dateSep = "/", std::string timeSep = ":") {
    Locale l = Locale::EnGB();
    l.shortDatePattern = std::move(shortDate);
    l.dateSeparator = std::move(dateSep);
    l.timeSeparator = std::move(timeSep);
    return l;
}

TEST(Formatting, OtherSeparatorsOfTheLocale) {
    const Locale l = Custom("yyyy/mm/dd", "-", ".");
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", kAfternoon, l), "2026-12-08 14.05.09");
    EXPECT_EQ(FormatDateTime("c", kAfternoon, l), "2026-12-08 14.05.09");
    EXPECT_EQ(FormatDateTime("'/:'", kAfternoon, l), "/:");
}

TEST(Formatting, LocalePatternsThatNameEachOtherStop) {
    Locale l = Locale::EnUS();
    l.shortDatePattern = "ddddd";
    l.longDatePattern = "c";
    l.longTimePattern = "dddddd tt";
    for (const char* p : {"ddddd", "dddddd", "c", "tt", ""}) EXPECT_NO_THROW(FormatDateTime(p, kAfternoon, l)) << p;
    l.shortDatePattern = "";
    EXPECT_EQ(FormatDateTime("[ddddd]", kAfternoon, l), "[]");
}

TEST(Formatting, ValuesWithoutADateRaise) {
    const Locale l = Locale::EnUS();
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     double(kMinDay) - 0.5, double(kMaxDay + 1), 1e18}) {
        try {
            FormatDateTime("hh:nn", v, l);
            ADD_FAILURE() << v;
        } catch (const ConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid date-time value");
        }
        EXPECT_THROW(DateToText(v, l), ConvertError);
        EXPECT_THROW(LogTimeStamp(v, l), ConvertError);
    }
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", double(kMinDay), l), "0001-01-01 00:00");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", kMaxDay + EncodeTime(23, 59, 59, 999), l), "9999-12-31 23:59:59");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn ddd", -0.75, l), "1899-12-29 06:00 Fri");
}

TEST(Formatting, TwelveHourPatterns) {
    EXPECT_TRUE(PatternIsTwelveHour("h:nn AMPM"));
    EXPECT_TRUE(PatternIsTwelveHour("a/p h"));
    EXPECT_TRUE(PatternIsTwelveHour("h am/pm"));
    EXPECT_FALSE(PatternIsTwelveHour("hh:nn:ss"));
    EXPECT_FALSE(PatternIsTwelveHour("hh 'ampm'"));
    EXPECT_FALSE(PatternIsTwelveHour("am pm"));
}

// --- The text forms -------------------------------------------------------

struct WriterCase {
    const char* locale;
    const char* date;
    const char* time;
    const char* dateTime;
    const char* stamp;
};

TEST(TextForms, EachLocaleWritesItsOwnForms) {
    const WriterCase cases[] = {
        {"en-US", "12/8/2026", "2:05:09 PM", "12/8/2026 2:05:09 PM", "12/8/2026 14:05:09"},
        {"en-GB", "08/12/2026", "14:05:09", "08/12/2026 14:05:09", "08/12/2026 14:05:09"},
        {"de-DE", "08.12.2026", "14:05:09", "08.12.2026 14:05:09", "08.12.2026 14:05:09"},
        {"ja-JP", "2026/12/08", "14:05:09", "2026/12/08 14:05:09", "2026/12/08 14:05:09"},
    };
    for (const auto& c : cases) {
        const Locale l = ByName(c.locale);
        EXPECT_EQ(DateToText(kAfternoon, l), c.date) << c.locale;
        EXPECT_EQ(TimeToText(kAfternoon, l), c.time) << c.locale;
        EXPECT_EQ(DateTimeToText(kAfternoon, l), c.dateTime) << c.locale;
        EXPECT_EQ(LogTimeStamp(kAfternoon, l), c.stamp) << c.locale;
    }
}

TEST(TextForms, ADateTimeAtMidnightLeavesOutItsTime) {
    const Locale us = Locale::EnUS();
    EXPECT_EQ(DateTimeToText(At(2026, 12, 8), us), "12/8/2026");
    EXPECT_EQ(DateTimeToText(At(2026, 12, 8, 0, 0, 0, 1), us), "12/8/2026 12:00:00 AM");
    // A hair before midnight is midnight of the next day, as decoded.
    EXPECT_EQ(DateTimeToText(At(2026, 12, 8) + (86400 - 0.0004) / 86400, us), "12/9/2026");
    EXPECT_EQ(DateTimeToText(0, us), "12/30/1899");
    EXPECT_EQ(TimeToText(0, us), "12:00:00 AM");
    EXPECT_EQ(TimeToText(0, Locale::DeDE()), "00:00:00");
    // A period longer than a day writes its time of day.
    EXPECT_EQ(TimeToText(1.5, Locale::EnGB()), "12:00:00");
}

TEST(TextForms, StoredDatesKeepTheirCenturyWhereThePatternHasTwoDigitYears) {
    const Locale yy = Custom("dd/mm/yy");
    for (int year : {1900, 1949, 1950, 1975, 2049, 2050, 2075, 2099}) {
        const DateTime d = EncodeDate(year, 7, 4);
        EXPECT_EQ(DateToText(d, yy), "04/07/" + std::to_string(year));
        EXPECT_EQ(TextToDate(DateToText(d, yy), yy), d) << year;
        EXPECT_EQ(TextToDateTime(DateTimeToText(d + 0.5, yy), yy), d + 0.5) << year;
        // Shown to the user, the pattern is followed as it is.
        EXPECT_EQ(FormatDateTime("ddddd", d, yy), "04/07/" + std::to_string(year).substr(2));
    }
    EXPECT_EQ(LogTimeStamp(EncodeDate(2026, 12, 8), yy), "08/12/26 00:00:00");
}

TEST(TextForms, TheLogStampIsAlways24HourWithTheLocalesSeparators) {
    EXPECT_EQ(LogTimeStamp(At(2026, 12, 8, 6, 30, 5), Locale::EnGB()), "08/12/2026 06:30:05");
    EXPECT_EQ(LogTimeStamp(At(2026, 12, 8, 23, 0, 0, 999), Locale::EnUS()), "12/8/2026 23:00:00");
    EXPECT_EQ(LogTimeStamp(kAfternoon, Custom("dd/mm/yyyy", ".", ".")), "08.12.2026 14.05.09");
    // Neither an open quote nor an am/pm in the date pattern reaches the time.
    EXPECT_EQ(LogTimeStamp(kAfternoon, Custom("dd/mm/yyyy 'x")), "08/12/2026 x 14:05:09");
    EXPECT_EQ(LogTimeStamp(kAfternoon, Custom("dd/mm/yyyy ampm")), "08/12/2026 PM 14:05:09");
}

// --- Reading --------------------------------------------------------------

TEST(RoundTrip, EveryDateFrom1900To2099InEachLocale) {
    for (const char* name : kLocales) {
        const Locale l = ByName(name);
        for (std::int64_t day = DaysFromCivil({1900, 1, 1}); day <= DaysFromCivil({2099, 12, 31}); ++day) {
            const std::string text = DateToText(double(day), l);
            DateTime back = -1;
            ASSERT_TRUE(TryTextToDate(text, l, back)) << name << " " << text;
            ASSERT_EQ(back, double(day)) << name << " " << text;
            ASSERT_EQ(DateToText(back, l), text);
        }
    }
}

TEST(RoundTrip, EverySecondStepOfTheDayInEachLocale) {
    for (const char* name : kLocales) {
        const Locale l = ByName(name);
        for (int s = 0; s < 86400; s += 7) {
            const DateTime t = EncodeTime(s / 3600, s / 60 % 60, s % 60, 0);
            const std::string text = TimeToText(t, l);
            DateTime back = -1;
            ASSERT_TRUE(TryTextToTime(text, l, back)) << name << " " << text;
            ASSERT_EQ(back, t) << name << " " << text;
        }
    }
}

TEST(RoundTrip, DateTimesInEachLocale) {
    const DateTime moments[] = {kAfternoon - 0.007 / 86400, kMorning - 0.25 / 86400, At(2024, 2, 29),
                                At(2024, 2, 29, 12), At(2000, 1, 1, 0, 0, 1), At(9999, 12, 31, 23, 59, 59),
                                At(1, 1, 1, 0, 0, 0)};
    for (const char* name : kLocales) {
        const Locale l = ByName(name);
        for (DateTime m : moments) {
            const std::string text = DateTimeToText(m, l);
            EXPECT_EQ(TextToDateTime(text, l), m) << name << " " << text;
        }
    }
}

struct DateCase {
    const char* locale;
    const char* text;
    CivilDate date;
};

TEST(ReadingDates, AsAUserOfTheLocaleWritesThem) {
    const DateCase cases[] = {
        {"en-US", "12/25/2026", {2026, 12, 25}},
        {"en-US", "1/2/2026", {2026, 1, 2}},
        {"en-US", "01/02/2026", {2026, 1, 2}},
        {"en-US", "  12/25/2026\t", {2026, 12, 25}},
        {"en-US", "12 / 25 / 2026", {2026, 12, 25}},
        {"en-US", "2/29/2024", {2024, 2, 29}},
        {"en-US", "12/31/9999", {9999, 12, 31}},
        {"en-US", "1/1/0001", {1, 1, 1}},
        {"en-US", "1/1/1", {2001, 1, 1}},
        {"en-US", "12/25/0026", {26, 12, 25}},
        {"en-GB", "25/12/2026", {2026, 12, 25}},
        {"en-GB", "5/1/2026", {2026, 1, 5}},
        {"de-DE", "25.12.2026", {2026, 12, 25}},
        {"de-DE", "1.2.26", {2026, 2, 1}},
        {"de-DE", "01. 02. 2026", {2026, 2, 1}},
        {"ja-JP", "2026/12/25", {2026, 12, 25}},
        {"ja-JP", "26/1/5", {2026, 1, 5}},
    };
    for (const auto& c : cases) {
        DateTime v = -1;
        ASSERT_TRUE(TryTextToDate(c.text, ByName(c.locale), v)) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(DecodeDate(v), c.date) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(v, DateOf(v)) << "a date has no time";
    }
}

TEST(ReadingDates, TwoDigitYearsFallInTheLocalesHundredYears) {
    struct Case {
        int max;
        const char* text;
        int year;
    } cases[] = {
        {2049, "1/1/00", 2000}, {2049, "1/1/49", 2049}, {2049, "1/1/50", 1950}, {2049, "1/1/99", 1999},
        {2029, "1/1/29", 2029}, {2029, "1/1/30", 1930}, {2099, "1/1/99", 2099}, {2099, "1/1/0", 2000},
        {2049, "1/1/026", 26},  {2049, "1/1/2050", 2050},
    };
    for (const auto& c : cases) {
        Locale l = Locale::EnUS();
        l.twoDigitYearMax = c.max;
        EXPECT_EQ(DecodeDate(TextToDate(c.text, l)).year, c.year) << c.max << " " << c.text;
    }
}

TEST(ReadingDates, ShortDatePatternsWithNamesAndLiterals) {
    struct Case {
        Locale loc;
        const char* text;
        CivilDate date;
    } cases[] = {
        {Custom("dd-mmm-yy", "-"), "25-Dec-26", {2026, 12, 25}},
        {Custom("dd-mmm-yy", "-"), "25-DEC-26", {2026, 12, 25}},
        {Custom("dd-mmm-yy", "-"), "25-December-2026", {2026, 12, 25}},
        {Custom("dd-mmm-yy", "-"), "25-12-26", {2026, 12, 25}},
        {Custom("mmmm d, yyyy"), "March 1, 2026", {2026, 3, 1}},
        {Custom("ddd dd/mm/yyyy"), "Tue 08/12/2026", {2026, 12, 8}},
        {Custom("ddd dd/mm/yyyy"), "08/12/2026", {2026, 12, 8}},
        {Custom("yyyy年m月d日"), "2026年12月8日", {2026, 12, 8}},
        {Custom("dd mm yyyy", " "), "08 12 2026", {2026, 12, 8}},
        {Custom("yyyy/mm/dd", "-"), "2026-12-08", {2026, 12, 8}},
        {Custom("dd' de 'mmmm' de 'yyyy"), "8 de December de 2026", {2026, 12, 8}},
    };
    for (const auto& c : cases) {
        DateTime v = -1;
        ASSERT_TRUE(TryTextToDate(c.text, c.loc, v)) << c.loc.shortDatePattern << " [" << c.text << "]";
        EXPECT_EQ(DecodeDate(v), c.date) << c.loc.shortDatePattern << " [" << c.text << "]";
        // And what the pattern writes reads back.
        const std::string written = DateToText(v, c.loc);
        EXPECT_EQ(TextToDate(written, c.loc), v) << written;
    }
}

TEST(ReadingDates, ShortDatePatternsWithNamesAndLiteralsRejectWhatTheyDoNotWrite) {
    struct Case {
        Locale loc;
        const char* text;
    } cases[] = {
        {Custom("ddd dd/mm/yyyy"), "Tue Tue 08/12/2026"},
        {Custom("ddd dd/mm/yyyy"), "08/Tue/12/2026"},
        {Custom("dd-mmm-yy", "-"), "25-Dec-Dec"},
        {Custom("dd-mmm-yy", "-"), "25-Decx-26"},
        {Custom("yyyy年m月d日"), "日2026年12月8"},
        {Custom("yyyy年m月d日"), "2026年12日8"},
        {Custom("yyyy年m月d日"), "2026年12月8日日"},
    };
    for (const auto& c : cases) {
        DateTime v;
        EXPECT_FALSE(TryTextToDate(c.text, c.loc, v)) << c.loc.shortDatePattern << " [" << c.text << "]";
    }
}

struct BadCase {
    const char* locale;
    const char* text;
};

TEST(ReadingDates, BadTextsRaiseTheDateError) {
    const BadCase cases[] = {
        {"en-US", ""},           {"en-US", "   "},         {"en-US", "abc"},          {"en-US", "12/32/2026"},
        {"en-US", "13/1/2026"},  {"en-US", "2/29/2025"},   {"en-US", "0/1/2026"},     {"en-US", "1/0/2026"},
        {"en-US", "12/25"},      {"en-US", "12/25/"},      {"en-US", "12/25/2026/1"}, {"en-US", "12/25/2026/"},
        {"en-US", "/12/25/2026"}, {"en-US", "12//25/2026"}, {"en-US", "12/25/10000"},  {"en-US", "12/25/0000"},
        {"en-US", "12-25-2026"}, {"en-US", "25.12.2026"},  {"en-US", "12 25 2026"},   {"en-US", "12/ab/2026"},
        {"en-US", "12/25/2026 10:00"}, {"en-US", "12/25/2026x"}, {"en-US", "Dec/25/2026/1"},
        {"en-US", "00012/25/2026"}, {"en-US", "-1/25/2026"},   {"en-GB", "12/25/2026"}, {"de-DE", "31.4.2026"},
        {"de-DE", "25.12.2026."},  {"de-DE", "25/12/2026"}, {"ja-JP", "12/25/2026"}, {"ja-JP", "2026/2/30"},
        // Names only where the pattern writes them; days and months have
        // at most two digits.
        {"en-US", "Dec/25/2026"}, {"en-US", "Tue 12/25/2026"}, {"de-DE", "1. März 2026"},
        {"en-US", "012/25/2026"}, {"en-US", "12/025/2026"},
    };
    for (const auto& c : cases) {
        const Locale l = ByName(c.locale);
        DateTime v = -7;
        EXPECT_FALSE(TryTextToDate(c.text, l, v)) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(v, -7);
        try {
            TextToDate(c.text, l);
            ADD_FAILURE() << c.text;
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid date");
        }
    }
}

struct TimeCase {
    const char* locale;
    const char* text;
    int h, m, s;
};

TEST(ReadingTimes, AsAUserOfTheLocaleWritesThem) {
    std::vector<TimeCase> cases = {
        {"en-US", "9:30", 9, 30, 0},         {"en-US", "09:30:15", 9, 30, 15},  {"en-US", " 9 : 30 ", 9, 30, 0},
        {"en-US", "12:00 AM", 0, 0, 0},      {"en-US", "12:30 PM", 12, 30, 0},  {"en-US", "1:00 pm", 13, 0, 0},
        {"en-US", "11:59:59 PM", 23, 59, 59}, {"en-US", "AM 9:30", 9, 30, 0},   {"en-US", "9:30am", 9, 30, 0},
        {"en-US", "23:59:59", 23, 59, 59},   {"en-US", "0:0", 0, 0, 0},         {"en-GB", "14:05:09", 14, 5, 9},
        {"ja-JP", "午後 2:05:09", 14, 5, 9},  {"ja-JP", "2:05:09午前", 2, 5, 9}, {"ja-JP", "2:05 PM", 14, 5, 0},
        {"de-DE", "14:05", 14, 5, 0},
    };
    // The stored defaults read in every locale, 12-hour ones too.
    for (const char* name : kLocales) {
        cases.push_back({name, "00:00:00", 0, 0, 0});
        cases.push_back({name, "01:00:00", 1, 0, 0});
    }
    for (const auto& c : cases) {
        DateTime v = -1;
        ASSERT_TRUE(TryTextToTime(c.text, ByName(c.locale), v)) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(v, EncodeTime(c.h, c.m, c.s, 0)) << c.locale << " [" << c.text << "]";
    }
}

TEST(ReadingTimes, OtherSeparatorsAndLiteralsOfTheLocale) {
    Locale dots = Locale::EnGB();
    dots.timeSeparator = ".";
    dots.longTimePattern = "hh:nn:ss";
    EXPECT_EQ(TextToTime("14.05.09", dots), EncodeTime(14, 5, 9, 0));
    EXPECT_EQ(TextToTime("01:00:00", dots), EncodeTime(1, 0, 0, 0));

    Locale words = Locale::JaJP();
    words.longTimePattern = "h時nn分ss秒";
    EXPECT_EQ(TimeToText(kAfternoon, words), "14時05分09秒");
    EXPECT_EQ(TextToTime("14時05分09秒", words), EncodeTime(14, 5, 9, 0));
    EXPECT_EQ(TextToTime("14:05:09", words), EncodeTime(14, 5, 9, 0));

    Locale millis = Locale::EnGB();
    millis.longTimePattern = "hh:nn:ss.zzz";
    EXPECT_EQ(TimeToText(kAfternoon, millis), "14:05:09.007");
    EXPECT_EQ(TextToTime("14:05:09.007", millis), EncodeTime(14, 5, 9, 7));
    DateTime v;
    EXPECT_FALSE(TryTextToTime("14:05:09.007", Locale::EnGB(), v)) << "no milliseconds in its pattern";
}

TEST(ReadingTimes, BadTextsRaiseTheTimeError) {
    const BadCase cases[] = {
        {"en-US", ""},          {"en-US", "25:00"},       {"en-US", "24:00:00"},    {"en-US", "12:60"},
        {"en-US", "12:30:60"},  {"en-US", "13:00 PM"},    {"en-US", "0:30 AM"},     {"en-US", "9"},
        {"en-US", "9:"},        {"en-US", ":30"},         {"en-US", "9:30:"},       {"en-US", "9:30 XM"},
        {"en-US", "9:30 PM AM"}, {"en-US", "PM 9:30 PM"}, {"en-US", "9 PM"},        {"en-US", "9::30"},
        {"en-US", "abc"},       {"en-US", "9.30"},        {"en-US", "123:00"},      {"en-US", "9:300"},
        {"en-US", "9:30:00:00"}, {"en-US", "9 30"},       {"en-US", "PM"},          {"en-US", "9:30: PM"},
        {"en-US", "9: PM 30"},  {"en-US", "-1:00"},       {"de-DE", "14.05"},       {"ja-JP", "午後14:00"},
    };
    for (const auto& c : cases) {
        const Locale l = ByName(c.locale);
        DateTime v = -7;
        EXPECT_FALSE(TryTextToTime(c.text, l, v)) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(v, -7);
        try {
            TextToTime(c.text, l);
            ADD_FAILURE() << c.text;
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid time");
        }
    }
}

TEST(ReadingDateTimes, DatesWithOrWithoutATime) {
    struct Case {
        const char* locale;
        const char* text;
        DateTime value;
    } cases[] = {
        {"en-US", "0", 0},
        {"en-US", " 0 ", 0},
        {"de-DE", "0", 0},
        {"en-US", "12/8/2026", At(2026, 12, 8)},
        {"en-US", "12/8/2026 2:05:09 PM", At(2026, 12, 8, 14, 5, 9)},
        {"en-US", "12/8/2026  14:05", At(2026, 12, 8, 14, 5)},
        {"en-GB", "08/12/2026 00:00:00", At(2026, 12, 8)},
        {"de-DE", "8.12.2026 9:30", At(2026, 12, 8, 9, 30)},
        {"ja-JP", "2026/12/08 14:05:09", At(2026, 12, 8, 14, 5, 9)},
        {"ja-JP", "2026/12/08 午後 2:05:09", At(2026, 12, 8, 14, 5, 9)},
        {"en-US", "12/29/1899 6:00 AM", -0.75},
    };
    for (const auto& c : cases) {
        DateTime v = -1;
        ASSERT_TRUE(TryTextToDateTime(c.text, ByName(c.locale), v)) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(v, c.value) << c.locale << " [" << c.text << "]";
    }
    // A date pattern with blanks in it still finds where the time begins.
    Locale spaced = Locale::DeDE();
    spaced.shortDatePattern = "d. mmmm yyyy";
    EXPECT_EQ(DateTimeToText(kAfternoon - 0.007 / 86400, spaced), "8. Dezember 2026 14:05:09");
    EXPECT_EQ(TextToDateTime("8. Dezember 2026 14:05:09", spaced), At(2026, 12, 8, 14, 5, 9));
}

TEST(ReadingDateTimes, BadTextsRaiseTheDateAndTimeError) {
    const BadCase cases[] = {
        {"en-US", ""},         {"en-US", "00"},        {"en-US", "0 0"},           {"en-US", "0.0"},
        {"en-US", "2:05 PM"},  {"en-US", "12/8/2026 25:00"}, {"en-US", "12/8/2026 x"}, {"en-US", "12/8/2026 9"},
        {"en-US", "2/29/2025 10:00"}, {"de-DE", "08.12.2026 2:05 XM"},
    };
    for (const auto& c : cases) {
        const Locale l = ByName(c.locale);
        DateTime v = -7;
        EXPECT_FALSE(TryTextToDateTime(c.text, l, v)) << c.locale << " [" << c.text << "]";
        EXPECT_EQ(v, -7);
        try {
            TextToDateTime(c.text, l);
            ADD_FAILURE() << c.text;
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid date and time");
        }
    }
}

TEST(Parsing, AnErrorQuotesOnlyTheStartOfALongText) {
    const Locale loc = Locale::EnGB();
    const std::string euro = "\xE2\x82\xAC";  // three bytes
    struct Case {
        std::string text;
        std::string quoted;
    } cases[] = {
        {std::string(64, '1'), std::string(64, '1')},
        {std::string(65, '1'), std::string(64, '1') + "... (65 bytes)"},
        {std::string(1 << 20, '2'), std::string(64, '2') + "... (1048576 bytes)"},
        // A character across the cut stays out whole.
        {std::string(63, 'a') + euro + "b", std::string(63, 'a') + "... (67 bytes)"},
        {std::string(61, 'a') + euro + "b", std::string(61, 'a') + euro + "... (65 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        for (auto [parse, kind] : {std::pair{&TextToDate, "date"}, std::pair{&TextToTime, "time"},
                                   std::pair{&TextToDateTime, "date and time"}}) {
            try {
                parse(c.text, loc);
                ADD_FAILURE() << "no error";
            } catch (const ConvertError& e) {
                EXPECT_EQ(e.what(), "'" + c.quoted + "' is not a valid " + kind);
            }
        }
    }
}

}  // namespace
}  // namespace pw
