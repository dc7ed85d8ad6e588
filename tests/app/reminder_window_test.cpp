#include "app/reminder_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/screen_units.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/reminder_item.h"
#include "support/fake_reminder_view.h"
#include "support/fake_store.h"

namespace pw::app {
namespace {

using pw::test::FakeReminderView;

class ReminderWindowTest : public ::testing::Test {
protected:
    ReminderWindowTest()
        : window(view, store, settings, [this](std::string_view m) { logged.emplace_back(m); },
                 ProgramVersion{1, 2, 3, 4, "1.2.3.4"}) {
        window.FormCreate();
    }

    static std::vector<std::string> Items(int n) {
        std::vector<std::string> items;
        for (int i = 1; i <= n; ++i)
            items.push_back(sched::MakeReminderItem("Message " + std::to_string(i), "Start:desc " + std::to_string(i),
                                             "Sched" + std::to_string(i)));
        return items;
    }
    void SetDisplayTime(int seconds) { cfg::Write(store, cfg::kSettingsKey, cfg::global::MsgDisplayTime, seconds); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (auto& l : view.lines) t.push_back(l.text);
        return t;
    }

    FakeReminderView view;
    pw::test::TestStore store;
    cfg::GlobalSettings settings;
    std::vector<std::string> logged;
    ReminderWindow window;
};

const std::string kRule(170, '-');

TEST_F(ReminderWindowTest, CreationPlacesTheHiddenWindowAtTheWorkAreaCorner) {
    FakeReminderView v;
    v.workArea = {0, 40, 1024, 728};  // task bar at the top
    ReminderWindow w(v, store, settings, nullptr, ProgramVersion{});
    w.FormCreate();
    EXPECT_EQ(v.bounds.left, 0);
    EXPECT_EQ(v.bounds.top, 40);
    EXPECT_EQ(v.bounds.width, 350);
    EXPECT_FALSE(v.visible);
    EXPECT_EQ(v.caption, "Reminders");
    EXPECT_EQ(v.appName, "Plenwick");
    EXPECT_EQ(v.versionText, "Version 0.0.0");  // no version resource
    EXPECT_EQ(v.Countdown(), " 0:00 ");
    EXPECT_EQ(view.versionText, "Version 1.2.3");
}

TEST_F(ReminderWindowTest, ThreeRemindersShowNumberedBlocksAndLogThreeLines) {
    settings.LogReminders = true;
    window.ShowReminders(Items(3));

    EXPECT_EQ(view.caption, "Reminders: 3");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.fronts, 1);
    EXPECT_EQ(view.ClientHeight(), 3 * (27 + 19) + 48);
    EXPECT_EQ(view.bounds.width, 350);
    EXPECT_EQ(window.CountdownSeconds(), 50);
    EXPECT_TRUE(view.scrolledToTop);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Start:desc 1", "1.Message 1", kRule, "Start:desc 2", "2.Message 2",
                                                 kRule, "Start:desc 3", "3.Message 3", kRule}));

    // 96 pixels per inch: 9 px is 6.75 pt, 19 px 14.25 pt, 7 px 5.25 pt.
    const LineStyle description{"Arial", MakeRgb(128, 0, 0), 7, false};
    const LineStyle message{"Arial", MakeRgb(0, 0, 255), 14, true};
    const LineStyle rule{"Arial", MakeRgb(255, 0, 0), 5, false};
    for (std::size_t i = 0; i < view.lines.size(); i += 3) {
        EXPECT_EQ(view.lines[i].style, description);
        EXPECT_EQ(view.lines[i + 1].style, message);
        EXPECT_EQ(view.lines[i + 2].style, rule);
    }
    EXPECT_EQ(logged, (std::vector<std::string>{"Reminder:Sched1 Message:1.Message 1",
                                                "Reminder:Sched2 Message:2.Message 2",
                                                "Reminder:Sched3 Message:3.Message 3"}));
}

TEST_F(ReminderWindowTest, NothingIsLoggedWithTheSwitchOff) {
    window.ShowReminders(Items(2));
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(view.lines.size(), 6u);
}

