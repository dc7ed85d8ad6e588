#include "app/clock_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/datefmt.h"
#include "common/screen_units.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "clock_links.h"
#include "fake_clock_view.h"
#include "platform/posix/posix_files.h"
#include "support/fake_clock.h"
#include "support/fake_reminder_view.h"
#include "support/fake_services.h"
#include "support/fake_store.h"
#include "support/temp_dir.h"
#include "../ui/fake_dialog_view.h"
#include "ui/settings_dialog.h"

namespace pw::app {
namespace {

using cfg::kSettingsKey;
namespace global = cfg::global;

class RecordingDialog : public SettingsDialogLink {
public:
    void Show(DialogPage p) override { pages.push_back(p); }
    void HelpClick() override { ++helpClicks; }
    void RegionalSettingsChanged() override { ++localeChanges; }
    std::vector<DialogPage> pages;
    int localeChanges = 0;
    int helpClicks = 0;
};

class ClockWindowTest : public ::testing::Test {
protected:
    ClockWindowTest()
        : sound(events),
          boxes(events),
          shell(events),
          links(files, clock, locale, dir.Dir()),
          window(ClockWindowParts{
              .app = {store, clock, locale, files, sound, boxes, shell},
              .view = view,
              .programDir = dir.Dir(),
              .links = links.Get([this](const std::vector<std::string>& items) { reminders.ShowReminders(items); })}),
          reminders(reminderView, store, window.Settings(), window.LogWriter(), ProgramVersion{1, 0, 0, 0, "1.0.0.0"}),
          starter(links.starter) {
        // Tuesday 8 December 2026, 14:05:09.
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 9, 0);
        view.width = 0;
    }

    void Create() {
        window.FormCreate();
        window.ConnectDialog(dialog);
        reminders.FormCreate();
    }
    std::string LogPath() const { return dir.Path("plenwk.log"); }
    std::vector<std::string> LogLines() {
        auto lines = files.ReadLines(LogPath());
        return lines ? *lines : std::vector<std::string>{};
    }
    const test::FakeClockView::LabelState& DateLabel() { return view.labels[Label::Date]; }
    const test::FakeClockView::LabelState& TimeLabel() { return view.labels[Label::Time]; }

