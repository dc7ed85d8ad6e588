#include "ui/backup_group.h"

#include <gtest/gtest.h>

#include "backup/backup.h"
#include "common/memory_store.h"
#include "common/store_access.h"
#include "config/values.h"
#include "support/fake_services.h"
#include "support/fault_files.h"
#include "support/memory_files.h"
#include "support/test_services.h"

namespace pw::ui {
namespace {

constexpr std::string_view kMain = cfg::kSettingsKey;
constexpr std::string_view kSchedules = cfg::kSchedulesKey;

class FakePage : public BackupPage {
public:
    std::string BackupDirText() override { return text; }
    void SetBackupDirText(std::string_view t) override { text = std::string(t); }
    std::optional<std::string> BrowseForFolder(std::string_view start) override {
        presets.emplace_back(start);
        return chosen;
    }
    void SetUndoRestoreEnabled(bool enabled) override { undoEnabled = enabled; }
    std::string text;
    std::optional<std::string> chosen;
    bool undoEnabled = false;
    std::vector<std::string> presets;
};

class BackupGroupTest : public ::testing::Test {
public:
    BackupGroupTest() : fs(mem), sound(events), boxes(events) {}

    std::string Sched(std::string_view name) { return cfg::ScheduleKey(name); }
    std::string Box() {
        for (auto& e : events.list)
            if (e.rfind("box:", 0) == 0 || e.rfind("error:", 0) == 0) return e;
        return "(no box)";
    }
    bool Mentions(std::string_view part) { return Box().find(part) != std::string::npos; }
    // A configuration with a reminder and a launch, and a crafted backup
    // beside it that plants a launch, turns the reminder into one, keeps
    // the launch as it is and changes two settings.
    void PlantCraftedBackup() {
        WriteRegInteger(store, kMain, "MsgDisplayTime", 5);
        WriteRegString(store, Sched("Tea"), "Message", "Brew");
        WriteRegInteger(store, Sched("Tea"), "ScheduleType", 1);
        WriteRegString(store, Sched("Run"), "Message", "C:\\same.exe");
        WriteRegInteger(store, Sched("Run"), "ScheduleType", 0);
        mem.MakeDirectories("C:\\Saved");
        mem.files["C:\\Saved\\registry.cfg"] =
            "[\\Software\\Corvane Software\\Plenwick]\r\nMsgDisplayTimeint=50\r\nUpdateServerstr=evil.test\r\n\r\n"
            "[\\Software\\Corvane Software\\Plenwick\\Schedules\\Evil]\r\nScheduleTypeint=0\r\n"
            "Messagestr=C:\\evil.exe\r\nWorkingDirstr=C:\\\r\n\r\n"
            "[\\Software\\Corvane Software\\Plenwick\\Schedules\\Run]\r\nMessagestr=C:\\same.exe\r\n\r\n"
            "[\\Software\\Corvane Software\\Plenwick\\Schedules\\Tea]\r\nScheduleTypeint=0\r\nMessagestr=C:\\tea.exe\r\n";
        page.text = "C:\\Saved";
    }

    MemoryStore store;
    test::MemoryFileSystem mem;
    test::FaultyFileSystem fs;
    test::Events events;
    test::FakeSound sound;
    test::FakeMessageBoxes boxes;
    FakePage page;
    int closed = 0;
    BackupGroup group{page, {pw::test::Services(store, fs, sound, boxes), [this] { ++closed; }}};
};

TEST_F(BackupGroupTest, LeavingTheFieldAndChoosingAFolderStoreIt) {
    page.text = "D:\\Typed";
    group.edtBackupDirExit();
    EXPECT_EQ(ReadRegString(store, kMain, "BackupDir", ""), "D:\\Typed");

    group.butBackDirBrowseClick();  // cancelled
    EXPECT_EQ(page.presets, std::vector<std::string>{"D:\\Typed"});
    EXPECT_EQ(page.text, "D:\\Typed");

    page.chosen = "E:\\Chosen";
    group.butBackDirBrowseClick();
    EXPECT_EQ(page.text, "E:\\Chosen");
    EXPECT_EQ(ReadRegString(store, kMain, "BackupDir", ""), "E:\\Chosen");
}

TEST_F(BackupGroupTest, BackupMakesANewNestedFolderAndSaysItFinished) {
    WriteRegInteger(store, kMain, "MsgDisplayTime", 50);
    page.text = "C:\\Users\\me\\Saved\\Plenwick";
    group.butBackupClick();
    EXPECT_EQ(events.list, (std::vector<std::string>{"beep", "box:Finished Backup."}));
    auto lines = mem.ReadLines("C:\\Users\\me\\Saved\\Plenwick\\registry.cfg");
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"[\\Software\\Corvane Software\\Plenwick]", "MsgDisplayTimeint=50", ""}));
}