TEST_F(ReminderWindowTest, ClientHeightFollowsCountAndFontSize) {
    struct Case {
        int items;
        int font;
        int height;
    };
    for (Case c : {Case{1, 19, 94}, Case{3, 19, 186}, Case{1, 10, 85}, Case{2, 25, 152}, Case{5, 12, 243}}) {
        settings.ReminderFontSize = c.font;
        window.ShowReminders(Items(c.items));
        EXPECT_EQ(view.ClientHeight(), c.height) << c.items << " items, font " << c.font;
        EXPECT_EQ(view.bounds.width, 350);
    }
}

TEST_F(ReminderWindowTest, PixelHeightsBecomeRoundedPointsAtTheScreenResolution) {
    struct Case {
        int pixels;
        int ppi;
        int points;
    };
    for (Case c : {Case{9, 96, 7}, Case{19, 96, 14}, Case{7, 96, 5}, Case{25, 96, 19}, Case{10, 96, 8},
                   Case{19, 120, 11}, Case{25, 144, 13}, Case{10, 72, 10}, Case{9, 192, 3}, Case{4, 96, 3},
                   Case{19, 0, 14}, Case{19, -5, 14}}) {
        EXPECT_EQ(PixelsToPoints(c.pixels, c.ppi), c.points) << c.pixels << " px at " << c.ppi;
    }
}

TEST_F(ReminderWindowTest, FontsFollowTheScreenAndTheSettings) {
    view.ppi = 120;
    settings.ReminderFontSize = 25;
    settings.ReminderTextColor = 0x00336699;
    window.ShowReminders(Items(1));
    ASSERT_EQ(view.lines.size(), 3u);
    EXPECT_EQ(view.lines[0].style.points, 5);   // 9 px
    EXPECT_EQ(view.lines[1].style.points, 15);  // 25 px
    EXPECT_EQ(view.lines[2].style.points, 4);   // 7 px
    EXPECT_EQ(view.lines[1].style.colour, MakeRgb(0x99, 0x66, 0x33));
    EXPECT_EQ(view.ClientHeight(), 27 + 25 + 48);
}

// The window at each scaling, and after a move to a monitor of another
// scaling while it shows: its pixel sizes are those of 96 DPI scaled, and
// the text keeps its size in pixels of that monitor. The text control turns
// points into pixels at the system's DPI (ppi), which a move leaves alone.
TEST_F(ReminderWindowTest, SizesFollowTheMonitorsDpi) {
    struct Case {
        int dpi;
        int movedTo;  // 0: no move
        int width;
        int clientHeight;    // one item at 19 pixels
        int messagePoints;   // at the system's DPI
        int countdownLeft;   // panel width - countdown width (60) - gap
    };
    const Case cases[] = {
        {96, 0, 350, 94, 14, 350 - 8 - 6 - 60 - 15},    {120, 0, 438, 118, 14, 438 - 8 - 8 - 60 - 19},
        {144, 0, 525, 141, 14, 525 - 8 - 10 - 60 - 23}, {192, 0, 700, 188, 14, 700 - 8 - 12 - 60 - 30},
        {96, 144, 525, 141, 21, 525 - 8 - 10 - 60 - 23}, {192, 96, 350, 94, 7, 350 - 8 - 6 - 60 - 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " -> " + std::to_string(c.movedTo));
        FakeReminderView v;
        v.dpi = v.ppi = c.dpi;
        std::vector<std::string> log;
        ReminderWindow w(v, store, settings, [&](std::string_view m) { log.emplace_back(m); }, ProgramVersion{});
        w.FormCreate();
        settings.LogReminders = true;
        w.ShowReminders(Items(1));
        if (c.movedTo) {
            // The system suggests a rectangle of the new scale; the logic
            // gives it its height.
            v.dpi = c.movedTo;
            v.bounds.width = c.width;
            w.DpiChanged();
        }
        EXPECT_EQ(v.bounds.width, c.width);
        EXPECT_EQ(v.ClientHeight(), c.clientHeight);
        ASSERT_EQ(v.lines.size(), 3u);
        EXPECT_EQ(v.lines[1].style.points, c.messagePoints);
        EXPECT_EQ(v.lines[1].text, "1.Message 1");
        EXPECT_EQ(v.countdownLeft, c.countdownLeft);
        EXPECT_EQ(log.size(), 1u);  // laid out again, not logged again
    }
}