    test::TempDir dir;
    test::TestStore store;
    test::FakeClock clock;
    Locale locale = Locale::EnGB();
    posix::PosixFileSystem files;
    test::Events events;
    test::FakeSound sound;
    test::FakeMessageBoxes boxes;
    test::FakeShell shell;
    test::FakeClockView view;
    RecordingDialog dialog;
    test::ClockLinks links;
    ClockWindow window;
    test::FakeReminderView reminderView;
    app::ReminderWindow reminders;
    test::RecordingStarter& starter;
};

TEST(ClockLayout, CentringRoundsHalvesToTheEvenNeighbourPlusOne) {
    struct Case {
        int client, label, left;
    };
    const Case cases[] = {
        {106, 84, 12},   // 11 exactly
        {106, 85, 11},   // 10.5 -> 10
        {106, 83, 13},   // 11.5 -> 12
        {106, 106, 1},   // fills the client area
        {106, 107, 1},   // -0.5 -> 0
        {106, 109, -1},  // -1.5 -> -2
        {106, 111, -1},  // -2.5 -> -2
        {0, 0, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(CentredLeft(c.client, c.label), c.left) << c.client << " " << c.label;
}

TEST(ClockLayout, PixelHeightsBecomePointsAtTheScreenResolution) {
    EXPECT_EQ(PixelsToPoints(17, 96), 13);  // 12.75
    EXPECT_EQ(PixelsToPoints(17, 120), 10);  // 10.2
    EXPECT_EQ(PixelsToPoints(17, 144), 9);   // 8.5 rounds up
    EXPECT_EQ(PixelsToPoints(17, 0), 13);    // a screen that gives no resolution counts as 96
}

TEST(ClockLayout, WindowsAreKeptInsideTheWorkArea) {
    const ScreenRect area{0, 30, 1024, 700};  // task bar on top
    struct Case {
        const char* what;
        ScreenRect window, want;
    };
    const Case cases[] = {
        {"inside", {100, 100, 112, 60}, {100, 100, 112, 60}},
        {"left of and above", {-500, -40, 112, 60}, {0, 30, 112, 60}},
        {"far right and below", {5000, 9000, 112, 60}, {912, 670, 112, 60}},
        {"on the right edge", {912, 670, 112, 60}, {912, 670, 112, 60}},
        {"wider and taller than the area", {-10, 0, 2000, 900}, {-976, -170, 2000, 900}},
    };
    for (const auto& c : cases) EXPECT_EQ(KeepInside(c.window, area), c.want) << c.what;
}

TEST_F(ClockWindowTest, FirstStartWithAnEmptyStore) {
    Create();
    EXPECT_EQ(view.caption, "Schedules");
    EXPECT_EQ(view.left, 0);
    EXPECT_EQ(view.top, 0);
    EXPECT_EQ(view.width, kClockWidth);
    EXPECT_EQ(view.timerInterval, 0);
    EXPECT_EQ(DateLabel().text, "Tue 08/12/2026");
    EXPECT_EQ(TimeLabel().text, "14:05:09");
    EXPECT_TRUE(view.topmost);
    EXPECT_TRUE(view.toolWindow);
    EXPECT_EQ(view.state, WindowState::Normal);
    EXPECT_FALSE(files.FileExists(LogPath()));
    EXPECT_EQ(window.LogPath(), LogPath());
    EXPECT_EQ(window.HelpPath(), dir.Path("plenwk.htm"));
    EXPECT_TRUE(events.list.empty());
    EXPECT_EQ(store.counts.writes, 0);
}

TEST_F(ClockWindowTest, CreationAppliesTheStoredSettings) {
    cfg::Write(store, kSettingsKey, global::Left, 300);
    cfg::Write(store, kSettingsKey, global::Top, 200);
    cfg::Write(store, kSettingsKey, global::AlwaysOnTop, false);
    cfg::Write(store, kSettingsKey, global::ampmFormat, true);
    cfg::Write(store, kSettingsKey, global::MsgDisplayTime, 20);
    Create();
    EXPECT_EQ(view.moves.front(), (std::pair{300, 200}));
    EXPECT_FALSE(view.topmost);
    EXPECT_TRUE(window.Settings().ampmFormat);
    EXPECT_EQ(window.Settings().MsgDisplayTime, 20);
    // The refresh of the creation ran before the settings were loaded.
    EXPECT_EQ(TimeLabel().text, "14:05:09");
    window.RefreshClockDisplay();
    EXPECT_EQ(TimeLabel().text, "02:05:09 PM");
}

TEST_F(ClockWindowTest, AnyLogSwitchWritesTheBannerAsTheFirstLine) {
    for (const auto* sw : {&global::LogReminders, &global::LogLaunches, &global::LogNetTime}) {
        std::filesystem::remove(LogPath());
        test::TestStore s;
        cfg::Write(s, kSettingsKey, *sw, true);
        test::FakeClockView v;
        test::ClockLinks l(files, clock, locale, dir.Dir());
        ClockWindow w(ClockWindowParts{
            .app = {s, clock, locale, files, sound, boxes, shell}, .view = v, .programDir = dir.Dir(), .links = l.Get()});
        w.FormCreate();
        EXPECT_EQ(LogLines(), (std::vector<std::string>{"08/12/2026 14:05:09 Started Plenwick -------------------------"}))
            << sw->name;
    }
}

TEST_F(ClockWindowTest, ValuesOfTheWrongTypeAreReportedAndTakeTheirDefaults) {
    WriteRegString(store, kSettingsKey, "Left", "far");
    WriteRegString(store, kSettingsKey, "AlwaysOnTop", "yes");
    WriteRegString(store, kSettingsKey, "MsgDisplayTime", "long");
    cfg::Write(store, kSettingsKey, global::ReminderFontSize, 12);
    cfg::Write(store, kSettingsKey, global::Top, 40);
    Create();
    EXPECT_EQ(events.list, (std::vector<std::string>{"error:Failed to get data for 'Left'",
                                                     "error:Failed to get data for 'MsgDisplayTime'",
                                                     "error:Failed to get data for 'AlwaysOnTop'"}));
    EXPECT_EQ(view.moves.front(), (std::pair{0, 40}));
    EXPECT_TRUE(view.topmost);
    EXPECT_EQ(window.Settings().MsgDisplayTime, 50);
    EXPECT_EQ(window.Settings().ReminderFontSize, 12);
}

TEST_F(ClockWindowTest, DateAndTimeTexts) {
    struct Case {
        const char* dateFormat;
        bool ampm;
        DateTime at;
        const char* date;
        const char* time;
    };
    const Case cases[] = {
        {"default", false, EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 9, 0), "Tue 08/12/2026", "14:05:09"},
        {"ddd dd-mmm-yy", false, EncodeDate(2026, 3, 1) + EncodeTime(0, 0, 0, 0), "Sun 01-Mar-26", "00:00:00"},
        {"default", true, EncodeDate(2026, 12, 8) + EncodeTime(0, 30, 0, 0), "Tue 08/12/2026", "12:30:00 AM"},
        {"default", true, EncodeDate(2026, 12, 8) + EncodeTime(23, 59, 59, 0), "Tue 08/12/2026", "11:59:59 PM"},
        {"dd mmmm", true, EncodeDate(2026, 7, 4) + EncodeTime(12, 0, 1, 0), "04 July", "12:00:01 PM"},
    };
    Create();
    for (const auto& c : cases) {
        window.Settings().ClockDateFormat = c.dateFormat;
        window.Settings().ampmFormat = c.ampm;
        clock.local = c.at;
        window.RefreshClockDisplay();
        EXPECT_EQ(DateLabel().text, c.date) << c.dateFormat;
        EXPECT_EQ(TimeLabel().text, c.time) << c.dateFormat;
    }
}

TEST_F(ClockWindowTest, DefaultDateFormatIsReplacedInMemoryOnly) {
    Create();
    window.RefreshClockDisplay();
    EXPECT_EQ(window.Settings().ClockDateFormat, "ddd dd/mm/yyyy");
    EXPECT_EQ(ReadRegString(store, kSettingsKey, "ClockDateFormat", "missing"), "missing");
}

TEST_F(ClockWindowTest, NewRegionalSettingsShowAtOnceAndKeepADateFormTheUserChose) {
    struct Case {
        const char* stored;
        const char* before;  // British
        const char* after;   // American
    } cases[] = {
        {"default", "Tue 08/12/2026", "Tue 12/8/2026"},
        // The old default's very form, typed by the user: it stays.
        {"ddd dd/mm/yyyy", "Tue 08/12/2026", "Tue 08/12/2026"},
    };
    Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        locale = Locale::EnGB();
        cfg::Write(store, kSettingsKey, global::ClockDateFormat, std::string(c.stored));
        window.Settings().ClockDateFormat = c.stored;
        window.RefreshClockDisplay();
        EXPECT_EQ(DateLabel().text, c.before);
        locale = Locale::EnUS();
        window.RegionalSettingsChanged();
        EXPECT_EQ(DateLabel().text, c.after);
    }
    EXPECT_EQ(dialog.localeChanges, 2);
}

TEST_F(ClockWindowTest, DateFontShrinksFromNinePointsUntilTheDateFits) {
    Create();
    struct Case {
        const char* format;
        int points;
    };
    // The client area is 106 wide; a character is 2/3 of the size wide.
    const Case cases[] = {
        {"ddd dd/mm/yyyy", 9},      // 14 characters: 84 at 9
        {"dddd dd/mm/yyyy", 8},     // "Tuesday 08/12/2026": 108 at 9, 96 at 8
        {"dddd, dd mmmm yyyy", 6},  // "Tuesday, 08 December 2026": 116 at 7, 100 at 6
        {"dd", 9},                  // back to 9 at every refresh
    };
    for (const auto& c : cases) {
        window.Settings().ClockDateFormat = c.format;
        window.RefreshClockDisplay();
        EXPECT_EQ(window.DateFontSize(), c.points) << c.format;
        EXPECT_EQ(DateLabel().points, c.points) << c.format;
    }
}

TEST_F(ClockWindowTest, FittingStopsAtTheSmallestSizeForATextThatNeverFits) {
    Create();
    view.extraWidth[Label::Date] = 500;
    view.extraWidth[Label::Time] = 500;
    window.Settings().ampmFormat = true;
    window.RefreshClockDisplay();
    window.RefreshClockDisplay();
    EXPECT_EQ(window.DateFontSize(), kMinFontPoints);
    EXPECT_EQ(window.TimeFontSize(), kMinFontPoints);
}

TEST_F(ClockWindowTest, TwelveHourFontShrinksToThePreviousTextAndNeverGrowsBack) {
    locale.amDesignator = "vormittags";
    locale.pmDesignator = "nachmittags";
    Create();
    EXPECT_EQ(window.TimeFontSize(), kTimeFontPoints24);  // the creation's refresh is 24-hour
    window.Settings().ampmFormat = true;

    window.RefreshClockDisplay();  // measures "14:05:09": 8 characters fit at 14
    EXPECT_EQ(window.TimeFontSize(), 14);
    EXPECT_EQ(TimeLabel().text, "02:05:09 nachmittags");

    // Now 20 characters: 106 at 8 points, the whole client area, which the
    // centring's extra pixel would overrun; 93 at 7.
    window.RefreshClockDisplay();
    EXPECT_EQ(window.TimeFontSize(), 7);

    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(9, 0, 0, 0);
    window.RefreshClockDisplay();  // "02:05:09 nachmittags" measured once more: no change
    EXPECT_EQ(TimeLabel().text, "09:00:00 vormittags");
    window.RefreshClockDisplay();  // a shorter text: the size stays
    EXPECT_EQ(window.TimeFontSize(), 7);

    window.Settings().ampmFormat = false;
    window.RefreshClockDisplay();
    EXPECT_EQ(window.TimeFontSize(), 14);
}

// The window's sizes at each scaling, and after a move to a monitor of
// another scaling: the width is 112 pixels at 96 DPI, the fonts keep their
// points (so grow with the DPI), and the longest 12- and 24-hour times and
// a long date fit the client area.
TEST_F(ClockWindowTest, SizesFollowTheMonitorsDpi) {
    struct Case {
        int dpi;
        int changedTo;  // 0: no change
        int width;
        int clientWidth;
        int datePoints;
        int time12Points;
    };
    const Case cases[] = {
        {96, 0, 112, 106, 5, 7},     {120, 0, 140, 132, 5, 7},    {144, 0, 168, 158, 5, 7},
        {192, 0, 224, 212, 5, 7},    {96, 144, 168, 158, 5, 7},   {192, 120, 140, 132, 5, 7},
    };
    locale.amDesignator = "vormittags";
    locale.pmDesignator = "nachmittags";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " -> " + std::to_string(c.changedTo));
        test::FakeClockView v;
        v.dpi = c.dpi;
        test::ClockLinks l(files, clock, locale, "/x/");
        ClockWindow w(ClockWindowParts{
            .app = {store, clock, locale, files, sound, boxes, shell}, .view = v, .programDir = "/x/", .links = l.Get()});
        w.FormCreate();
        // The 12-hour time starts at 17 pixels at 96 DPI, 13 points.
        ASSERT_FALSE(v.labels[Label::Time].sizes.empty());
        EXPECT_EQ(v.labels[Label::Time].sizes.front(), 13);
        w.Settings().ClockDateFormat = "dddd dd mmmm yyyy";
        w.Settings().ampmFormat = true;
        clock.local = EncodeDate(2026, 9, 30) + EncodeTime(22, 58, 58, 0);
        for (int i = 0; i < 3; ++i) w.RefreshClockDisplay();
        if (c.changedTo) {
            v.dpi = c.changedTo;
            w.DpiChanged();
            w.RefreshClockDisplay();
        }
        EXPECT_EQ(v.width, c.width);
        EXPECT_EQ(v.ClientWidth(), c.clientWidth);
        EXPECT_EQ(w.DateFontSize(), c.datePoints);
        EXPECT_EQ(w.TimeFontSize(), c.time12Points);
        for (Label l : {Label::Date, Label::Time}) {
            EXPECT_GE(v.labels[l].left, 0);
            EXPECT_LE(v.labels[l].left + v.LabelSize(l).width, v.ClientWidth());
        }
        EXPECT_EQ(v.clientHeight, v.LabelSize(Label::Date).height + v.LabelSize(Label::Time).height);

