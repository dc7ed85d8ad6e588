#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <type_traits>
#include <variant>

#include "../app/fake_clock_view.h"
#include "backup/backup.h"
#include "common/datefmt.h"
#include "common/screen_units.h"
#include "common/store_access.h"
#include "config/value_access.h"
#include "config/values.h"
#include "fake_dialog_view.h"
#include "ui/option_rows.h"
#include "platform/posix/posix_files.h"
#include "support/fake_clock.h"
#include "support/fake_io_driver.h"
#include "support/fake_reminder_view.h"
#include "support/fake_services.h"
#include "support/fake_store.h"
#include "support/temp_dir.h"

namespace pw::ui {
namespace {

namespace sv = cfg::schedule;
using cfg::kSettingsKey;
using pw::kRunKey;

class RecordingStarter : public sched::ProcessStarter {
public:
    void StartProcess(std::string_view cmd, std::string_view dir, sched::ShowCommand show) override {
        started.push_back(std::string(cmd) + "|" + std::string(dir) + "|" + std::to_string(int(show)));
    }
    std::vector<std::string> started;
};

class SettingsDialogTest : public ::testing::Test {
public:
    SettingsDialogTest()
        : sound(events),
          boxes(events),
          shell(events),
          eventLog(files, clock, locale, log::LogFilePath(dir.Dir())),
          launcher(starter, settings, [this](std::string_view m) { eventLog.Write(m); }),
          clockWindow(app::ClockWindowParts{.app = {store, clock, locale, files, sound, boxes, shell},
                                            .view = clockView,
                                            .programDir = dir.Dir(),
                                            .links = {.settings = settings,
                                                      .log = eventLog,
                                                      .showReminders = ShowReminders(),
                                                      .launcher = launcher}}),
          dialog(Services(), view),
          reminders(reminderView, store, clockWindow.Settings(), clockWindow.LogWriter(),
                    ProgramVersion{2, 5, 1, 7, "2.5.1.7"}) {
        // Friday 25 December 2026, 09:12:30.
        clock.local = EncodeDate(2026, 12, 25) + EncodeTime(9, 12, 30, 0);
    }

    void Create() {
        clockWindow.FormCreate();
        clockWindow.ConnectDialog(dialog);
        dialog.FormCreate();
        reminders.FormCreate();
        events.Clear();
    }
    app::ShowRemindersFn ShowReminders() {
        return [this](const std::vector<std::string>& items) { reminders.ShowReminders(items); };
    }
    SettingsDialogServices Services(nettime::NetTimeAttempts* netTime = nullptr) {
        return {.app = {store, clock, locale, files, sound, boxes, shell},
                .clockWindow = clockWindow,
                .version = ProgramVersion{2, 5, 1, 7, "2.5.1.7"},
                .executablePath = "C:\\Apps\\plenwick.exe",
                .launcher = launcher,
                .showReminders = ShowReminders(),
                .netTime = netTime};
    }
    void Open() { dialog.Show(app::DialogPage::Schedules); }

    // What a user does.
    void Click(Ctl c) { dialog.OnEvent(c, Event::Click); }
    void Type(Ctl c, std::string_view text) {
        view[c].text = text;
        dialog.OnEvent(c, Event::Change);
    }
    void Leave(Ctl c) { dialog.OnEvent(c, Event::Exit); }
    void Pick(Ctl c, int index) {
        view[c].selected = index;
        dialog.OnEvent(c, index >= 0 && c == Ctl::optSchedType ? Event::Click : Event::Change);
    }
    void SetPicker(Ctl c, DateTime v) {
        view[c].value = v;
        dialog.OnEvent(c, Event::Change);
    }

    void AddSchedule(std::string name, std::string key = {}) {
        CreateKey(store, cfg::ScheduleKey(name));
        if (!key.empty()) cfg::Write(store, cfg::ScheduleKey(name), sv::Message, key);
    }
    std::string Stored(std::string_view name, std::string_view value) {
        return ReadRegString(store, cfg::ScheduleKey(name), value, "<none>");
    }
    std::int32_t StoredInt(std::string_view name, std::string_view value) {
        return ReadRegInteger(store, cfg::ScheduleKey(name), value, -999);
    }
    std::string Date(int y, int m, int d) { return DateToText(EncodeDate(y, m, d), locale); }

    test::TempDir dir;
    test::TestStore store;
    test::FakeClock clock;
    Locale locale = Locale::EnGB();
    posix::PosixFileSystem files;
    test::Events events;
    test::FakeSound sound;
    test::FakeMessageBoxes boxes;
    test::FakeShell shell;
    test::FakeClockView clockView;
    cfg::GlobalSettings settings;
    log::EventLog eventLog;
    RecordingStarter starter;
    sched::Launcher launcher;
    app::ClockWindow clockWindow;
    test::FakeDialogView view;
    SettingsDialog dialog;
    test::FakeReminderView reminderView;
    app::ReminderWindow reminders;
};

TEST_F(SettingsDialogTest, CreationCaptionsTheDialogAndLeavesTheClockStopped) {
    clockWindow.FormCreate();
    EXPECT_EQ(clockView.timerInterval, 0);
    dialog.FormCreate();
    EXPECT_EQ(view.caption, "Plenwick v2.5.1");
    EXPECT_EQ(view[Ctl::lblAppVersion].text, "Version 2.5.1.7");
    EXPECT_EQ(view.page, Page::Schedules);
    EXPECT_FALSE(view.visible);
    // The program starts it when every part exists.
    EXPECT_EQ(clockView.timerInterval, 0);
    // Before any type change the message label reads "Reminder".
    EXPECT_EQ(view[Ctl::lblMsg].text, "Reminder");
}

TEST_F(SettingsDialogTest, WithNoSchedulesSchedule1ShowsDefaultsAndIsStoredOnlyWhenChanged) {
    Create();
    Open();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view[Ctl::cmbSchedules].items, std::vector<std::string>{"Schedule 1"});
    EXPECT_EQ(view[Ctl::cmbSchedules].selected, 0);
    EXPECT_EQ(view[Ctl::optSchedType].selected, cfg::kTypeReminder);
    EXPECT_EQ(view[Ctl::dtStartDate].value, EncodeDate(2026, 12, 25));
    EXPECT_EQ(view[Ctl::dtEndDate].value, EncodeDate(2026, 12, 26));
    EXPECT_EQ(view[Ctl::dtRepeatPeriod].value, EncodeTime(1, 0, 0, 0));
    EXPECT_EQ(view[Ctl::cmbRepeatCycleUnit].selected, 5);
    EXPECT_EQ(view[Ctl::lbl1stDOW].text, "Friday");
    EXPECT_EQ(view[Ctl::lblLastDOW].text, "Saturday");
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Schedule 1")));

