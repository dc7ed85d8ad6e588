#pragma once
// The settings dialog's logic: creation, showing, LoadSettingsDialog and
// every control's handler. The dialog has no buffer of its own: each
// control writes its value to the store the moment it changes (a text
// field when the focus leaves it), and a global value also goes into the
// clock window's settings in the same step. The window itself is a
// DialogView; the Win32 layer only turns messages into OnEvent calls.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clock_window.h"
#include "common/app_services.h"
#include "app/dialog_link.h"
#include "common/clock.h"
#include "common/files.h"
#include "common/locale.h"
#include "common/services.h"
#include "common/store.h"
#include "common/version.h"
#include "nettime/net_time_attempts.h"
#include "sched/launch.h"
#include "sched/reminder_window.h"
#include "ui/dialog_view.h"
#include "ui/option_rows.h"

namespace pw::ui {

// The folder of a file path, with its trailing separator; empty for a bare
// name.
std::string FolderOf(std::string_view path);

// What the dialog works with besides its controls; the Win32 layer is
// handed the same and adds itself as the view.
struct SettingsDialogServices {
    AppServices app;
    app::ClockWindow& clockWindow;
    ProgramVersion version;
    // The executable's full path, for the start-with-Windows entry.
    std::string executablePath;
    // "Check for updates": asks the update server and answers the user.
    std::function<void()> checkForUpdates;
    // The editor's "Test" button starts a program or shows a reminder
    // through them; no reminder window (it could not be made): a reminder's
    // test shows nothing.
    sched::Launcher& launcher;
    app::ShowRemindersFn showReminders;
    // The attempts at correcting the clock: "Connect now", "Test servers"
    // and the time helper's line go through them, and the group shows what
    // they are doing. None: the buttons do nothing.
    net::NetTimeAttempts* netTime = nullptr;
};

struct SettingsDialogParts : SettingsDialogServices {
    DialogView& view;
};

class SettingsDialog : public app::SettingsDialogLink, private net::NetTimeView {
public:
    SettingsDialog(SettingsDialogServices services, DialogView& view);

    // Creation, once at start-up with the window hidden: caption, the
    // "Schedules" page, LoadSettingsDialog.
    void FormCreate();

    // The user turned to another page (the dialog's own Show does not
    // come through here).
    void PageShown(Page page);

    // app::SettingsDialogLink
    void Show(app::DialogPage page) override;
    void HelpClick() override;
    void RegionalSettingsChanged() override;

    // What the user did to a control. Errors of the store and of date
    // texts are shown in the program's error box here.
    void OnEvent(Ctl control, Event event);
    // The Close button and Esc: text typed and not yet left is stored, then
    // the dialog hides.
    void Close();
    // Stores text typed into a field and not yet left (before the program
    // exits, for one).
    void StorePendingText();
    // The dialog's once-a-second look, while it shows, at the schedules
    // key: a schedule deleted outside it (the clock's pass deletes expired
    // ones) leaves its list. Skipped while a handler of the dialog runs (a
    // box of it is up); the next look sees the change.
    void FollowStoredSchedules();

    void LoadSettingsDialog();

private:
    template <class F>
    void Guard(F&& handler);
    void Dispatch(Ctl control, Event event);

    // Schedules page.
    void FillSchedulesPage();
    // The date and time pickers from the current schedule's stored texts;
    // writeBack: a shown value that changed is stored again, as filling
    // the page does for every control.
    void FillPickers(bool writeBack);
    void ShowingRereadsList();
    // A schedule that is gone from the store leaves the list.
    void DropFromList(std::string_view name);
    void SelectionChanged();
    void butAddSchedClick();
    void butDelSchedClick();
    void butRenameClick();
    void optSchedTypeClick();
    void chkSchedSoundClick();
    void edtMessageExit();
    void edtWorkingDirExit();
    void edtSoundNameExit();
    void butBrowseAppClick();
    void butBrowseWorkingDirClick();
    void butBrowseSoundClick();
    void butPlaySoundClick();
    void TimePickerChange(Ctl control);
    void dtStartDateChange();
    void dtEndDateChange();
    void spinRepeatCycleNumberChange();
    void cmbRepeatCycleUnitChange();
    void cmbWindowStateChange();
    void butOnceOnlyClick();
    void butSkipToNextCycleClick();
    void butTestAppClick();
    void ApplyTypeState(int type);
    void ApplySoundState();
    void UpdateWeekdayLabels();
    // Asks for a name until it is usable; nothing on Cancel.
    std::optional<std::string> AskName(std::string_view caption, std::string_view prompt, std::string initial,
                                       std::string_view emptyPrompt, std::string_view takenPrompt);
    void InsertSorted(const std::string& name);

    // Writes one value of the current schedule. While the page is being
    // filled, a schedule whose key does not exist yet is not created by the
    // write-back of a shown default.
    template <class Value, class T>
    void WriteSchedule(const Value& v, const T& value);
    void WriteDate(Ctl picker, bool end);
    void WriteTime(Ctl picker);

    // The option pages.
    void ApplyOptionsCreationState();
    void FillOptionPages();
    static bool IsOptionTextField(Ctl control);
    // The integer fields, whose text is brought into range on leaving.
    static bool IsSpinField(Ctl control);
    // Leaving an integer field brings its text into the value's range.
    void BringIntoRange(Ctl control, const cfg::IntValue& value);
    // False for a control that is not on the option pages.
    bool DispatchOption(Ctl control, Event event);
    void RowChanged(const OptionRow& row, Event event);
    void AfterRowChanged(Ctl control);
    template <class V>
    typename cfg::FieldOf<V>::type Shown(const OptionRow& row, const V& value);
    template <class V>
    bool ShowRowValue(const OptionRow& row, const V& value, const typename cfg::FieldOf<V>::type& stored);
    void NetTime(Ctl control);
    void ShowTimeHelperState();
    // The group's buttons and its line follow the attempt under way.
    void NetTimeChanged();

    // net::NetTimeView, for "Test servers".
    std::string TimeServersText() override;
    void SetTimeServersText(std::string_view text) override;
    void SetTestServersCaption(std::string_view caption) override;

    SettingsDialogParts parts_;
    // The group follows the attempts from the dialog's creation.
    void FollowNetTime();
    // A click on "Connect now" waits for its answer.
    bool connectNowWaiting_ = false;
    std::vector<std::string> list_;
    // The schedules the store held at the last look, and the watch that
    // says when to look again (none where the store cannot watch).
    std::vector<std::string> stored_;
    std::unique_ptr<StoreWatch> watch_;
    bool watchTried_ = false;
    // Above zero while a handler runs.
    int running_ = 0;
    int selected_ = -1;
    std::string currentKey_;
    // The text field typed into and not yet left.
    std::optional<Ctl> pendingText_;
    bool filling_ = false;
    std::string lastFolder_;
    // The colour the shared colour dialog opens on: the one last chosen in it.
    std::uint32_t lastColour_ = 0;
    // The colours the colour buttons show.
    std::map<Ctl, std::uint32_t> shownColour_;
    // A backup or restore runs, its box perhaps still up.
    bool backupRunning_ = false;
};

}  // namespace pw::ui