        // The 24-hour time keeps its 14 points and fits as well.
        w.Settings().ampmFormat = false;
        w.RefreshClockDisplay();
        EXPECT_EQ(w.TimeFontSize(), kTimeFontPoints24);
        EXPECT_LE(v.LabelSize(Label::Time).width, v.ClientWidth());
    }
}

TEST_F(ClockWindowTest, LabelsAreStackedCentredAndSizeTheClientArea) {
    Create();
    window.RefreshClockDisplay();
    // Date "Tue 08/12/2026": 84 x 15 at 9 points; time "14:05:09": 74 x 23.
    EXPECT_EQ(DateLabel().left, 12);
    EXPECT_EQ(DateLabel().top, 0);
    EXPECT_EQ(TimeLabel().left, 17);
    EXPECT_EQ(TimeLabel().top, 15);
    EXPECT_EQ(view.clientHeight, 38);
}

TEST_F(ClockWindowTest, RefreshPullsAWindowFarOffScreenBackUnlessMinimized) {
    cfg::Write(store, kSettingsKey, global::Left, 4000);
    cfg::Write(store, kSettingsKey, global::Top, -3000);
    view.workArea = {0, 0, 1024, 738};
    Create();
    EXPECT_EQ(view.left, 1024 - kClockWidth);
    EXPECT_EQ(view.top, 0);

    // In the tray the window stays where it is.
    cfg::Write(store, kSettingsKey, global::StartMinimized, true);
    test::FakeClockView v;
    test::ClockLinks l(files, clock, locale, "/x/");
    ClockWindow w(ClockWindowParts{
        .app = {store, clock, locale, files, sound, boxes, shell}, .view = v, .programDir = "/x/", .links = l.Get()});
    w.FormCreate();
    ASSERT_EQ(v.state, WindowState::Minimized);
    v.SetPosition(4000, -3000);
    w.RefreshClockDisplay();
    EXPECT_EQ(v.left, 4000);
    EXPECT_EQ(v.top, -3000);
}

