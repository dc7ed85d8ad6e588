#include "platform/win32/settings_controls_win32.h"

#include <iterator>
#include <vector>

#include "resource.h"
#include "ui/option_rows.h"

namespace pw::win {

using ui::Ctl;
using ui::Page;

namespace {

static_assert(static_cast<int>(Ctl::butClose) == IDCANCEL);

// Every control that has a window and no row of an option page (those
// come from their rows). The radio group's items follow its group box's
// identifier; the integer field is the edit its up-down buddy writes into.
constexpr ControlInfo kControls[] = {
    {Ctl::butHelp, Kind::Button, true},
    {Ctl::butClose, Kind::Button, true},
    {Ctl::cmbSchedules, Kind::Combo},
    {Ctl::butAddSched, Kind::Picture, false, Page::Schedules, IDI_GLYPH_ADD, L"Add new schedule"},
    {Ctl::butDelSched, Kind::Picture, false, Page::Schedules, IDI_GLYPH_DELETE, L"Delete schedule"},
    {Ctl::butRename, Kind::Picture, false, Page::Schedules, IDI_GLYPH_RENAME, L"Rename schedule"},
    {Ctl::optSchedType, Kind::Radio},
    {Ctl::lblWindowState, Kind::Label},
    {Ctl::cmbWindowState, Kind::Combo},
    {Ctl::lblMsg, Kind::Label},
    {Ctl::edtMessage, Kind::Edit},
    {Ctl::butTestApp, Kind::Picture, false, Page::Schedules, IDI_GLYPH_TEST, L"Test"},
    {Ctl::butBrowseApp, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER},
    {Ctl::lblWorkingDir, Kind::Label},
    {Ctl::edtWorkingDir, Kind::Edit},
    {Ctl::butBrowseWorkingDir, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER},
    {Ctl::chkSchedSound, Kind::Check},
    {Ctl::butPlaySound, Kind::Picture, false, Page::Schedules, IDI_GLYPH_PLAY, L"Play"},
    {Ctl::edtSoundName, Kind::Edit},
    {Ctl::butBrowseSound, Kind::Picture, false, Page::Schedules, IDI_GLYPH_FOLDER, L"Select folder"},
    {Ctl::lbl1stRem, Kind::Label},
    {Ctl::lbl1stDOW, Kind::Label},
    {Ctl::dtStartDate, Kind::Date},
    {Ctl::dtStartTime, Kind::Time},
    {Ctl::dtRepeatPeriod, Kind::Time},
    {Ctl::lblLastRem, Kind::Label},
    {Ctl::lblLastDOW, Kind::Label},
    {Ctl::dtEndDate, Kind::Date},
    {Ctl::dtEndTime, Kind::Time},
    {Ctl::spinRepeatCycleNumber, Kind::Spin},
    {Ctl::cmbRepeatCycleUnit, Kind::Combo},
    {Ctl::butOnceOnly, Kind::Button},
    {Ctl::butSkipToNextCycle, Kind::Button},

    {Ctl::butBrowseGlobalSound, Kind::Picture, false, Page::GlobalOptions, IDI_GLYPH_FOLDER, L"Select folder"},
    {Ctl::butPlayGlobalSound, Kind::Picture, false, Page::GlobalOptions, IDI_GLYPH_PLAY, L"Play"},

    {Ctl::butConnectNow, Kind::Button, false, Page::Display},
    {Ctl::butTestTimeServers, Kind::Button, false, Page::Display},
    {Ctl::lblTimeHelper, Kind::Label, false, Page::Display},
    {Ctl::lblNetTimeProgress, Kind::Label, false, Page::Display},

    {Ctl::edtBackupDir, Kind::Edit, false, Page::Housekeeping},
    {Ctl::butBackDirBrowse, Kind::Picture, false, Page::Housekeeping, IDI_GLYPH_FOLDER, L"Select folder"},
    {Ctl::butBackup, Kind::Button, false, Page::Housekeeping},
    {Ctl::butRestore, Kind::Button, false, Page::Housekeeping},
    {Ctl::butUndoRestore, Kind::Button, false, Page::Housekeeping},
    {Ctl::butTrimLog, Kind::Button, false, Page::Housekeeping},

    {Ctl::lblAppName, Kind::Label, false, Page::About},
    {Ctl::lblAppVersion, Kind::Label, false, Page::About},
    {Ctl::butCheckForUpdate, Kind::Button, false, Page::About},
};

constexpr PageInfo kPages[] = {
    {Page::Schedules, IDD_PAGE_SCHEDULES, L"Schedules"},
    {Page::GlobalOptions, IDD_PAGE_GLOBAL, L"Global options"},
    {Page::Display, IDD_PAGE_DISPLAY, L"Display"},
    {Page::Housekeeping, IDD_PAGE_HOUSEKEEPING, L"Housekeeping"},
    {Page::About, IDD_PAGE_ABOUT, L"About"},
};
static_assert(std::size(kPages) == ui::kPageCount);

// What a row-bound control shows in its tooltip, beside its row.
struct RowHint {
    Ctl ctl;
    const wchar_t* hint;
};
constexpr RowHint kRowHints[] = {
    {Ctl::MaxCorrection, L"0 = no maximum"},
};

Kind KindOf(ui::RowKind k) {
    switch (k) {
        case ui::RowKind::Check: return Kind::Check;
        case ui::RowKind::Spin: return Kind::Spin;
        case ui::RowKind::Text: return Kind::Edit;
        case ui::RowKind::Combo: return Kind::EditCombo;
        case ui::RowKind::Slider: return Kind::Slider;
        case ui::RowKind::Colour: return Kind::Colour;
    }
    return Kind::Edit;
}

const std::vector<ControlInfo>& AllControls() {
    static const std::vector<ControlInfo> all = [] {
        std::vector<ControlInfo> v(std::begin(kControls), std::end(kControls));
        for (const auto& page : ui::OptionPages())
            for (const auto& row : page.rows) {
                ControlInfo& info = v.emplace_back(ControlInfo{row.control, KindOf(row.kind), false, page.page});
                for (const auto& h : kRowHints)
                    if (h.ctl == row.control) info.hint = h.hint;
            }
        return v;
    }();
    return all;
}

}  // namespace

std::span<const ControlInfo> Controls() { return AllControls(); }
std::span<const PageInfo> Pages() { return kPages; }

const ControlInfo* InfoOf(Ctl c) {
    for (const auto& i : AllControls())
        if (i.ctl == c) return &i;
    return nullptr;
}

const ControlInfo* InfoOfId(int id) {
    if (id >= IDC_OPT_LAUNCH && id < IDC_OPT_LAUNCH + kRadioItems) return InfoOf(Ctl::optSchedType);
    return InfoOf(Ctl{id});
}

}  // namespace pw::win
