#include "platform/win32/settings_controls_win32.h"

#include <iterator>

#include "resource.h"

namespace pw::win {

using ui::Ctl;
using ui::Page;

namespace {

// Every control that has a window, with its template's identifier. The
// radio group's items follow its group box's identifier; the integer
// field is the edit its up-down buddy writes into.
constexpr ControlInfo kControls[] = {
    {Ctl::butHelp, IDC_BUT_HELP, Kind::Button, true},
    {Ctl::butClose, IDCANCEL, Kind::Button, true},
    {Ctl::cmbSchedules, IDC_CMB_SCHEDULES, Kind::Combo},
    {Ctl::butAddSched, IDC_BUT_ADDSCHED, Kind::Picture, false, Page::Schedules, IDI_GLYPH_ADD, L"Add new schedule"},
    {Ctl::butDelSched, IDC_BUT_DELSCHED, Kind::Picture, false, Page::Schedules, IDI_GLYPH_DELETE, L"Delete schedule"},
    {Ctl::butRename, IDC_BUT_RENAME, Kind::Picture, false, Page::Schedules, IDI_GLYPH_RENAME, L"Rename schedule"},
    {Ctl::optSchedType, IDC_OPT_SCHEDTYPE, Kind::Radio},
    {Ctl::lblWindowState, IDC_LBL_WINDOWSTATE, Kind::Label},
    {Ctl::cmbWindowState, IDC_CMB_WINDOWSTATE, Kind::Combo},
    {Ctl::lblMsg, IDC_LBL_MSG, Kind::Label},
    {Ctl::edtMessage, IDC_EDT_MESSAGE, Kind::Edit},
    {Ctl::butTestApp, IDC_BUT_TESTAPP, Kind::Picture, false, Page::Schedules, IDI_GLYPH_TEST, L"Test"},
    {Ctl::butBrowseApp, IDC_BUT_BROWSEAPP, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER},
    {Ctl::lblWorkingDir, IDC_LBL_WORKINGDIR, Kind::Label},
    {Ctl::edtWorkingDir, IDC_EDT_WORKINGDIR, Kind::Edit},
    {Ctl::butBrowseWorkingDir, IDC_BUT_BROWSEWORKINGDIR, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER},
    {Ctl::chkSchedSound, IDC_CHK_SCHEDSOUND, Kind::Check},
    {Ctl::butPlaySound, IDC_BUT_PLAYSOUND, Kind::Picture, false, Page::Schedules, IDI_GLYPH_PLAY, L"Play"},
    {Ctl::edtSoundName, IDC_EDT_SOUNDNAME, Kind::Edit},
    {Ctl::butBrowseSound, IDC_BUT_BROWSESOUND, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER,
     L"Select folder"},
    {Ctl::lbl1stRem, IDC_LBL_1STREM, Kind::Label},
    {Ctl::lbl1stDOW, IDC_LBL_1STDOW, Kind::Label},
    {Ctl::dtStartDate, IDC_DT_STARTDATE, Kind::Date},
    {Ctl::dtStartTime, IDC_DT_STARTTIME, Kind::Time},
    {Ctl::dtRepeatPeriod, IDC_DT_REPEATPERIOD, Kind::Time},
    {Ctl::lblLastRem, IDC_LBL_LASTREM, Kind::Label},
    {Ctl::lblLastDOW, IDC_LBL_LASTDOW, Kind::Label},
    {Ctl::dtEndDate, IDC_DT_ENDDATE, Kind::Date},
    {Ctl::dtEndTime, IDC_DT_ENDTIME, Kind::Time},
    {Ctl::spinRepeatCycleNumber, IDC_EDT_REPEATCYCLENUMBER, Kind::Spin},
    {Ctl::cmbRepeatCycleUnit, IDC_CMB_REPEATCYCLEUNIT, Kind::Combo},
    {Ctl::butOnceOnly, IDC_BUT_ONCEONLY, Kind::Button},
    {Ctl::butSkipToNextCycle, IDC_BUT_SKIPTONEXTCYCLE, Kind::Button},

    {Ctl::chkLaunchAtWinStart, IDC_CHK_LAUNCHATWINSTART, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkStartMinimized, IDC_CHK_STARTMINIMIZED, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkAlwaysOnTop, IDC_CHK_ALWAYSONTOP, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkBeep, IDC_CHK_BEEP, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkGlobalSound, IDC_CHK_GLOBALSOUND, Kind::Check, false, Page::GlobalOptions},
    {Ctl::edtGlobalSoundName, IDC_EDT_GLOBALSOUNDNAME, Kind::Edit, false, Page::GlobalOptions},
    {Ctl::butBrowseGlobalSound, IDC_BUT_BROWSEGLOBALSOUND, Kind::Picture, false, Page::GlobalOptions,
     IDI_GLYPH_FOLDER, L"Select folder"},
    {Ctl::butPlayGlobalSound, IDC_BUT_PLAYGLOBALSOUND, Kind::Picture, false, Page::GlobalOptions, IDI_GLYPH_PLAY,
     L"Play"},
    {Ctl::chkLogReminders, IDC_CHK_LOGREMINDERS, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkLogLaunches, IDC_CHK_LOGLAUNCHES, Kind::Check, false, Page::GlobalOptions},
    {Ctl::chkLogNetTime, IDC_CHK_LOGNETTIME, Kind::Check, false, Page::GlobalOptions},

    {Ctl::chk12hrFormat, IDC_CHK_12HRFORMAT, Kind::Check, false, Page::Display},
    {Ctl::cmbClockDateFormat, IDC_CMB_CLOCKDATEFORMAT, Kind::EditCombo, false, Page::Display},
    {Ctl::butConnectNow, IDC_BUT_CONNECTNOW, Kind::Button, false, Page::Display},
    {Ctl::chkAutoSynchTime, IDC_CHK_AUTOSYNCHTIME, Kind::Check, false, Page::Display},
    {Ctl::spinAutoSynchInterval, IDC_EDT_AUTOSYNCHINTERVAL, Kind::Spin, false, Page::Display},
    {Ctl::MaxCorrection, IDC_EDT_MAXCORRECTION, Kind::Spin, false, Page::Display, 0, L"0 = no maximum"},
    {Ctl::memoTimeServers, IDC_MEMO_TIMESERVERS, Kind::Edit, false, Page::Display},
    {Ctl::butTestTimeServers, IDC_BUT_TESTTIMESERVERS, Kind::Button, false, Page::Display},
    {Ctl::lblTimeHelper, IDC_LBL_TIMEHELPER, Kind::Label, false, Page::Display},
    {Ctl::spinMsgDisplayTime, IDC_EDT_MSGDISPLAYTIME, Kind::Spin, false, Page::Display},
    {Ctl::spinSnoozeMinutes, IDC_EDT_SNOOZEMINUTES, Kind::Spin, false, Page::Display},
    {Ctl::tbFontHeight, IDC_TB_FONTHEIGHT, Kind::Slider, false, Page::Display},
    {Ctl::butReminderTextColor, IDC_BUT_REMINDERTEXTCOLOR, Kind::Colour, false, Page::Display},
    {Ctl::butReminderBGColor, IDC_BUT_REMINDERBGCOLOR, Kind::Colour, false, Page::Display},

    {Ctl::edtBackupDir, IDC_EDT_BACKUPDIR, Kind::Edit, false, Page::Housekeeping},
    {Ctl::butBackDirBrowse, IDC_BUT_BACKDIRBROWSE, Kind::Picture, false, Page::Housekeeping, IDI_GLYPH_FOLDER,
     L"Select folder"},
    {Ctl::butBackup, IDC_BUT_BACKUP, Kind::Button, false, Page::Housekeeping},
    {Ctl::butRestore, IDC_BUT_RESTORE, Kind::Button, false, Page::Housekeeping},
    {Ctl::butUndoRestore, IDC_BUT_UNDORESTORE, Kind::Button, false, Page::Housekeeping},
    {Ctl::chkAutoTrimLog, IDC_CHK_AUTOTRIMLOG, Kind::Check, false, Page::Housekeeping},
    {Ctl::spinTrimLogDays, IDC_EDT_TRIMLOGDAYS, Kind::Spin, false, Page::Housekeeping},
    {Ctl::butTrimLog, IDC_BUT_TRIMLOG, Kind::Button, false, Page::Housekeeping},
    {Ctl::chkAutoDelSched, IDC_CHK_AUTODELSCHED, Kind::Check, false, Page::Housekeeping},
    {Ctl::spinDelSchedDays, IDC_EDT_DELSCHEDDAYS, Kind::Spin, false, Page::Housekeeping},

    {Ctl::lblAppName, IDC_LBL_APPNAME, Kind::Label, false, Page::About},
    {Ctl::lblAppVersion, IDC_LBL_APPVERSION, Kind::Label, false, Page::About},
    {Ctl::butCheckForUpdate, IDC_BUT_CHECKFORUPDATE, Kind::Button, false, Page::About},
};

constexpr PageInfo kPages[] = {
    {Page::Schedules, IDD_PAGE_SCHEDULES, L"Schedules"},
    {Page::GlobalOptions, IDD_PAGE_GLOBAL, L"Global options"},
    {Page::Display, IDD_PAGE_DISPLAY, L"Display"},
    {Page::Housekeeping, IDD_PAGE_HOUSEKEEPING, L"Housekeeping"},
    {Page::About, IDD_PAGE_ABOUT, L"About"},
};
static_assert(std::size(kPages) == ui::kPageCount);

}  // namespace

std::span<const ControlInfo> Controls() { return kControls; }
std::span<const PageInfo> Pages() { return kPages; }

const ControlInfo* InfoOf(Ctl c) {
    for (const auto& i : kControls)
        if (i.ctl == c) return &i;
    return nullptr;
}

const ControlInfo* InfoOfId(int id) {
    if (id >= IDC_OPT_LAUNCH && id < IDC_OPT_LAUNCH + kRadioItems) return InfoOf(Ctl::optSchedType);
    for (const auto& i : kControls)
        if (i.id == id) return &i;
    return nullptr;
}

}  // namespace pw::win