TEST_F(ReminderWindowTest, ColoursComeFromTheSettingsAndTheSystem) {
    window.ShowReminders(Items(1));
    EXPECT_EQ(view.background, view.buttonFace);  // the default is the button face

    settings.ReminderBackground = 0x00FFEEDD;
    settings.ReminderTextColor = 0xFF00000F;
    window.ShowReminders(Items(1));
    EXPECT_EQ(view.background, MakeRgb(0xDD, 0xEE, 0xFF));
    EXPECT_EQ(view.lines[1].style.colour, view.buttonFace);
}

TEST_F(ReminderWindowTest, OutOfRangeFontSizesAreBroughtIntoRange) {
    for (auto [stored, used] : {std::pair{40, 25}, std::pair{0, 10}, std::pair{-7, 10}}) {
        settings.ReminderFontSize = stored;
        window.ShowReminders(Items(2));
        EXPECT_EQ(view.ClientHeight(), 2 * (27 + used) + 48) << stored;
        EXPECT_EQ(view.lines[1].style.points, PixelsToPoints(used, 96)) << stored;
    }
}

TEST_F(ReminderWindowTest, AnEmptyMessageLeavesOnlyTheNumber) {
    settings.LogReminders = true;
    window.ShowReminders({sched::MakeReminderItem("", "Start:x", "Quiet")});
    EXPECT_EQ(view.lines[1].text, "1.");
    EXPECT_EQ(logged, (std::vector<std::string>{"Reminder:Quiet Message:1."}));
}

TEST_F(ReminderWindowTest, AMessageHoldingTheSeparatorStaysWholeInItsField) {
    settings.LogReminders = true;
    window.ShowReminders({sched::MakeReminderItem("a||b|c", "Start:d", "N||ame")});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Start:d", "1.a||b|c", kRule}));
    EXPECT_EQ(logged, (std::vector<std::string>{"Reminder:N||ame Message:1.a||b|c"}));
}

TEST_F(ReminderWindowTest, TheCountdownShowsEverySecondDownToZeroThenHides) {
    SetDisplayTime(3);
    window.ShowReminders(Items(1));
    view.countdownTexts.clear();
    for (int i = 0; i < 6; ++i) window.MsgTimerTimer();
    EXPECT_EQ(view.countdownTexts, (std::vector<std::string>{" 0:03 ", " 0:02 ", " 0:01 ", " 0:00 "}));
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.hides, 1);
}

TEST_F(ReminderWindowTest, ADisplayTimeOfZeroHidesAtTheFirstTimerEvent) {
    SetDisplayTime(0);
    window.ShowReminders(Items(1));
    EXPECT_TRUE(view.visible);
    window.MsgTimerTimer();
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.Countdown(), " 0:00 ");
}

TEST_F(ReminderWindowTest, TheTimerDoesNothingWhileHidden) {
    window.MsgTimerTimer();
    EXPECT_EQ(view.countdownTexts.size(), 1u);  // only FormCreate's
    EXPECT_EQ(view.hides, 0);
}

TEST_F(ReminderWindowTest, CountdownTexts) {
    for (auto [seconds, text] : {std::pair{0, " 0:00 "}, std::pair{50, " 0:50 "}, std::pair{59, " 0:59 "},
                                 std::pair{60, " 1:00 "}, std::pair{125, " 2:05 "}, std::pair{9999, " 166:39 "},
                                 std::pair{-1, " 0:00 "}}) {
        EXPECT_EQ(ReminderWindow::CountdownText(seconds), text) << seconds;
    }
}