TEST_F(BackupGroupTest, AFailedBackupSaysWhereAndKeepsThePreviousFile) {
    struct Case {
        const char* what;
        std::string dir;
        std::function<void(BackupGroupTest&)> setup;
        std::string says;
    };
    const Case cases[] = {
        {"empty field", "", nullptr, "error:Unable to create directory"},
        {"folder cannot be made", "C:\\Locked\\New", [](auto& t) {
             t.mem.MakeDirectories("C:\\Locked");
             t.mem.readOnlyDirs.insert("C:\\Locked");
         },
         "error:Unable to create directory \"C:\\Locked\\New\\\""},
        {"disk full", "C:\\Saved", [](auto& t) { t.fs.fail.diskSpace = 10; },
         "error:Backup failed: \"C:\\Saved\\registry.cfg\" could not be written.\nAn older backup in \"C:\\Saved\\\" is unchanged."},
        {"text outside the code page", "C:\\Saved",
         [](auto& t) { WriteRegString(t.store, t.Sched("Tea"), "Message", "茶"); },
         "error:Backup failed: the value \"Message\" of the key \"\\Software\\Corvane Software\\Plenwick\\Schedules\\Tea\" "
         "holds characters the ANSI code page cannot hold. Nothing was written."},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        store.DeleteTree(Root::CurrentUser, kMain);
        fs.fail = {};
        events.Clear();
        WriteRegInteger(store, kMain, "Top", 1);
        mem.MakeDirectories("C:\\Saved");
        mem.files["C:\\Saved\\registry.cfg"] = "previous";
        if (c.setup) c.setup(*this);
        page.text = c.dir;
        group.butBackupClick();
        EXPECT_EQ(Box().substr(0, c.says.size()), c.says);
        EXPECT_EQ(mem.files["C:\\Saved\\registry.cfg"], "previous");
        EXPECT_EQ(std::count(events.list.begin(), events.list.end(), "box:Finished Backup."), 0);
    }
}

TEST_F(BackupGroupTest, RestoreBringsBackTheBackupKeepsAddedSchedulesSavesTheOldOneAndCloses) {
    WriteRegInteger(store, kMain, "MsgDisplayTime", 50);
    WriteRegString(store, Sched("Tea"), "Message", "Brew");
    page.text = "C:\\Saved";
    group.butBackupClick();
    mem.files["C:\\Saved\\alarm.dat"] = "sound";
    mem.files["C:\\Saved\\notes.txt"] = "not copied";
    mem.files["C:\\Saved\\registry-before-restore.cfg"] = "an older safety copy";

    WriteRegInteger(store, kMain, "MsgDisplayTime", 5);
    DeleteKey(store, Sched("Tea"));
    WriteRegString(store, Sched("Added"), "Message", "new");
    const auto changed = mem.files;
    events.Clear();
    boxes.answers = {Answer::Yes};
    group.butRestoreClick();

    EXPECT_EQ(ReadRegInteger(store, kMain, "MsgDisplayTime", 0), 50);
    EXPECT_EQ(ReadRegString(store, Sched("Tea"), "Message", ""), "Brew");
    EXPECT_EQ(ReadRegString(store, Sched("Added"), "Message", ""), "new");
    EXPECT_EQ(mem.files["C:\\Plenwick\\alarm.dat"], "sound");
    EXPECT_FALSE(mem.FileExists("C:\\Plenwick\\notes.txt"));
    auto before = mem.ReadLines("C:\\Saved\\registry-before-restore.cfg");
    ASSERT_TRUE(before);
    EXPECT_NE(std::find(before->begin(), before->end(), "[\\" + Sched("Added") + "]"), before->end());
    EXPECT_NE(std::find(before->begin(), before->end(), "MsgDisplayTimeint=5"), before->end());
    ASSERT_FALSE(events.list.empty());
    events.list.erase(events.list.begin());  // the question
    EXPECT_EQ(events.list,
              (std::vector<std::string>{"beep", "box:Configuration restored.\nPlease restart Plenwick now.\n"
                                                "The configuration as it was before is saved in "
                                                "\"C:\\Saved\\registry-before-restore.cfg\"."}));
    EXPECT_EQ(closed, 1);
}