TEST_F(ClockWindowTest, AWindowLargerThanTheWorkAreaEndsAtItsRightAndBottomEdges) {
    view.workArea = {0, 0, 100, 30};
    Create();
    EXPECT_EQ(view.left, 100 - kClockWidth);
    EXPECT_EQ(view.top, 30 - view.Height());
}

TEST_F(ClockWindowTest, MenuStateAfterANormalStart) {
    Create();
    EXPECT_TRUE(view.enabled[MenuCommand::Tray]);
    EXPECT_FALSE(view.enabled[MenuCommand::Restore]);
    EXPECT_FALSE(view.checked[MenuCommand::DisableSched]);
}

TEST_F(ClockWindowTest, StartInTheTrayThenRestoreGoesToTheStoredPosition) {
    cfg::Write(store, kSettingsKey, global::StartMinimized, true);
    cfg::Write(store, kSettingsKey, global::Left, 500);
    cfg::Write(store, kSettingsKey, global::Top, 400);
    Create();
    EXPECT_EQ(view.state, WindowState::Minimized);
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(view.enabled[MenuCommand::Restore]);
    EXPECT_FALSE(view.enabled[MenuCommand::Tray]);

    view.SetPosition(10, 10);
    view.width = 50;
    window.OnCommand(MenuCommand::Restore);
    EXPECT_EQ(view.state, WindowState::Normal);
    EXPECT_EQ(view.left, 500);
    EXPECT_EQ(view.top, 400);
    EXPECT_EQ(view.width, kClockWidth);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.events.back(), "front");
    EXPECT_FALSE(view.enabled[MenuCommand::Restore]);
    EXPECT_TRUE(view.enabled[MenuCommand::Tray]);
}