TEST_F(ReminderWindowTest, TheDisplayTimeIsReadFromTheStoreEachTime) {
    struct Case {
        const char* what;
        std::function<void()> store;
        int seconds;
    };
    const std::vector<Case> cases = {
        {"missing", [] {}, 50},
        {"stored", [&] { SetDisplayTime(120); }, 120},
        {"changed", [&] { SetDisplayTime(7); }, 7},
        {"negative", [&] { SetDisplayTime(-30); }, 0},
        {"too large", [&] { SetDisplayTime(100000); }, 9999},
        {"text", [&] { WriteRegString(store, cfg::kSettingsKey, "MsgDisplayTime", "abc"); }, 50},
    };
    settings.MsgDisplayTime = 1234;  // the in-memory copy is not what counts
    for (const auto& c : cases) {
        c.store();
        window.ShowReminders(Items(1));
        EXPECT_EQ(window.CountdownSeconds(), c.seconds) << c.what;
        EXPECT_TRUE(view.visible) << c.what;
    }
}

TEST_F(ReminderWindowTest, ASecondBatchReplacesTheFirstAndRestartsTheCountdown) {
    settings.LogReminders = true;
    SetDisplayTime(40);
    window.ShowReminders(Items(3));
    for (int i = 0; i < 10; ++i) window.MsgTimerTimer();
    EXPECT_EQ(window.CountdownSeconds(), 30);
    // The user moved the window meanwhile; the later batch leaves it there.
    view.bounds.left = 300;
    view.bounds.top = 200;
    view.countdownLeft = 111;
    logged.clear();

    window.ShowReminders({sched::MakeReminderItem("Later", "Start:later", "L")});
    EXPECT_EQ(view.caption, "Reminders: 1");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Start:later", "1.Later", kRule}));
    EXPECT_EQ(view.ClientHeight(), 27 + 19 + 48);
    EXPECT_EQ(window.CountdownSeconds(), 40);
    EXPECT_EQ(view.bounds.left, 300);
    EXPECT_EQ(view.bounds.top, 200);
    EXPECT_EQ(view.countdownLeft, 111);  // FormShow did not run again
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(view.fronts, 2);
    EXPECT_EQ(logged, (std::vector<std::string>{"Reminder:L Message:1.Later"}));
    window.MsgTimerTimer();
    EXPECT_EQ(view.Countdown(), " 0:40 ");
}

TEST_F(ReminderWindowTest, ShowingPlacesTheCountdownAndKeepsTheWindowOnTheScreen) {
    struct Case {
        WindowRect before;
        int left;
        int top;
    };
    // One item: client 94, outer height 119, width 350. The screen, not the
    // work area, bounds it.
    const std::vector<Case> cases = {
        {{10, 20, 350, 0}, 10, 20},      {{-5, -9, 350, 0}, 0, 0},        {{900, 20, 350, 0}, 674, 20},
        {{10, 700, 350, 0}, 10, 649},    {{2000, 2000, 350, 0}, 674, 649}, {{674, 649, 350, 0}, 674, 649},
    };
    for (const auto& c : cases) {
        view.bounds = c.before;
        view.visible = false;
        window.ShowReminders(Items(1));
        EXPECT_EQ(view.bounds.left, c.left) << c.before.left << "," << c.before.top;
        EXPECT_EQ(view.bounds.top, c.top) << c.before.left << "," << c.before.top;
        EXPECT_EQ(view.countdownLeft, view.PanelWidth() - 60 - 15);
    }
}

TEST_F(ReminderWindowTest, ThreeHundredRemindersFillTheTextInOneStep) {
    settings.LogReminders = true;
    window.ShowReminders(Items(300));
    EXPECT_EQ(view.fills, 1);
    ASSERT_EQ(view.lines.size(), 900u);
    EXPECT_EQ(view.lines[897].text, "Start:desc 300");
    EXPECT_EQ(view.lines[898].text, "300.Message 300");
    EXPECT_EQ(logged.size(), 300u);
    EXPECT_TRUE(view.scrolledToTop);
    window.ShowReminders(Items(2));
    EXPECT_EQ(view.fills, 2);
    EXPECT_EQ(view.lines.size(), 6u);
}

