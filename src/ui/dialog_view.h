#pragma once
// What the settings dialog's logic needs of the windowing system: its
// controls, each keyed by its template identifier, and the common dialogs
// it opens. The Win32 layer implements DialogView with the resource
// script's templates; the tests implement it with a map of control states,
// so every rule of the dialog is checked without a screen.
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
#include "resource.h"

namespace pw::ui {

// The pages, in the order of their tabs.
enum class Page { Schedules, GlobalOptions, Display, Housekeeping, About };
inline constexpr int kPageCount = 5;

// A control is its template's identifier. The controls code refers to
// have a name here, as the program's documents name them; an option
// page's ordinary control is named only by its row (ui/option_rows.h), as
// Ctl{IDC_...}.
enum class Ctl : int {
    // The frame.
    butHelp = IDC_BUT_HELP,
    butClose = 2,  // IDCANCEL, so that Esc acts as Close
    // "Schedules".
    cmbSchedules = IDC_CMB_SCHEDULES,
    butAddSched = IDC_BUT_ADDSCHED,
    butDelSched = IDC_BUT_DELSCHED,
    butRename = IDC_BUT_RENAME,
    optSchedType = IDC_OPT_SCHEDTYPE,
    lblWindowState = IDC_LBL_WINDOWSTATE,
    cmbWindowState = IDC_CMB_WINDOWSTATE,
    lblMsg = IDC_LBL_MSG,
    edtMessage = IDC_EDT_MESSAGE,
    butTestApp = IDC_BUT_TESTAPP,
    butBrowseApp = IDC_BUT_BROWSEAPP,
    lblWorkingDir = IDC_LBL_WORKINGDIR,
    edtWorkingDir = IDC_EDT_WORKINGDIR,
    butBrowseWorkingDir = IDC_BUT_BROWSEWORKINGDIR,
    chkSchedSound = IDC_CHK_SCHEDSOUND,
    butPlaySound = IDC_BUT_PLAYSOUND,
    edtSoundName = IDC_EDT_SOUNDNAME,
    butBrowseSound = IDC_BUT_BROWSESOUND,
    lbl1stRem = IDC_LBL_1STREM,
    lbl1stDOW = IDC_LBL_1STDOW,
    dtStartDate = IDC_DT_STARTDATE,
    dtStartTime = IDC_DT_STARTTIME,
    dtRepeatPeriod = IDC_DT_REPEATPERIOD,
    lblLastRem = IDC_LBL_LASTREM,
    lblLastDOW = IDC_LBL_LASTDOW,
    dtEndDate = IDC_DT_ENDDATE,
    dtEndTime = IDC_DT_ENDTIME,
    spinRepeatCycleNumber = IDC_EDT_REPEATCYCLENUMBER,
    cmbRepeatCycleUnit = IDC_CMB_REPEATCYCLEUNIT,
    butOnceOnly = IDC_BUT_ONCEONLY,
    butSkipToNextCycle = IDC_BUT_SKIPTONEXTCYCLE,
    // "Global options".
    chkLaunchAtWinStart = IDC_CHK_LAUNCHATWINSTART,
    chkAlwaysOnTop = IDC_CHK_ALWAYSONTOP,
    edtGlobalSoundName = IDC_EDT_GLOBALSOUNDNAME,
    butBrowseGlobalSound = IDC_BUT_BROWSEGLOBALSOUND,
    butPlayGlobalSound = IDC_BUT_PLAYGLOBALSOUND,
    // "Display".
    cmbClockDateFormat = IDC_CMB_CLOCKDATEFORMAT,
    butConnectNow = IDC_BUT_CONNECTNOW,
    MaxCorrection = IDC_EDT_MAXCORRECTION,
    memoTimeServers = IDC_MEMO_TIMESERVERS,
    butTestTimeServers = IDC_BUT_TESTTIMESERVERS,
    lblNetTimeProgress = IDC_LBL_NETTIMEPROGRESS,
    lblTimeHelper = IDC_LBL_TIMEHELPER,
    // "Housekeeping".
    edtBackupDir = IDC_EDT_BACKUPDIR,
    butBackDirBrowse = IDC_BUT_BACKDIRBROWSE,
    butBackup = IDC_BUT_BACKUP,
    butRestore = IDC_BUT_RESTORE,
    butUndoRestore = IDC_BUT_UNDORESTORE,
    butTrimLog = IDC_BUT_TRIMLOG,
    // "About".
    lblAppName = IDC_LBL_APPNAME,
    lblAppVersion = IDC_LBL_APPVERSION,
    butCheckForUpdate = IDC_BUT_CHECKFORUPDATE,
};

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
