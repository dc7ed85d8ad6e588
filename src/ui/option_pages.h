#pragma once
// The settings dialog's option pages: "Global options", "Display",
// "Housekeeping" and "About". Each control stands for one global value;
// most of them are a row of their page's table (settings_options.cpp), and
// the few that do more are code beside it: the backup group, the net-time
// group (net_time_group.h), "Trim now" and the update check.

#include <cstdint>
#include <map>

#include "config/global_settings.h"
#include "ui/dialog_parts.h"
#include "ui/net_time_group.h"
#include "ui/option_rows.h"

namespace pw::ui {

class GlobalOptionPages {
public:
    GlobalOptionPages(SettingsDialogParts& parts, NetTimeGroup& netTime) : parts_(parts), netTime_(netTime) {}

    // As the controls are made; filling compares against this.
    void ApplyCreationState();
    // Every row's stored value into its control; where the shown value
    // changes, the row's follow-up runs as for a user change.
    void Fill();
    // The text fields, stored when the dialog stores typed text.
    static bool IsTextField(Ctl control);
    // False for a control that is not on the option pages.
    bool Dispatch(Ctl control, Event event);

private:
    void RowChanged(const OptionRow& row, Event event);
    void AfterRowChanged(Ctl control);
    bool Backup(Ctl control, Event event);
    template <class V>
    typename cfg::FieldOf<V>::type Shown(const OptionRow& row, const V& value);
    template <class V>
    bool ShowRowValue(const OptionRow& row, const V& value, const typename cfg::FieldOf<V>::type& stored);

    SettingsDialogParts& parts_;
    NetTimeGroup& netTime_;
    // The colour the shared colour dialog opens on: the one last chosen in it.
    std::uint32_t lastColour_ = 0;
    // The colours the colour buttons show.
    std::map<Ctl, std::uint32_t> shownColour_;
    // A backup or restore runs, its box perhaps still up.
    bool backupRunning_ = false;
};

}  // namespace pw::ui
