#pragma once
// What the settings dialog's logic needs of the windowing system: its
// controls, keyed by one enum, and the common dialogs it opens. The Win32
// layer implements DialogView with the resource script's templates; the
// tests implement it with a map of control states, so every rule of the
// dialog is checked without a screen.
//
// The view never calls back into the logic while the logic sets a control:
// a control set from code reports no change. The logic itself decides what
// filling a control sets off.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetime.h"

namespace pw::ui {

// The pages, in the order of their tabs.
enum class Page { Schedules, GlobalOptions, Display, Housekeeping, About };
inline constexpr int kPageCount = 5;

// Every control of the dialog, named as the program's documents name them.
enum class Ctl {
    // The frame.
    butHelp,
    butClose,
    // "Schedules".
    cmbSchedules,
    butAddSched,
    butDelSched,
    butRename,
    optSchedType,
    lblWindowState,
    cmbWindowState,
    lblMsg,
    edtMessage,
    butTestApp,
    butBrowseApp,
    lblWorkingDir,
    edtWorkingDir,
    butBrowseWorkingDir,
    chkSchedSound,
    butPlaySound,
    edtSoundName,
    butBrowseSound,
    lbl1stRem,
    lbl1stDOW,
    dtStartDate,
    dtStartTime,
    dtRepeatPeriod,
    lblLastRem,
    lblLastDOW,
    dtEndDate,
    dtEndTime,
    spinRepeatCycleNumber,
    cmbRepeatCycleUnit,
    butOnceOnly,
    butSkipToNextCycle,
    // "Global options".
    chkLaunchAtWinStart,
    chkStartMinimized,
    chkAlwaysOnTop,
    chkBeep,
    chkGlobalSound,
    edtGlobalSoundName,
    butBrowseGlobalSound,
    butPlayGlobalSound,
    chkLogReminders,
    chkLogLaunches,
    chkLogNetTime,
    // "Display".
    chk12hrFormat,
    cmbClockDateFormat,
    butConnectNow,
    chkAutoSynchTime,
    spinAutoSynchInterval,
    MaxCorrection,
    memoTimeServers,
    butTestTimeServers,
    lblTimeHelper,
    spinMsgDisplayTime,
    spinSnoozeMinutes,
    tbFontHeight,
    butReminderTextColor,
    butReminderBGColor,
    // "Housekeeping".
    edtBackupDir,
    butBackDirBrowse,
    butBackup,
    butRestore,
    butUndoRestore,
    chkAutoTrimLog,
    spinTrimLogDays,
    butTrimLog,
    chkAutoDelSched,
    spinDelSchedDays,
    // "About".
    lblAppName,
    lblAppVersion,
    butCheckForUpdate,
};
inline constexpr int kControlCount = static_cast<int>(Ctl::butCheckForUpdate) + 1;

// What the user did to a control.
enum class Event {
    Click,    // a button, a check box, a radio button
    Change,   // text typed, an item chosen, a picker or slider moved
    Exit,     // the focus left the control
    CloseUp,  // a date picker's drop-down calendar closed
};

// A file dialog's filter in the form "Text (*.x)|*.X|All files (*.*)|*.*".
struct FileDialogRequest {
    std::string filter;
    std::string initialDir;
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // The window.
    virtual void SetCaption(std::string_view caption) = 0;
    virtual void SelectPage(Page page) = 0;
    virtual Page SelectedPage() = 0;
    // Shows the dialog (not modal) and brings it to the front.
    virtual void ShowDialog() = 0;
    virtual void HideDialog() = 0;
    virtual bool DialogVisible() = 0;

    // Text of a field, a label, a button's caption, an editable box or an
    // integer field.
    virtual std::string Text(Ctl c) = 0;
    virtual void SetText(Ctl c, std::string_view text) = 0;
    virtual bool Checked(Ctl c) = 0;
    virtual void SetChecked(Ctl c, bool checked) = 0;
    virtual void SetEnabled(Ctl c, bool enabled) = 0;

    // Drop-down lists and the radio group: the items and the selected
    // index, -1 for none.
    virtual void SetItems(Ctl c, const std::vector<std::string>& items) = 0;
    virtual int Selected(Ctl c) = 0;
    virtual void SetSelected(Ctl c, int index) = 0;

    // Date pickers hold a whole day, time pickers a time of day (with
    // seconds, until the logic cuts them).
    virtual DateTime Value(Ctl c) = 0;
    virtual void SetValue(Ctl c, DateTime value) = 0;

    // The slider's position, and the colour a colour button shows.
    virtual int Position(Ctl c) = 0;
    virtual void SetPosition(Ctl c, int position) = 0;
    virtual void SetColour(Ctl c, std::uint32_t colour) = 0;

    // The common dialogs, modal over the settings dialog. Nothing when the
    // user cancels.
    virtual std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                                std::string_view initial) = 0;
    virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> FolderDialog(std::string_view initialDir) = 0;
    // The colour dialog opens on the colour given; RGB colours, red lowest.
    virtual std::optional<std::uint32_t> ColourDialog(std::uint32_t initial) = 0;
};

}  // namespace pw::ui