TEST_F(ClockWindowTest, MinimizeToTrayAndRestoreKeepThePosition) {
    cfg::Write(store, kSettingsKey, global::Left, 500);
    Create();
    view.SetPosition(120, 130);  // moved by the user since the start
    window.OnCommand(MenuCommand::Tray);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.state, WindowState::Normal);
    EXPECT_TRUE(view.enabled[MenuCommand::Restore]);
    EXPECT_FALSE(view.enabled[MenuCommand::Tray]);

    window.TrayIconDblClick();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.left, 120);
    EXPECT_EQ(view.top, 130);
    EXPECT_FALSE(view.enabled[MenuCommand::Restore]);
    EXPECT_TRUE(view.enabled[MenuCommand::Tray]);
}

TEST_F(ClockWindowTest, DisableSchedulesTogglesItsCheckMarkAndStopsTheWalk) {
    Create();
    window.OnCommand(MenuCommand::DisableSched);
    EXPECT_TRUE(view.checked[MenuCommand::DisableSched]);
    EXPECT_TRUE(window.SchedulesDisabled());
    window.ClockTimer();
    EXPECT_EQ(view.caption, "Schedules");
    window.OnCommand(MenuCommand::DisableSched);
    EXPECT_FALSE(view.checked[MenuCommand::DisableSched]);
    window.ClockTimer();  // same minute: no pass yet
    clock.AdvanceSeconds(60);
    window.ClockTimer();
    EXPECT_EQ(view.caption, "Schedules: 0");
}