TEST_F(BackupGroupTest, RestoreTakesOnlyThePlenwickKeyAndCountsWhatItSkipped) {
    mem.MakeDirectories("C:\\Saved");
    mem.files["C:\\Saved\\registry.cfg"] =
        "[\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\nEvilstr=C:\\evil.exe\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Corvane Software\\Plenwick]\r\nTopint=1\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Corvane Software\\Plenwick]\r\nTopint=2\r\n\r\n"
        "[\\Software\\Corvane Software]\r\nAboveint=3\r\n\r\n"
        "[\\Software\\Corvane Software\\PlenwickX]\r\nSiblingint=4\r\n\r\n"
        "[\\Software\\Corvane Software\\Plenwick\\Schedules\\Tea]\r\nMessagestr=Brew\r\nnoequals\r\nBadint=x\r\n"
        "[\\software\\corvane software\\plenwick]\r\nLeftint=7\r\n";
    page.text = "C:\\Saved\\";
    boxes.answers = {Answer::Yes};
    group.butRestoreClick();

    EXPECT_EQ(ReadRegString(store, Sched("Tea"), "Message", ""), "Brew");
    EXPECT_EQ(ReadRegInteger(store, kMain, "Left", 0), 7);
    EXPECT_FALSE(KeyExists(store, "Software\\Microsoft"));
    EXPECT_FALSE(KeyExists(store, "Software\\Corvane Software\\PlenwickX"));
    EXPECT_EQ(ReadRegInteger(store, "Software\\Corvane Software", "Above", 0), 0);
    EXPECT_EQ(ReadRegInteger(store, kMain, "Top", 0), 0);
    EXPECT_FALSE(store.Open(Root::LocalMachine, "Software", OpenMode::Read));
    EXPECT_TRUE(Mentions("\n10 lines outside Plenwick's own key skipped."));
    EXPECT_TRUE(Mentions("\n2 lines that a backup never writes skipped."));
    EXPECT_EQ(closed, 1);
}

TEST_F(BackupGroupTest, RestoreWithoutABackupFileStillCopiesDataFilesAndCloses) {
    mem.MakeDirectories("C:\\Saved");
    mem.files["C:\\Saved\\alarm.dat"] = "sound";
    WriteRegInteger(store, kMain, "Top", 3);
    page.text = "C:\\Saved";
    group.butRestoreClick();
    EXPECT_EQ(mem.files["C:\\Plenwick\\alarm.dat"], "sound");
    EXPECT_FALSE(mem.FileExists("C:\\Saved\\registry-before-restore.cfg"));
    EXPECT_TRUE(Mentions("box:Configuration restored.\nPlease restart Plenwick now.\nThere is no"));
    EXPECT_EQ(closed, 1);
}

TEST_F(BackupGroupTest, RestoreAsksBeforeGoingOnWithoutASafetyCopy) {
    for (auto answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "yes" : "no");
        mem.MakeDirectories("C:\\Saved");
        mem.files["C:\\Saved\\registry.cfg"] = "[\\Software\\Corvane Software\\Plenwick]\r\nTopint=1\r\n";
        WriteRegInteger(store, kMain, "Top", 2);
        WriteRegString(store, kMain, "Note", "茶");  // no safety copy can hold it
        boxes.answers = {Answer::Yes, answer};
        events.Clear();
        page.text = "C:\\Saved";
        group.butRestoreClick();
        ASSERT_GE(events.list.size(), 2u);
        EXPECT_EQ(events.list[1].rfind("ask:Restore|The current configuration could not be saved", 0), 0u);
        EXPECT_FALSE(mem.FileExists("C:\\Saved\\registry-before-restore.cfg"));
        EXPECT_EQ(ReadRegInteger(store, kMain, "Top", 0), answer == Answer::Yes ? 1 : 2);
        EXPECT_EQ(closed, answer == Answer::Yes ? 1 : 0);
    }
}