TEST(RichText, EachLineIsAParagraphInItsOwnStyle) {
    const LineStyle small{"Arial", kMaroon, 7, false};
    const LineStyle big{"Arial", MakeRgb(0, 0, 255), 14, true};
    const LineStyle other{"Tahoma", kMaroon, 5, false};
    EXPECT_EQ(RichText({{"Start:x", small}, {"1.Hello", big}, {"---", other}}),
              "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Tahoma;}}"
              "{\\colortbl;\\red128\\green0\\blue0;\\red0\\green0\\blue255;}\n"
              "\\pard\\plain\\f0\\fs14\\cf1 Start:x\\par\n"
              "\\pard\\plain\\f0\\fs28\\cf2\\b 1.Hello\\par\n"
              "\\pard\\plain\\f1\\fs10\\cf1 ---\\par\n"
              "}");
    EXPECT_EQ(RichText({}), "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl}{\\colortbl;}\n}");
}

TEST(RichText, TextIsEscapedSoThatAnyMessageShowsAsTyped) {
    struct Case {
        const char* text;
        const char* written;
        const char* why;
    } cases[] = {
        {"plain 1.5 {x} a\\b", "plain 1.5 \\{x\\} a\\\\b", "RTF's own characters"},
        {" lead", " lead", "a leading blank stays after the delimiter"},
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\\u233? \\u8364?", "Unicode as \\u with a fallback"},
        {"\xEF\xBF\xBF", "\\u-1?", "\\u counts in signed 16 bits"},
        {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?", "beyond the BMP: a surrogate pair"},
        {"one\r\ntwo\nthree\rfour", "one\\line two\\line three\\line four", "breaks within the line"},
        {"a\tb", "a\\tab b", "tab"},
        {"bell\x07 del\x7F", "bell del", "other control characters drop"},
        {"\xFF\xC0\x80 \xE2\x82", "??? ??", "bytes that are no UTF-8"},
        {"\xED\xA0\x80", "?", "an encoded surrogate"},
    };
    const LineStyle style{"Arial", kRed, 10, false};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string rtf = RichText({{c.text, style}});
        const std::string expected = std::string("\\cf1 ") + c.written + "\\par\n";
        EXPECT_NE(rtf.find(expected), std::string::npos) << rtf;
    }
}

TEST_F(ReminderWindowTest, ManyRemindersAreCutToTheWorkAreaAndAllKept) {
    window.ShowReminders(Items(40));
    EXPECT_EQ(view.bounds.height, view.workArea.height);
    EXPECT_EQ(view.lines.size(), 120u);
    EXPECT_EQ(view.lines[118].text, "40.Message 40");
    EXPECT_TRUE(view.scrolledToTop);
    EXPECT_GE(view.bounds.top, 0);
    EXPECT_LE(view.bounds.top + view.bounds.height, view.screen.height);
}

TEST_F(ReminderWindowTest, AWindowThatGrowsWhileShownStaysOnTheScreen) {
    window.ShowReminders(Items(1));
    view.bounds.top = 500;
    window.ShowReminders(Items(8));  // 8 * 46 + 48 = 416 client, 441 outer
    EXPECT_EQ(view.ClientHeight(), 416);
    EXPECT_EQ(view.bounds.top, 768 - 441);
}

TEST_F(ReminderWindowTest, ClosingOnlyHidesAndAnEmptyListShowsNothing) {
    window.ShowReminders({});
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.caption, "Reminders");

    window.ShowReminders(Items(2));
    window.FormClose();
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.lines.size(), 6u);
    EXPECT_EQ(window.CountdownSeconds(), 50);
    window.ShowReminders(Items(1));
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.shows, 2);
    window.FormDestroy();
    EXPECT_EQ(window.CountdownSeconds(), 0);
}

}  // namespace
}  // namespace pw::app
