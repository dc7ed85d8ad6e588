#include "common/locale.h"

#include <gtest/gtest.h>

#include <set>

#include "common/datefmt.h"

namespace pw {
namespace {

Locale Separators(std::string date, std::string time, std::string am = "AM", std::string pm = "PM") {
    Locale l = Locale::EnUS();
    l.dateSeparator = std::move(date);
    l.timeSeparator = std::move(time);
    l.amDesignator = std::move(am);
    l.pmDesignator = std::move(pm);
    return l;
}

struct TranslationCase {
    const char* picture;
    const char* pattern;
    // What Windows writes with the picture for 2026-03-01 09:05:03 and
    // 2026-12-08 14:05:09, which the translated pattern must write too.
    const char* morning;
    const char* afternoon;
};

class Translation : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(Translation, WritesWhatTheWindowsPictureWrites) {
    const auto& c = GetParam();
    const Locale l = Locale::EnUS();
    const std::string pattern = TranslateWindowsPattern(c.picture, l);
    EXPECT_EQ(pattern, c.pattern) << c.picture;
    const DateTime morning = EncodeDate(2026, 3, 1) + EncodeTime(9, 5, 3, 0);
    const DateTime afternoon = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 9, 0);
    EXPECT_EQ(FormatDateTime(pattern, morning, l), c.morning) << c.picture;
    EXPECT_EQ(FormatDateTime(pattern, afternoon, l), c.afternoon) << c.picture;
}

const TranslationCase kPictures[] = {
    {"M/d/yyyy", "m/d/yyyy", "3/1/2026", "12/8/2026"},
    {"MM/dd/yy", "mm/dd/yy", "03/01/26", "12/08/26"},
    {"dd/MM/yyyy", "dd/mm/yyyy", "01/03/2026", "08/12/2026"},
    {"dd.MM.yyyy", "dd.mm.yyyy", "01.03.2026", "08.12.2026"},
    {"d.M.yyyy", "d.m.yyyy", "1.3.2026", "8.12.2026"},
    {"yyyy/MM/dd", "yyyy/mm/dd", "2026/03/01", "2026/12/08"},
    {"yyyy-MM-dd", "yyyy-mm-dd", "2026-03-01", "2026-12-08"},
    {"dddd, MMMM d, yyyy", "dddd, mmmm d, yyyy", "Sunday, March 1, 2026", "Tuesday, December 8, 2026"},
    {"ddd, MMM d", "ddd, mmm d", "Sun, Mar 1", "Tue, Dec 8"},
    {"dddd, d. MMMM yyyy", "dddd, d. mmmm yyyy", "Sunday, 1. March 2026", "Tuesday, 8. December 2026"},
    {"yyyy'年'M'月'd'日'", "yyyy年m月d日", "2026年3月1日", "2026年12月8日"},
    {"yyyy年M月d日dddd", "yyyy年m月d日dddd", "2026年3月1日Sunday", "2026年12月8日Tuesday"},
    {"d' de 'MMMM' de 'yyyy", "d \"de\" mmmm \"de\" yyyy", "1 de March de 2026", "8 de December de 2026"},
    {"'Day' d", "\"Day\" d", "Day 1", "Day 8"},
    {"'It''s' d", "\"It's\" d", "It's 1", "It's 8"},
    {"''d''", "\"'\"d\"'\"", "'1'", "'8'"},
    {"d \"x\"", "d '\"x\"'", "1 \"x\"", "8 \"x\""},
    {"d 'open", "d \"open\"", "1 open", "8 open"},
    {"D Y S T", "\"D\" \"Y\" \"S\" \"T\"", "D Y S T", "D Y S T"},
    {"ddddd MMMMM yyyyy", "dddd mmmm yyyy", "Sunday March 2026", "Tuesday December 2026"},
    {"y", "yy", "26", "26"},
    {"gg yyyy", " yyyy", " 2026", " 2026"},
    {"h:mm:ss tt", "h:nn:ss AMPM", "9:05:03 AM", "2:05:09 PM"},
    {"hh:mm tt", "hh:nn AMPM", "09:05 AM", "02:05 PM"},
    {"tt h:mm:ss", "AMPM h:nn:ss", "AM 9:05:03", "PM 2:05:09"},
    {"h:mm t", "h:nn A/P", "9:05 A", "2:05 P"},
    {"HH:mm:ss", "hh:nn:ss", "09:05:03", "14:05:09"},
    {"H:mm", "h:nn", "9:05", "14:05"},
    {"H:m:s", "h:n:s", "9:5:3", "14:5:9"},
    {"HH'h'mm", "hh\"h\"nn", "09h05", "14h05"},
    {"HH' h 'mm", "hh \"h\" nn", "09 h 05", "14 h 05"},
};
INSTANTIATE_TEST_SUITE_P(Pictures, Translation, ::testing::ValuesIn(kPictures),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(Translation, ElementsThatWouldRunTogetherStayApart) {
    // Two hour elements in a row must not become one two-digit hour.
    const std::string p = TranslateWindowsPattern("hH", Locale::EnUS());
    EXPECT_EQ(p, "h\"\"h");
    EXPECT_EQ(FormatDateTime(p, EncodeTime(9, 0, 0, 0), Locale::EnUS()), "99");
}

TEST(Translation, SeparatorsAreElementsOnlyWhenTheyAreTheLocales) {
    EXPECT_EQ(TranslateWindowsPattern("M/d/yyyy", Separators("/", ":")), "m/d/yyyy");
    EXPECT_EQ(TranslateWindowsPattern("M/d/yyyy", Separators("-", ":")), "m\"/\"d\"/\"yyyy");
    EXPECT_EQ(TranslateWindowsPattern("HH:mm", Separators("/", ".")), "hh\":\"nn");
    EXPECT_EQ(TranslateWindowsPattern("HH.mm", Separators("/", ".")), "hh.nn");
    const Locale dashes = Separators("-", ":");
    EXPECT_EQ(FormatDateTime(TranslateWindowsPattern("M/d/yyyy", dashes), EncodeDate(2026, 12, 8), dashes),
              "12/8/2026");
}

TEST(Translation, TheDesignatorsLetter) {
    EXPECT_EQ(TranslateWindowsPattern("h t", Separators("/", ":", "am", "pm")), "h a/p");
    EXPECT_EQ(TranslateWindowsPattern("h t", Separators("/", ":", "午前", "午後")), "h AMPM");
    EXPECT_EQ(TranslateWindowsPattern("h t", Separators("/", ":", "vorm.", "nachm.")), "h AMPM");
}

TEST(Translation, A24HourPictureGetsNoDesignator) {
    const std::string p = TranslateWindowsPattern("HH:mm tt", Locale::EnUS());
    EXPECT_EQ(p, "hh:nn ");
    EXPECT_FALSE(PatternIsTwelveHour(p));
    EXPECT_EQ(FormatDateTime(p, EncodeTime(14, 5, 0, 0), Locale::EnUS()), "14:05 ");
}

// What Windows gives for a locale, in its own order and picture language.
WindowsLocaleInfo WindowsEnUS() {
    WindowsLocaleInfo w;
    w.shortDate = "M/d/yyyy";
    w.longDate = "dddd, MMMM d, yyyy";
    w.longTime = "h:mm:ss tt";
    w.shortTime = "h:mm tt";
    w.dateSeparator = "/";
    w.timeSeparator = ":";
    w.shortDayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    w.longDayNames = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    w.shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    w.longMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    w.am = "AM";
    w.pm = "PM";
    w.twoDigitYearMax = 2049;
    return w;
}

WindowsLocaleInfo WindowsEnGB() {
    WindowsLocaleInfo w = WindowsEnUS();
    w.shortDate = "dd/MM/yyyy";
    w.longDate = "dd MMMM yyyy";
    w.longTime = "HH:mm:ss";
    w.shortTime = "HH:mm";
    return w;
}

WindowsLocaleInfo WindowsDeDE() {
    WindowsLocaleInfo w;
    w.shortDate = "dd.MM.yyyy";
    w.longDate = "dddd, d. MMMM yyyy";
    w.longTime = "HH:mm:ss";
    w.shortTime = "HH:mm";
    w.dateSeparator = ".";
    w.timeSeparator = ":";
    w.shortDayNames = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    w.longDayNames = {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
    w.shortMonthNames = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    w.longMonthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                        "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    w.am = "AM";
    w.pm = "PM";
    w.twoDigitYearMax = 2049;
    return w;
}

WindowsLocaleInfo WindowsJaJP() {
    WindowsLocaleInfo w;
    w.shortDate = "yyyy/MM/dd";
    w.longDate = "yyyy'年'M'月'd'日'";
    w.longTime = "H:mm:ss";
    w.shortTime = "H:mm";
    w.dateSeparator = "/";
    w.timeSeparator = ":";
    w.shortDayNames = {"月", "火", "水", "木", "金", "土", "日"};
    w.longDayNames = {"月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", "日曜日"};
    for (int i = 0; i < 12; ++i) w.shortMonthNames[i] = w.longMonthNames[i] = std::to_string(i + 1) + "月";
    w.am = "午前";
    w.pm = "午後";
    w.twoDigitYearMax = 2049;
    return w;
}

void ExpectSameLocale(const Locale& a, const Locale& b, const char* name) {
    SCOPED_TRACE(name);
    EXPECT_EQ(a.shortDatePattern, b.shortDatePattern);
    EXPECT_EQ(a.longDatePattern, b.longDatePattern);
    EXPECT_EQ(a.shortTimePattern, b.shortTimePattern);
    EXPECT_EQ(a.longTimePattern, b.longTimePattern);
    EXPECT_EQ(a.dateSeparator, b.dateSeparator);
    EXPECT_EQ(a.timeSeparator, b.timeSeparator);
    EXPECT_EQ(a.shortDayNames, b.shortDayNames);
    EXPECT_EQ(a.longDayNames, b.longDayNames);
    EXPECT_EQ(a.shortMonthNames, b.shortMonthNames);
    EXPECT_EQ(a.longMonthNames, b.longMonthNames);
    EXPECT_EQ(a.amDesignator, b.amDesignator);
    EXPECT_EQ(a.pmDesignator, b.pmDesignator);
    EXPECT_EQ(a.twelveHour, b.twelveHour);
    EXPECT_EQ(a.twoDigitYearMax, b.twoDigitYearMax);
}

TEST(BuiltInLocales, AreWhatWindowsGivesTranslated) {
    ExpectSameLocale(Locale::EnUS(), LocaleFromWindows(WindowsEnUS()), "en-US");
    ExpectSameLocale(Locale::EnGB(), LocaleFromWindows(WindowsEnGB()), "en-GB");
    ExpectSameLocale(Locale::DeDE(), LocaleFromWindows(WindowsDeDE()), "de-DE");
    ExpectSameLocale(Locale::JaJP(), LocaleFromWindows(WindowsJaJP()), "ja-JP");
}

TEST(BuiltInLocales, NamesAreDistinctAndStartOnSunday) {
    for (const Locale& l : {Locale::EnUS(), Locale::EnGB(), Locale::DeDE(), Locale::JaJP()}) {
        EXPECT_EQ(std::set<std::string>(l.longDayNames.begin(), l.longDayNames.end()).size(), 7u);
        EXPECT_EQ(std::set<std::string>(l.shortDayNames.begin(), l.shortDayNames.end()).size(), 7u);
        EXPECT_EQ(std::set<std::string>(l.longMonthNames.begin(), l.longMonthNames.end()).size(), 12u);
        EXPECT_EQ(std::set<std::string>(l.shortMonthNames.begin(), l.shortMonthNames.end()).size(), 12u);
        // 6 December 2026 is a Sunday.
        EXPECT_EQ(FormatDateTime("dddd", EncodeDate(2026, 12, 6), l), l.longDayNames[0]);
        EXPECT_EQ(l.twelveHour, PatternIsTwelveHour(l.longTimePattern));
    }
    EXPECT_EQ(Locale::DeDE().longDayNames[0], "Sonntag");
    EXPECT_EQ(Locale::JaJP().shortDayNames[6], "土");
}

TEST(LocaleFromWindows, WhatWindowsLeftEmptyFallsBack) {
    WindowsLocaleInfo w = WindowsDeDE();
    w.shortTime.clear();
    w.longDayNames[6].clear();  // Sunday
    w.shortMonthNames[0].clear();
    w.dateSeparator.clear();
    w.am.clear();
    w.pm.clear();
    w.twoDigitYearMax = 0;
    const Locale l = LocaleFromWindows(w);
    EXPECT_EQ(l.shortTimePattern, "hh:nn:ss") << "the long time stands in";
    EXPECT_EQ(l.longDayNames[0], "Sunday");
    EXPECT_EQ(l.longDayNames[1], "Montag");
    EXPECT_EQ(l.shortMonthNames[0], "Jan");
    EXPECT_EQ(l.dateSeparator, "/");
    EXPECT_EQ(l.shortDatePattern, "dd.mm.yyyy");
    EXPECT_EQ(l.amDesignator, "") << "a 24-hour locale may have none";
    EXPECT_EQ(l.twoDigitYearMax, 2049);

    WindowsLocaleInfo empty;
    const Locale e = LocaleFromWindows(empty);
    EXPECT_EQ(e.shortDatePattern, "m/d/yyyy");
    EXPECT_EQ(e.longTimePattern, "h:nn:ss AMPM");
    EXPECT_TRUE(e.twelveHour);
    EXPECT_EQ(DateToText(EncodeDate(2026, 12, 8), e), "12/8/2026");
}

TEST(LocaleFromWindows, TheUsersTwoDigitYearSetting) {
    WindowsLocaleInfo w = WindowsEnUS();
    w.twoDigitYearMax = 2029;
    const Locale l = LocaleFromWindows(w);
    EXPECT_EQ(l.twoDigitYearMax, 2029);
    EXPECT_EQ(DecodeDate(TextToDate("1/1/30", l)).year, 1930);
    w.twoDigitYearMax = 12345;
    EXPECT_EQ(LocaleFromWindows(w).twoDigitYearMax, 2049);
}

TEST(LocaleFromWindows, A12HourLocaleWithItsOwnDesignators) {
    WindowsLocaleInfo w = WindowsJaJP();
    w.longTime = "tt h:mm:ss";
    const Locale l = LocaleFromWindows(w);
    EXPECT_TRUE(l.twelveHour);
    const DateTime t = EncodeTime(14, 5, 9, 0);
    EXPECT_EQ(TimeToText(t, l), "午後 2:05:09");
    EXPECT_EQ(TextToTime("午後 2:05:09", l), t);
}

}  // namespace
}  // namespace pw