TEST_F(ClockWindowTest, CommandsThatShowTheDialogPickTheirPage) {
    Create();
    window.OnCommand(MenuCommand::Options);
    window.OnCommand(MenuCommand::About);
    window.lblDateDblClick();
    window.OnCommand(MenuCommand::Help);
    EXPECT_EQ(dialog.pages,
              (std::vector<DialogPage>{DialogPage::Schedules, DialogPage::About, DialogPage::LastSelected}));
    EXPECT_EQ(dialog.helpClicks, 1);
}

TEST_F(ClockWindowTest, HelpOpensTheDocumentAtItsTopicOrSaysItIsMissing) {
    Create();
    window.ShowHelpTopic(kHelpTopic);
    EXPECT_EQ(events.list, (std::vector<std::string>{"beep", "box:Help file not found"}));
    std::ofstream(window.HelpPath()) << "<html></html>";
    window.ShowHelpTopic(kHelpTopic);
    EXPECT_EQ(view.events.back(), "help:" + window.HelpPath() + "#10");
}

TEST_F(ClockWindowTest, LogFileCommandOpensTheLogOrSaysItIsMissing) {
    Create();
    window.OnCommand(MenuCommand::LogFile);
    EXPECT_EQ(events.list, (std::vector<std::string>{"beep", "box:Log file not found"}));
    events.Clear();
    window.WriteLogLine("x");
    window.OnCommand(MenuCommand::LogFile);
    EXPECT_EQ(events.list, (std::vector<std::string>{"open:" + LogPath()}));
}

TEST_F(ClockWindowTest, ExitWritesThePositionWhenTheWindowGoes) {
    Create();
    window.OnCommand(MenuCommand::Close);
    EXPECT_TRUE(view.closed);
    EXPECT_FALSE(KeyExists(store, kSettingsKey));  // only at destruction
    view.SetPosition(-20, 700);
    window.FormDestroy();
    EXPECT_EQ(cfg::Read(store, kSettingsKey, global::Left), -20);
    EXPECT_EQ(cfg::Read(store, kSettingsKey, global::Top), 700);
}

TEST_F(ClockWindowTest, ARefusedPositionWriteIsReported) {
    Create();
    store.refuse.write = [](Root, std::string_view, std::string_view) { return true; };
    window.FormDestroy();
    EXPECT_EQ(events.list, (std::vector<std::string>{"error:Failed to set data for 'Left'"}));
}