    Type(Ctl::edtMessage, "Call the dentist");
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Schedule 1")));
    Leave(Ctl::edtMessage);
    EXPECT_EQ(Stored("Schedule 1", "Message"), "Call the dentist");
}

TEST_F(SettingsDialogTest, RegionalSettingsChangedWhileRunningAreFollowedAtOnceAsAfterARestart) {
    // Written under British settings: 12 August for them, 8 December for
    // an American.
    const std::string key = cfg::ScheduleKey("Tea");
    for (auto [name, text] : {std::pair{"StartDate", "12/08/2026"}, {"StartTime", "09:30:00"},
                              {"EndDate", "12/08/2026"}, {"EndTime", "09:30:00"}, {"Message", "Tea time"}})
        WriteRegString(store, key, name, text);
    cfg::Write(store, kSettingsKey, cfg::global::LogReminders, true);
    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(9, 29, 30, 0);
    Create();
    Open();
    clockWindow.ClockTimer();  // the pass of 09:29: nothing due
    EXPECT_EQ(clockView.labels[app::Label::Date].text, "Tue 08/12/2026");
    EXPECT_EQ(view[Ctl::dtStartDate].value, EncodeDate(2026, 8, 12));
    EXPECT_EQ(view[Ctl::lbl1stDOW].text, "Wednesday");

    locale = Locale::EnUS();
    clockWindow.RegionalSettingsChanged();
    EXPECT_EQ(clockView.labels[app::Label::Date].text, "Tue 12/8/2026");
    EXPECT_EQ(view[Ctl::dtStartDate].value, EncodeDate(2026, 12, 8));
    EXPECT_EQ(view[Ctl::dtEndDate].value, EncodeDate(2026, 12, 8));
    EXPECT_EQ(view[Ctl::lbl1stDOW].text, "Tuesday");
    EXPECT_EQ(Stored("Tea", "StartDate"), "12/08/2026");
    EXPECT_EQ(Stored("Tea", "EndDate"), "12/08/2026");
    EXPECT_TRUE(std::none_of(events.list.begin(), events.list.end(),
                             [](const std::string& e) { return e.starts_with("error:"); }));

    // The next pass reads the schedule as the new settings read it: due
    // now, its reminder and its log line written in the new form.
    clock.local = EncodeDate(2026, 12, 8) + EncodeTime(9, 30, 5, 0);
    clockWindow.ClockTimer();
    ASSERT_FALSE(reminderView.lines.empty());
    EXPECT_TRUE(std::any_of(reminderView.lines.begin(), reminderView.lines.end(), [](const app::StyledLine& l) {
        return l.text.find("Start:12/8/2026 9:30:00 AM") != std::string::npos;
    }));
    const auto log = files.ReadLines(dir.Path("plenwk.log"));
    ASSERT_TRUE(log && !log->empty());
    EXPECT_EQ(log->back(), "12/8/2026 09:30:05 - Reminder:Tea Message:1.Tea time");
    EXPECT_EQ(Stored("Tea", "StartDate"), "12/08/2026");
}

TEST_F(SettingsDialogTest, AddAsksUntilTheNameIsUsableAndWritesTheNewRecordsTiming) {
    AddSchedule("Work");
    Create();
    Open();
    view.inputAnswers = {"", "work", "a\\b", std::string(256, 'x'), "Dentist"};
    Click(Ctl::butAddSched);
    EXPECT_EQ(view.inputPrompts, (std::vector<std::string>{
                                     "Schedule name",
                                     "Please enter a name for Schedule",
                                     "The name already exists. Please select a new one.",
                                     "A schedule name cannot contain \"\\\". Please select another one.",
                                     "The name is too long (at most 255 characters). Please select a shorter one.",
                                 }));
    // The entry keeps what the user typed.
    EXPECT_EQ(view.inputInitials[2], "work");
    EXPECT_EQ(view[Ctl::cmbSchedules].items, (std::vector<std::string>{"Dentist", "Work"}));
    EXPECT_EQ(view[Ctl::cmbSchedules].selected, 0);
    EXPECT_EQ(ReadRegInteger(store, kSettingsKey, "LastSchedule", -1), 0);
    EXPECT_EQ(Stored("Dentist", "StartDate"), Date(2026, 12, 25));
    EXPECT_EQ(Stored("Dentist", "EndDate"), Date(2026, 12, 26));
    EXPECT_EQ(Stored("Dentist", "StartTime"), "00:00:00");
    EXPECT_EQ(Stored("Dentist", "EndTime"), "00:00:00");
    EXPECT_EQ(Stored("Dentist", "RepeatPeriod"), "01:00:00");
    EXPECT_EQ(StoredInt("Dentist", "RepeatCycleNumber"), 0);
    EXPECT_EQ(Stored("Dentist", "RepeatCycleUnit"), "disabled");
    EXPECT_EQ(Stored("Dentist", "Message"), "<none>");

    view.inputAnswers = {std::nullopt};
    Click(Ctl::butAddSched);
    EXPECT_EQ(ListSubkeys(store, cfg::kSchedulesKey, false).size(), 2u);
}

TEST_F(SettingsDialogTest, RenameRefusesTheSameNameInAnyCaseAndMovesTheKey) {
    AddSchedule("Work", "Standup");
    Create();
    Open();
    view.inputAnswers = {"Work", "WORK", "", "Office"};
    Click(Ctl::butRename);
    EXPECT_EQ(view.inputInitials[0], "Work");
    EXPECT_EQ(view.inputPrompts, (std::vector<std::string>{"Rename schedule",
                                                           "The name already exists. Please select a different one.",
                                                           "The name already exists. Please select a different one.",
                                                           "Please enter new name for schedule"}));
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Work")));
    EXPECT_EQ(Stored("Office", "Message"), "Standup");
    EXPECT_EQ(view[Ctl::cmbSchedules].items, std::vector<std::string>{"Office"});
    EXPECT_EQ(view[Ctl::edtMessage].text, "Standup");
}

TEST_F(SettingsDialogTest, DeleteAsksWithNoAsDefaultThenFallsBackToTheFirstEntry) {
    AddSchedule("alpha", "a");
    AddSchedule("Beta", "b");
    cfg::Write(store, kSettingsKey, cfg::global::LastSchedule, 1);
    Create();
    Open();
    EXPECT_EQ(view[Ctl::edtMessage].text, "b");
    Click(Ctl::butDelSched);  // answered with the default, No
    EXPECT_EQ(events.list.back(), "ask:Delete Schedule|Are you sure you want to delete the selected Schedule?");
    EXPECT_TRUE(KeyExists(store, cfg::ScheduleKey("Beta")));
    boxes.answers = {Answer::Yes};
    Click(Ctl::butDelSched);
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Beta")));
    EXPECT_EQ(view[Ctl::cmbSchedules].items, std::vector<std::string>{"alpha"});
    EXPECT_EQ(view[Ctl::edtMessage].text, "a");
    boxes.answers = {Answer::Yes};
    Click(Ctl::butDelSched);
    EXPECT_EQ(view[Ctl::cmbSchedules].items, std::vector<std::string>{"Schedule 1"});
}

TEST_F(SettingsDialogTest, ShowingSortsIgnoringCaseAndSelectsLastSchedule) {
    for (auto n : {"delta", "Alpha", "charlie", "Bravo"}) AddSchedule(n, n);
    const struct {
        int last;
        const char* shown;
    } cases[] = {{0, "Alpha"}, {3, "delta"}, {4, "Alpha"}, {99, "Alpha"}, {-1, "Alpha"}};
    Create();
    for (const auto& c : cases) {
        cfg::Write(store, kSettingsKey, cfg::global::LastSchedule, c.last);
        Open();
        EXPECT_EQ(view[Ctl::cmbSchedules].items, (std::vector<std::string>{"Alpha", "Bravo", "charlie", "delta"}));
        EXPECT_EQ(view[Ctl::edtMessage].text, c.shown) << c.last;
    }
}

TEST_F(SettingsDialogTest, TypeAndSoundStatesFollowTheLoadedValues) {
    AddSchedule("Backup", "C:\\tools\\backup.exe");
    cfg::Write(store, cfg::ScheduleKey("Backup"), sv::ScheduleType, 0);
    cfg::Write(store, cfg::ScheduleKey("Backup"), sv::ScheduleSound, true);
    AddSchedule("Call", "Ring Mum");
    Create();
    Open();
    EXPECT_EQ(view[Ctl::lblMsg].text, "Application");
    EXPECT_EQ(view[Ctl::lbl1stRem].text, "First run:");
    EXPECT_TRUE(view[Ctl::edtWorkingDir].enabled);
    EXPECT_TRUE(view[Ctl::edtSoundName].enabled);
    Pick(Ctl::cmbSchedules, 1);
    EXPECT_EQ(view[Ctl::lblMsg].text, "Message");
    EXPECT_EQ(view[Ctl::lblLastRem].text, "Last reminder:");
    EXPECT_FALSE(view[Ctl::cmbWindowState].enabled);
    EXPECT_FALSE(view[Ctl::butPlaySound].enabled);
    Pick(Ctl::optSchedType, 0);
    EXPECT_EQ(StoredInt("Call", "ScheduleType"), 0);
    EXPECT_TRUE(view[Ctl::butBrowseApp].enabled);
}

TEST_F(SettingsDialogTest, DatesAndTimesAreStoredAsTheyChange) {
    AddSchedule("Trip");
    Create();
    Open();
    SetPicker(Ctl::dtStartDate, EncodeDate(2027, 1, 10));
    EXPECT_EQ(Stored("Trip", "StartDate"), Date(2027, 1, 10));
    EXPECT_EQ(Stored("Trip", "EndDate"), Date(2027, 1, 11));
    EXPECT_EQ(view[Ctl::lblLastDOW].text, "Monday");
    SetPicker(Ctl::dtEndDate, EncodeDate(2027, 1, 2));
    EXPECT_EQ(Stored("Trip", "EndDate"), Date(2027, 1, 2));  // before the start, kept
    SetPicker(Ctl::dtStartTime, EncodeTime(10, 15, 40, 0));
    EXPECT_EQ(Stored("Trip", "StartTime"), "10:15:00");
    EXPECT_EQ(view[Ctl::dtStartTime].value, EncodeTime(10, 15, 0, 0));
    Type(Ctl::spinRepeatCycleNumber, "12x");
    EXPECT_EQ(StoredInt("Trip", "RepeatCycleNumber"), 0);
    Type(Ctl::spinRepeatCycleNumber, "123456789");
    Leave(Ctl::spinRepeatCycleNumber);
    EXPECT_EQ(view[Ctl::spinRepeatCycleNumber].text, "99999999");
    EXPECT_EQ(StoredInt("Trip", "RepeatCycleNumber"), 99999999);
    Pick(Ctl::cmbRepeatCycleUnit, 1);
    EXPECT_EQ(Stored("Trip", "RepeatCycleUnit"), "mths date");
}

TEST_F(SettingsDialogTest, LeavingTheProgramFieldFillsAnEmptyWorkingFolder) {
    const std::string exe = dir.Path("tool.exe");
    std::ofstream(exe) << "x";
    AddSchedule("Run");
    Create();
    Open();
    Type(Ctl::edtMessage, exe);
    Leave(Ctl::edtMessage);
    EXPECT_EQ(view[Ctl::edtWorkingDir].text, dir.Dir());
    EXPECT_EQ(Stored("Run", "WorkingDir"), dir.Dir());
    Type(Ctl::edtWorkingDir, "C:\\work\\");
    Leave(Ctl::edtWorkingDir);
    Type(Ctl::edtMessage, exe);
    Leave(Ctl::edtMessage);
    EXPECT_EQ(Stored("Run", "WorkingDir"), "C:\\work\\");
}

TEST_F(SettingsDialogTest, SkipToNextCycle) {
    struct Case {
        const char* what;
        const char* unit;
        const char* number;
        CivilDate start, end;
        CivilDate newStart, newEnd;
        const char* error;
    };
    const Case cases[] = {
        {"days by 3", "days", "3", {2026, 12, 25}, {2026, 12, 26}, {2026, 12, 28}, {2026, 12, 29}, nullptr},
        {"disabled", "disabled", "3", {2026, 12, 25}, {2026, 12, 26}, {2026, 12, 25}, {2026, 12, 26}, nullptr},
        {"number 0", "days", "0", {2026, 12, 25}, {2026, 12, 26}, {2026, 12, 25}, {2026, 12, 26}, nullptr},
        {"last Friday of December", "mths dow-", "1", {2026, 12, 25}, {2026, 12, 25}, {2027, 1, 29}, {2027, 1, 29},
         nullptr},
        {"beyond 9999", "years", "99999999", {2026, 12, 25}, {2026, 12, 26}, {2026, 12, 25}, {2026, 12, 26},
         "error:Invalid argument to date encode"},
    };
    Create();
    for (const auto& c : cases) {
        const std::string name = c.what;
        AddSchedule(name);
        const std::string key = cfg::ScheduleKey(name);
        cfg::Write(store, key, sv::StartDate, DateToText(EncodeDate(c.start.year, c.start.month, c.start.day), locale));
        cfg::Write(store, key, sv::EndDate, DateToText(EncodeDate(c.end.year, c.end.month, c.end.day), locale));
        cfg::Write(store, key, sv::RepeatCycleUnit, c.unit);
        cfg::Write(store, key, sv::RepeatCycleNumber, std::stoi(c.number));
        Open();
        view.inputAnswers.clear();
        const auto& items = view[Ctl::cmbSchedules].items;
        Pick(Ctl::cmbSchedules, int(std::find(items.begin(), items.end(), name) - items.begin()));
        ASSERT_EQ(view[Ctl::edtMessage].text, "") << c.what;
        events.Clear();
        Click(Ctl::butSkipToNextCycle);
        EXPECT_EQ(Stored(name, "StartDate"), Date(c.newStart.year, c.newStart.month, c.newStart.day)) << c.what;
        EXPECT_EQ(Stored(name, "EndDate"), Date(c.newEnd.year, c.newEnd.month, c.newEnd.day)) << c.what;
        EXPECT_EQ(view[Ctl::dtStartDate].value, EncodeDate(c.newStart.year, c.newStart.month, c.newStart.day));
        if (c.error)
            EXPECT_EQ(events.list, std::vector<std::string>{c.error}) << c.what;
        else
            EXPECT_TRUE(events.list.empty()) << c.what;
    }
}

TEST_F(SettingsDialogTest, RunOnlyOnceLeavesOneOccurrence) {
    AddSchedule("Weekly");
    const std::string key = cfg::ScheduleKey("Weekly");
    cfg::Write(store, key, sv::StartTime, "08:30:00");
    cfg::Write(store, key, sv::EndTime, "17:00:00");
    cfg::Write(store, key, sv::EndDate, Date(2027, 3, 1));
    cfg::Write(store, key, sv::RepeatCycleUnit, "days");
    cfg::Write(store, key, sv::RepeatCycleNumber, 7);
    Create();
    Open();
    Click(Ctl::butOnceOnly);
    EXPECT_EQ(Stored("Weekly", "EndDate"), Stored("Weekly", "StartDate"));
    EXPECT_EQ(Stored("Weekly", "EndTime"), "08:30:00");
    EXPECT_EQ(Stored("Weekly", "RepeatPeriod"), "00:00:00");
    EXPECT_EQ(StoredInt("Weekly", "RepeatCycleNumber"), 0);
    EXPECT_EQ(Stored("Weekly", "RepeatCycleUnit"), "disabled");
    EXPECT_EQ(view[Ctl::lblLastDOW].text, "Friday");
}

TEST_F(SettingsDialogTest, TypedTextIsStoredBeforeAnythingElseHappens) {
    AddSchedule("A", "old a");
    AddSchedule("B", "old b");
    struct Case {
        const char* what;
        std::function<void(SettingsDialogTest&)> act;
    };
    const Case cases[] = {
        {"a button of the page", [](SettingsDialogTest& t) { t.Click(Ctl::butOnceOnly); }},
        {"a picture button", [](SettingsDialogTest& t) { t.Click(Ctl::butTestApp); }},
        {"a change of selection", [](SettingsDialogTest& t) { t.Pick(Ctl::cmbSchedules, 1); }},
        {"closing the dialog", [](SettingsDialogTest& t) { t.dialog.Close(); }},
        {"the program exiting", [](SettingsDialogTest& t) { t.dialog.StorePendingText(); }},
        {"showing the dialog again", [](SettingsDialogTest& t) { t.Open(); }},
    };
    Create();
    for (const auto& c : cases) {
        cfg::Write(store, kSettingsKey, cfg::global::LastSchedule, 0);
        Open();
        Type(Ctl::edtMessage, std::string("new a: ") + c.what);
        c.act(*this);
        EXPECT_EQ(Stored("A", "Message"), std::string("new a: ") + c.what) << c.what;
        EXPECT_EQ(Stored("B", "Message"), "old b") << c.what;
    }
}

TEST_F(SettingsDialogTest, TestShowsTheShownValuesWithoutStoringThem) {
    AddSchedule("Dentist", "Teeth");
    const std::string key = cfg::ScheduleKey("Dentist");
    cfg::Write(store, key, sv::StartTime, "09:30:00");
    cfg::Write(store, key, sv::RepeatCycleNumber, 2);
    cfg::Write(store, key, sv::RepeatCycleUnit, "days");
    Create();
    Open();
    Type(Ctl::edtMessage, "Teeth || floss");
    Click(Ctl::butTestApp);
    ASSERT_EQ(reminderView.lines.size(), 3u);
    EXPECT_EQ(reminderView.lines[0].text, "Start:" + Date(2026, 12, 25) + " 09:30:00     [01:00:00/2days]     End:" +
                                              Date(2026, 12, 26) + " 00:00:00");
    EXPECT_EQ(reminderView.lines[1].text, "1.Teeth || floss");
    // Test stores the pending text first, as any button does, and nothing else.
    EXPECT_EQ(Stored("Dentist", "Message"), "Teeth || floss");

    Pick(Ctl::optSchedType, 0);
    Type(Ctl::edtMessage, "notepad.exe");
    Click(Ctl::butTestApp);
    EXPECT_EQ(starter.started, std::vector<std::string>{"notepad.exe||1"});
}

TEST_F(SettingsDialogTest, AScheduleDeletedBehindTheOpenDialogLeavesItsList) {
    AddSchedule("Gone", "g");
    AddSchedule("Kept", "k");
    Create();
    Open();
    Type(Ctl::edtMessage, "typed for gone");
    // The tick has deleted the expired schedule's key.
    DeleteKey(store, cfg::ScheduleKey("Gone"));
    dialog.FollowStoredSchedules();
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Gone")));
    EXPECT_EQ(view[Ctl::cmbSchedules].items, std::vector<std::string>{"Kept"});
    EXPECT_EQ(view[Ctl::edtMessage].text, "k");
}

// The dialog's look at the schedules key, case by case: only a schedule
// the store held and lost leaves the list, and a look with nothing gone
// writes nothing.
TEST_F(SettingsDialogTest, TheOpenDialogsLookDropsOnlySchedulesTheStoreLost) {
    struct Case {
        std::vector<std::string> stored;
        std::string deleted;  // empty: nothing deleted
        bool open;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        {{"A", "B"}, "B", true, {"A"}},
        {{"A", "B"}, "A", true, {"B"}},
        {{"A"}, "A", true, {"Schedule 1"}},
        // The first schedule's name, shown while none is stored.
        {{}, "", true, {"Schedule 1"}},
        {{"A", "B"}, "", true, {"A", "B"}},
        // Hidden, the list waits for the next showing, which reads it again.
        {{"A", "B"}, "B", false, {"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleted + (c.open ? " open" : " hidden"));
        struct Fresh : SettingsDialogTest {
            void TestBody() override {}
        } t;
        for (const auto& n : c.stored) t.AddSchedule(n, n);
        t.Create();
        t.Open();
        if (!c.open) t.dialog.Close();
        if (!c.deleted.empty()) DeleteKey(t.store, cfg::ScheduleKey(c.deleted));
        const int writes = t.store.counts.writes;
        t.dialog.FollowStoredSchedules();
        t.dialog.FollowStoredSchedules();
        EXPECT_EQ(t.view[Ctl::cmbSchedules].items, c.listed);
        if (c.deleted.empty()) {
            EXPECT_EQ(t.store.counts.writes, writes);
        }
        EXPECT_FALSE(KeyExists(t.store, cfg::ScheduleKey(c.deleted.empty() ? "none" : c.deleted)));
    }
}

// A box of the dialog is up when the schedule goes: the look waits for the
// handler to end, and the next one drops it.
TEST_F(SettingsDialogTest, AScheduleDeletedWhileABoxOfTheDialogIsUpLeavesTheListAfterIt) {
    AddSchedule("A", "a");
    AddSchedule("B", "b");
    Create();
    Open();
    std::vector<std::string> listedWhileUp;
    boxes.whileShown = [&] {
        DeleteKey(store, cfg::ScheduleKey("B"));
        // The dialog's timer fires in the box's own loop.
        dialog.FollowStoredSchedules();
        listedWhileUp = view[Ctl::cmbSchedules].items;
    };
    Click(Ctl::butHelp);  // no help file: "Help file not found"
    EXPECT_EQ(listedWhileUp, (std::vector<std::string>{"A", "B"}));
    dialog.FollowStoredSchedules();
    EXPECT_EQ(view[Ctl::cmbSchedules].items, std::vector<std::string>{"A"});
    EXPECT_EQ(view[Ctl::edtMessage].text, "a");
}

TEST_F(SettingsDialogTest, ABadStoredValueStopsTheFillWithTheStoresError) {
    AddSchedule("Bad", "shown");
    cfg::Write(store, cfg::ScheduleKey("Bad"), sv::StartDate, "not a date");
    Create();
    Open();
    EXPECT_EQ(events.list, std::vector<std::string>{"error:'not a date' is not a valid date"});
    EXPECT_EQ(view[Ctl::edtMessage].text, "shown");
    EXPECT_TRUE(view.visible);
}

TEST_F(SettingsDialogTest, MenuCommandsOpenTheirPages) {
    Create();
    view.page = Page::Display;
    clockWindow.lblDateDblClick();
    EXPECT_EQ(view.page, Page::Display);
    clockWindow.mnuAboutClick();
    EXPECT_EQ(view.page, Page::About);
    clockWindow.mnuOptionsClick();
    EXPECT_EQ(view.page, Page::Schedules);
    dialog.Close();
    EXPECT_FALSE(view.visible);
}

TEST_F(SettingsDialogTest, TheTimeHelpersLineIsFilledWhenTheNetTimePageShows) {
    Create();
    dialog.Show(app::DialogPage::Schedules);
    EXPECT_EQ(view[Ctl::lblTimeHelper].text, "");
    dialog.PageShown(Page::Display);
    EXPECT_EQ(view[Ctl::lblTimeHelper].text, "Time helper: not installed");
}

TEST_F(SettingsDialogTest, ConnectNowGreysItselfAndSaysWhichServerIsAskedUntilItsAnswer) {
    Create();
    test::FakeIoDriver driver;  // a server that never answers
    struct Connected : nettime::ConnectionState {
        bool IsInternetConnected() override { return true; }
    } connection;
    nettime::NetTimeAttempts netTime({AppServices{store, clock, locale, files, sound, boxes, shell}, driver, connection,
                                  clockWindow.Settings(), [this] { return clockWindow.Settings().MaxCorrection; }, nullptr});
    SettingsDialog withNet(Services(&netTime), view);
    withNet.FormCreate();
    withNet.Show(app::DialogPage::Schedules);
    view[Ctl::memoTimeServers].text = "127.0.0.1\r\nother";
    withNet.OnEvent(Ctl::butConnectNow, Event::Click);
    EXPECT_FALSE(view[Ctl::butConnectNow].enabled);
    EXPECT_FALSE(view[Ctl::butTestTimeServers].enabled);
    EXPECT_EQ(view[Ctl::lblNetTimeProgress].text, "Asking 1 of 1: 127.0.0.1\xE2\x80\xA6");
    // Closing the dialog does not end the attempt the user started.
    withNet.Close();
    events.Clear();
    driver.RunUntilIdle();
    EXPECT_EQ(events.list, (std::vector<std::string>{"beep", "box:Time not adjusted."}));
    EXPECT_TRUE(view[Ctl::butConnectNow].enabled);
    EXPECT_TRUE(view[Ctl::butTestTimeServers].enabled);
    EXPECT_EQ(view[Ctl::lblNetTimeProgress].text, "");
}

TEST_F(SettingsDialogTest, OptionPagesShowTheDefaultsWithNothingStored) {
    Create();
    EXPECT_EQ(view[Ctl{IDC_EDT_MSGDISPLAYTIME}].text, "50");
    EXPECT_EQ(view[Ctl{IDC_EDT_SNOOZEMINUTES}].text, "10");
    EXPECT_EQ(view[Ctl{IDC_TB_FONTHEIGHT}].position, 19);
    EXPECT_EQ(view[Ctl{IDC_EDT_TRIMLOGDAYS}].text, "30");
    EXPECT_EQ(view[Ctl{IDC_EDT_DELSCHEDDAYS}].text, "30");
    EXPECT_EQ(view[Ctl::MaxCorrection].text, "60");
    EXPECT_EQ(view[Ctl::cmbClockDateFormat].text, "default");
    EXPECT_TRUE(view[Ctl{IDC_CHK_BEEP}].checked);
    EXPECT_TRUE(view[Ctl::chkAlwaysOnTop].checked);
    EXPECT_EQ(view[Ctl::edtBackupDir].text, "C:\\Apps\\backup");
    EXPECT_EQ(view[Ctl{IDC_BUT_REMINDERBGCOLOR}].colour, 0xFF00000Fu);
    EXPECT_EQ(view[Ctl{IDC_BUT_REMINDERTEXTCOLOR}].colour, 0xFF0000u);
    EXPECT_EQ(clockWindow.Settings().MaxCorrection, 60);
}

// Every row of the option pages, as a user meets it: the stored value shows
// in its control and reaches the clock window's settings at the start; a
// change is stored at once (a text field's when it is left, an integer
// field brought into its range), dependent controls follow a check box, and
// a store that refuses the write says so in the error box.
TEST_F(SettingsDialogTest, EveryOptionRowFillsItsControlAndWritesThrough) {
    struct Fresh : SettingsDialogTest {
        void TestBody() override {}
    };
    int rows = 0;
    for (const OptionPage& page : OptionPages()) {
        for (const OptionRow& row : page.rows) {
            ++rows;
            const Ctl c = row.control;
            SCOPED_TRACE(static_cast<int>(c));
            Fresh t;
            auto& v = t.view[c];
            auto& settings = t.clockWindow.Settings();
            std::visit(
                [&](const auto* value) {
                    using V = std::remove_cvref_t<decltype(*value)>;
                    using F = typename cfg::FieldOf<V>::type;
                    auto field = [&]() -> std::optional<F> {
                        if (auto* f = std::get_if<F GlobalSettings::*>(&row.field)) return settings.*(*f);
                        return std::nullopt;
                    };
                    auto stored = [&] { return cfg::Read(t.store, kSettingsKey, *value); };
                    // What the start shows, and what the user then sets.
                    F before{}, after{};
                    std::function<void()> act;
                    std::function<void()> expectShown;
                    if constexpr (std::is_same_v<V, cfg::FlagValue>) {
                        before = !value->def;
                        after = value->def;
                        expectShown = [&] { EXPECT_EQ(v.checked, before); };
                        act = [&] {
                            v.checked = after;
                            t.Click(c);
                        };
                    } else if constexpr (std::is_same_v<V, cfg::IntValue>) {
                        before = value->def == value->max ? value->min : value->max;
                        after = value->def;
                        if (row.kind == RowKind::Slider) {
                            expectShown = [&] { EXPECT_EQ(v.position, before); };
                            act = [&] {
                                v.position = after;
                                t.dialog.OnEvent(c, Event::Change);
                            };
                        } else {
                            // Typed past the top, then brought back on leaving.
                            after = value->max;
                            before = value->min;
                            expectShown = [&] { EXPECT_EQ(v.text, std::to_string(before)); };
                            act = [&] {
                                t.Type(c, "99999999999");
                                t.Leave(c);
                                EXPECT_EQ(v.text, std::to_string(value->max));
                            };
                        }
                    } else if constexpr (std::is_same_v<V, cfg::ColourValue>) {
                        before = 0x00123456u;
                        after = 0x00ABCDEFu;
                        expectShown = [&] { EXPECT_EQ(v.colour, before); };
                        act = [&] {
                            t.view.colourAnswers = {after};
                            t.Click(c);
                            EXPECT_EQ(v.colour, after);
                        };
                    } else {
                        before = "shown at the start";
                        after = "typed";
                        expectShown = [&] { EXPECT_EQ(v.text, before); };
                        act = [&] {
                            t.Type(c, after);
                            if (row.kind == RowKind::Text) {
                                EXPECT_EQ(stored(), before) << "stored before the field is left";
                                t.Leave(c);
                            }
                        };
                    }
                    cfg::Write(t.store, kSettingsKey, *value, before);
                    t.Create();
                    expectShown();
                    if (field()) {
                        EXPECT_EQ(*field(), before);
                    }

                    act();
                    EXPECT_EQ(stored(), after);
                    if (field()) {
                        EXPECT_EQ(*field(), after);
                    }
                    for (Ctl d : row.enables) {
                        if constexpr (std::is_same_v<F, bool>) {
                            EXPECT_EQ(t.view[d].enabled, after);
                        }
                    }

                    cfg::Write(t.store, kSettingsKey, *value, before);
                    t.Open();
                    t.events.Clear();
                    t.store.refuse.write = [](Root, std::string_view, std::string_view) { return true; };
                    act();
                    EXPECT_EQ(stored(), before);
                    EXPECT_NE(std::find_if(t.events.list.begin(), t.events.list.end(),
                                           [](const std::string& e) { return e.rfind("error:", 0) == 0; }),
                              t.events.list.end());
                },
                row.value);
        }
    }
    EXPECT_GT(rows, 20);
}

TEST_F(SettingsDialogTest, StartUpAppliesWhatTheStoredValuesSay) {
    struct Case {
        const char* what;
        std::function<void(Store&)> stored;
        std::function<void(SettingsDialogTest&)> check;
    };
    const Case cases[] = {
        {"LaunchAtWinStart missing removes both Run entries",
         [](Store& s) {
             WriteRegString(s, kRunKey, "Plenwick", "old");
             if (auto k = s.Open(Root::LocalMachine, kRunKey, OpenMode::Create))
                 k->SetValue("Plenwick", StoreValue::Text("old"));
         },
         [](SettingsDialogTest& t) {
             EXPECT_EQ(ReadRegString(t.store, kRunKey, "Plenwick", "<none>"), "<none>");
             EXPECT_FALSE(t.store.Open(Root::LocalMachine, kRunKey, OpenMode::Read)->GetValue("Plenwick"));
         }},
        {"LaunchAtWinStart true leaves the entry alone",
         [](Store& s) {
             cfg::Write(s, kSettingsKey, cfg::global::LaunchAtWinStart, true);
             WriteRegString(s, kRunKey, "Plenwick", "as it was");
         },
         [](SettingsDialogTest& t) { EXPECT_EQ(ReadRegString(t.store, kRunKey, "Plenwick", ""), "as it was"); }},
        {"AlwaysOnTop false stacks the clock normally",
         [](Store& s) { cfg::Write(s, kSettingsKey, cfg::global::AlwaysOnTop, false); },
         [](SettingsDialogTest& t) { EXPECT_FALSE(t.clockView.topmost); }},
        {"ReminderFontSize 40 shows 25 and writes it back",
         [](Store& s) { cfg::Write(s, kSettingsKey, cfg::global::ReminderFontSize, 40); },
         [](SettingsDialogTest& t) {
             EXPECT_EQ(t.view[Ctl{IDC_TB_FONTHEIGHT}].position, 25);
             EXPECT_EQ(ReadRegInteger(t.store, kSettingsKey, "ReminderFontSize", 0), 25);
         }},
        {"the sound flags enable their controls",
         [](Store& s) {
             cfg::Write(s, kSettingsKey, cfg::global::GlobalSoundEnabled, true);
             cfg::Write(s, kSettingsKey, cfg::global::AutoSynchTime, false);
         },
         [](SettingsDialogTest& t) {
             EXPECT_TRUE(t.view[Ctl::edtGlobalSoundName].enabled);
             EXPECT_FALSE(t.view[Ctl{IDC_EDT_AUTOSYNCHINTERVAL}].enabled);
         }},
    };
    // A fresh program for each case.
    struct Fresh : SettingsDialogTest {
        void TestBody() override {}
    };
    for (const auto& c : cases) {
        Fresh t;
        c.stored(t.store);
        t.clockView.topmost = true;
        t.Create();
        SCOPED_TRACE(c.what);
        c.check(t);
    }
}

TEST_F(SettingsDialogTest, OptionsTakeEffectAtOnce) {
    Create();
    auto& settings = clockWindow.Settings();
    Click(Ctl::chkLaunchAtWinStart);  // ticks it
    view[Ctl::chkLaunchAtWinStart].checked = true;
    Click(Ctl::chkLaunchAtWinStart);
    EXPECT_EQ(ReadRegString(store, kRunKey, "Plenwick", ""), "\"C:\\Apps\\plenwick.exe\"");
    EXPECT_FALSE(store.Open(Root::LocalMachine, kRunKey, OpenMode::Read));

    view[Ctl::chkAlwaysOnTop].checked = false;
    Click(Ctl::chkAlwaysOnTop);
    EXPECT_FALSE(clockView.topmost);

    view[Ctl::cmbClockDateFormat].text = "";
    for (const char* typed : {"d", "dd", "ddd"}) Type(Ctl::cmbClockDateFormat, typed);
    EXPECT_EQ(ReadRegString(store, kSettingsKey, "ClockDateFormat", ""), "ddd");
    EXPECT_EQ(settings.ClockDateFormat, "ddd");

    view[Ctl{IDC_TB_FONTHEIGHT}].position = 10;
    dialog.OnEvent(Ctl{IDC_TB_FONTHEIGHT}, Event::Change);
    EXPECT_EQ(settings.ReminderFontSize, 10);
    reminders.ShowReminders({"Tea||Start:x||Kettle"});
    EXPECT_EQ(reminderView.lines[1].style.points, PixelsToPoints(10, reminderView.PixelsPerInch()));

    view.colourAnswers = {255u, std::nullopt};
    Click(Ctl{IDC_BUT_REMINDERTEXTCOLOR});
    EXPECT_EQ(ReadRegInteger(store, kSettingsKey, "ReminderTextColor", 0), 255);
    EXPECT_EQ(settings.ReminderTextColor, 255u);
    Click(Ctl{IDC_BUT_REMINDERBGCOLOR});  // opens on the colour last chosen; cancelled
    EXPECT_EQ(view.colourStarts, (std::vector<std::uint32_t>{0u, 255u}));
    EXPECT_EQ(settings.ReminderBackground, 0xFF00000Fu);

    Type(Ctl{IDC_EDT_MSGDISPLAYTIME}, "ten");
    EXPECT_EQ(settings.MsgDisplayTime, 0);
    Type(Ctl{IDC_EDT_MSGDISPLAYTIME}, "123456");
    Leave(Ctl{IDC_EDT_MSGDISPLAYTIME});
    EXPECT_EQ(view[Ctl{IDC_EDT_MSGDISPLAYTIME}].text, "9999");
    EXPECT_EQ(ReadRegInteger(store, kSettingsKey, "MsgDisplayTime", 0), 9999);

    // The synchronisation reads the field as it stands; a text that is not
    // a number is no maximum.
    Type(Ctl::MaxCorrection, "lots");
    EXPECT_EQ(settings.MaxCorrection, 0);
    Type(Ctl::MaxCorrection, "5");
    EXPECT_EQ(settings.MaxCorrection, 5);
    EXPECT_EQ(ReadRegInteger(store, kSettingsKey, "MaxCorrection", 0), 5);

    view[Ctl{IDC_CHK_LOGREMINDERS}].checked = true;
    Click(Ctl{IDC_CHK_LOGREMINDERS});
    EXPECT_TRUE(settings.LogReminders);

    Type(Ctl::memoTimeServers, "127.0.0.1\r\n");
    Click(Ctl::butTrimLog);
    EXPECT_EQ(settings.TimeServers, "127.0.0.1\r\n");
    EXPECT_EQ(events.list.back(), "box:Log file trimmed.");

    Type(Ctl::edtBackupDir, dir.Path("saved"));
    Click(Ctl::butBackup);
    EXPECT_EQ(ReadRegString(store, kSettingsKey, "BackupDir", ""), dir.Path("saved"));
    EXPECT_EQ(events.list.back(), "box:Finished Backup.");
}

TEST_F(SettingsDialogTest, ClicksOnTheBackupGroupWhileItsBoxIsUpAreIgnored) {
    Create();
    Open();
    auto fileText = [&](std::string_view name) {
        std::ifstream f(backup::AddTrailingBackslash(dir.Path("saved")) + std::string(name));
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    WriteRegInteger(store, kSettingsKey, "MsgDisplayTime", 30);
    Type(Ctl::edtBackupDir, dir.Path("saved"));
    Click(Ctl::butBackup);
    WriteRegInteger(store, kSettingsKey, "MsgDisplayTime", 99);

    // The other half of a double click, and then Backup, while the first
    // restore's box is up.
    boxes.whileShown = [&] {
        Click(Ctl::butRestore);
        Click(Ctl::butBackup);
    };
    boxes.answers = {Answer::Yes};
    Click(Ctl::butRestore);
    EXPECT_EQ(std::count_if(events.list.begin(), events.list.end(),
                            [](const std::string& e) { return e.rfind("box:Configuration restored.", 0) == 0; }),
              1);
    EXPECT_NE(fileText("registry-before-restore.cfg").find("MsgDisplayTimeint=99"), std::string::npos);
    EXPECT_EQ(ReadRegInteger(store, kSettingsKey, "MsgDisplayTime", 0), 30);
    EXPECT_TRUE(clockView.closed);

    // Once the box is answered the group answers again.
    Click(Ctl::butBackup);
    EXPECT_EQ(events.list.back(), "box:Finished Backup.");
}

TEST_F(SettingsDialogTest, TheBackupFieldShowsTheStoredFolder) {
    WriteRegString(store, kSettingsKey, "BackupDir", "D:\\Saved");
    Create();
    EXPECT_EQ(view[Ctl::edtBackupDir].text, "D:\\Saved");
}

}  // namespace
}  // namespace pw::ui