// A crafted backup can plant a program that starts at a chosen minute.
TEST_F(BackupGroupTest, RestoreSaysWhatItWillChangeFirstAndNoChangesNothing) {
    PlantCraftedBackup();
    for (auto answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "yes" : "no");
        events.Clear();
        boxes.answers = {answer};
        group.butRestoreClick();
        ASSERT_FALSE(events.list.empty());
        EXPECT_EQ(events.list.front(),
                  "ask:Restore|Restoring \"C:\\Saved\\registry.cfg\" changes the configuration:\n"
                  "4 values changed, 1 schedule added.\n\nThese schedules will start programs:\n"
                  "\"Evil\": C:\\evil.exe (in C:\\)\n\"Tea\": C:\\tea.exe\n\nRestore it?");
        EXPECT_EQ(ReadRegString(store, Sched("Evil"), "Message", "none"), answer == Answer::Yes ? "C:\\evil.exe" : "none");
        EXPECT_EQ(ReadRegInteger(store, kMain, "MsgDisplayTime", 0), answer == Answer::Yes ? 50 : 5);
        EXPECT_EQ(mem.FileExists("C:\\Saved\\registry-before-restore.cfg"), answer == Answer::Yes);
        EXPECT_EQ(closed, answer == Answer::Yes ? 1 : 0);
        if (answer == Answer::No) {
            EXPECT_EQ(events.list.size(), 1u);
        }
    }
}

// An editor adds a byte-order mark when the user only opens the file.
TEST_F(BackupGroupTest, RestoreReadsPastAByteOrderMarkAndLinesBeforeAnyHeader) {
    for (std::string start : {std::string("\xEF\xBB\xBF"), std::string("Strayint=1\r\n")}) {
        SCOPED_TRACE(start);
        store.DeleteTree(Root::CurrentUser, kMain);
        mem.MakeDirectories("C:\\Saved");
        mem.files["C:\\Saved\\registry.cfg"] = start +
            "[\\Software\\Corvane Software\\Plenwick]\r\nTopint=5\r\n\r\n"
            "[\\Software\\Corvane Software\\Plenwick\\Schedules\\Tea]\r\nMessagestr=Brew\r\n";
        page.text = "C:\\Saved";
        events.Clear();
        boxes.answers = {Answer::Yes};
        group.butRestoreClick();
        EXPECT_EQ(ReadRegInteger(store, kMain, "Top", 0), 5);
        EXPECT_EQ(ReadRegString(store, Sched("Tea"), "Message", ""), "Brew");
        EXPECT_FALSE(Mentions("outside"));
        EXPECT_EQ(Mentions("1 line that a backup never writes skipped."), start[0] == 'S');
    }
}

// Restore merges, so only a replacement can take back what it added.
TEST_F(BackupGroupTest, UndoLastRestorePutsBackExactlyTheConfigurationBefore) {
    PlantCraftedBackup();
    auto exported = [&] {
        EXPECT_TRUE(backup::ExportRegistryTree(store, mem, "C:\\check.cfg", kMain).Ok());
        return mem.files["C:\\check.cfg"];
    };
    const std::string before = exported();
    group.UpdateUndoRestore();
    EXPECT_FALSE(page.undoEnabled);
    boxes.answers = {Answer::Yes};
    group.butRestoreClick();
    ASSERT_EQ(ReadRegString(store, Sched("Evil"), "Message", ""), "C:\\evil.exe");
    group.UpdateUndoRestore();
    EXPECT_TRUE(page.undoEnabled);

    // No, then Yes.
    const std::string restored = exported();
    for (auto answer : {Answer::No, Answer::Yes}) {
        events.Clear();
        boxes.answers = {answer};
        group.butUndoRestoreClick();
        ASSERT_FALSE(events.list.empty());
        EXPECT_EQ(events.list.front(),
                  "ask:Undo last restore|The configuration goes back to \"C:\\Saved\\registry-before-restore.cfg\":\n"
                  "3 values changed, 1 value removed, 0 schedules added, 1 schedule removed.\n\nUndo the last restore?");
        EXPECT_EQ(exported(), answer == Answer::Yes ? before : restored);
    }
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(events.list.back(),
              "box:The configuration as it was before the last restore is back.\nPlease restart Plenwick now.");

    // A copy that is damaged or reaches outside replaces nothing.
    for (std::string damage : {std::string("noequals\r\n"), std::string("[\\Software\\Other]\r\nXint=1\r\n")}) {
        SCOPED_TRACE(damage);
        mem.files["C:\\Saved\\registry-before-restore.cfg"] =
            "[\\Software\\Corvane Software\\Plenwick]\r\nTopint=1\r\n" + damage;
        events.Clear();
        boxes.answers = {Answer::Yes};
        group.butUndoRestoreClick();
        EXPECT_EQ(exported(), before);
        EXPECT_TRUE(Mentions("error:\"C:\\Saved\\registry-before-restore.cfg\" is not a whole copy"));
    }
    EXPECT_EQ(closed, 2);
}

}  // namespace
}  // namespace pw::ui