// The start as the program makes it: the clock window, the settings dialog,
// then the reminder window, which is refused; its box is up when a program
// falls due. The clock has not started: the box's loop runs no pass, and the
// launch starts at the first tick, when every part is there.
TEST_F(ClockWindowTest, AProgramDueWhileAStartUpBoxIsUpStartsOnceTheClockRuns) {
    const auto key = cfg::ScheduleKey("Backup");
    cfg::Write(store, key, cfg::schedule::StartDate, DateToText(EncodeDate(2026, 12, 8), locale));
    cfg::Write(store, key, cfg::schedule::StartTime, std::string("14:06:00"));
    cfg::Write(store, key, cfg::schedule::ScheduleType, cfg::kTypeLaunch);
    cfg::Write(store, key, cfg::schedule::Message, std::string("backup.exe"));
    cfg::Write(store, kSettingsKey, global::MaxCorrection, 90);
    cfg::Write(store, kSettingsKey, global::LogLaunches, true);

    window.FormCreate();
    test::FakeDialogView dialogView;
    ui::SettingsDialog settings(
        ui::SettingsDialogServices{.app = {store, clock, locale, files, sound, boxes, shell},
                                   .clockWindow = window,
                                   .executablePath = "C:\\p.exe",
                                   .launcher = links.launcher},
        dialogView);
    settings.FormCreate();
    window.ConnectDialog(settings);
    int passesWhileUp = 0;
    boxes.whileShown = [&] {
        // The minute comes while the user reads the box; the loop of the
        // box dispatches the clock's timer if it runs.
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 6, 0, 0);
        if (view.timerInterval > 0) {
            window.ClockTimer();
            ++passesWhileUp;
        }
    };
    boxes.Show("The reminder window could not be created; reminders will not be shown.");
    EXPECT_EQ(passesWhileUp, 0);
    EXPECT_TRUE(starter.started.empty());

    window.StartClock();
    EXPECT_EQ(view.timerInterval, kTimerInterval);
    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 6, 1, 0);
    window.ClockTimer();
    EXPECT_EQ(starter.started, std::vector<std::string>{"backup.exe"});
    ASSERT_EQ(LogLines().size(), 2u);
    EXPECT_EQ(LogLines()[1], "08/12/2026 14:06:01 - Schedule:Backup Program:backup.exe");
    // The synchronization's limit is the stored one, from the start.
    EXPECT_EQ(window.Settings().MaxCorrection, 90);
    settings.HelpClick();
    EXPECT_EQ(events.list.back(), "box:Help file not found");
}

TEST_F(ClockWindowTest, TickRunsWithTheRealPartsOfTheWindow) {
    const DateTime today = EncodeDate(2026, 12, 8);
    auto add = [&](const std::string& name, int type, const std::string& message) {
        const auto key = cfg::ScheduleKey(name);
        cfg::Write(store, key, cfg::schedule::StartDate, DateToText(today, locale));
        cfg::Write(store, key, cfg::schedule::StartTime, std::string("14:05:00"));
        cfg::Write(store, key, cfg::schedule::ScheduleType, type);
        cfg::Write(store, key, cfg::schedule::Message, message);
    };
    add("Call", cfg::kTypeReminder, "Ring back");
    add("Backup", cfg::kTypeLaunch, "backup.exe /all");
    cfg::Write(store, kSettingsKey, global::SystemBeep, false);
    cfg::Write(store, kSettingsKey, global::LogReminders, true);
    cfg::Write(store, kSettingsKey, global::LogLaunches, true);
    Create();
    window.ClockTimer();
    EXPECT_EQ(view.caption, "Schedules: 2");
    EXPECT_EQ(starter.started, (std::vector<std::string>{"backup.exe /all"}));
    EXPECT_EQ(reminderView.caption, "Reminders: 1");
    EXPECT_TRUE(reminderView.visible);
    EXPECT_EQ(DateLabel().text, "Tue 08/12/2026");
    // Walk order is the store's: Backup before Call.
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "08/12/2026 14:05:09 Started Plenwick -------------------------",
                              "08/12/2026 14:05:09 - Schedule:Backup Program:backup.exe /all",
                              "08/12/2026 14:05:09 - Reminder:Call Message:1.Ring back",
                          }));
}

TEST_F(ClockWindowTest, TrimmingAtTheFullHourUsesTheLoadedDays) {
    cfg::Write(store, kSettingsKey, global::AutoTrimLog, true);
    cfg::Write(store, kSettingsKey, global::TrimLogDays, 0);
    Create();
    test::WriteBytes(LogPath(), "01/12/2026 10:00:00 - old\r\n");
    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 59, 59, 0);
    window.ClockTimer();
    EXPECT_EQ(LogLines().size(), 1u);  // only at :00
    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(15, 0, 1, 0);
    window.ClockTimer();
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "08/12/2026 15:00:01 - Log file trimmed");
}

TEST_F(ClockWindowTest, LogLinesCarryTheTimeStamp) {
    Create();
    window.WriteLogLine("Schedule deleted: Old");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"08/12/2026 14:05:09 - Schedule deleted: Old"}));
}

}  // namespace
}  // namespace pw::app
