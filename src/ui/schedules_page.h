#pragma once
// The settings dialog's "Schedules" page: the list of schedules and the
// editor of the one selected. Every field writes its value to the
// selected schedule's key the moment it changes (a text field when the
// dialog stores its typed text).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/store.h"
#include "config/values.h"
#include "ui/dialog_parts.h"

namespace pw::ui {

class SchedulesPage {
public:
    // reload: the dialog's LoadSettingsDialog, which a change of the
    // selected schedule runs (it fills every page).
    SchedulesPage(SettingsDialogParts& parts, std::function<void()> reload);

    // The state the controls are made in. Filling compares against it, so
    // a loaded value that differs from it runs that control's follow-up.
    void ApplyCreationState();
    // The list as the store has it, on the schedule last selected.
    void RereadList();
    // Before a fill: the list (the first schedule's name while none is
    // stored) and the selected schedule's key.
    void SelectCurrent();
    // Each value of the selected schedule into its control.
    void Fill();
    // The stored texts read with the user's new regional settings, as the
    // next start reads them; not written back.
    void RegionalSettingsChanged();

    // The text fields, stored when the dialog stores typed text.
    static bool IsTextField(Ctl control);
    // The controls whose leaving is a change of their value.
    static bool IsLeftAsChange(Ctl control);
    void StoreText(Ctl control);
    // False for a control that is not on this page.
    bool Dispatch(Ctl control, Event event);

    // The schedules the store held at the last look and holds no more; an
    // empty list when its watch says nothing changed.
    std::vector<std::string> GoneFromStore();
    // The store as it is now counts as seen: a restore replaces the
    // schedules as a whole, and the list follows them at the next showing.
    void TakeStoreAsSeen();
    bool Lists(std::string_view name) const;
    bool Selects(std::string_view name) const;
    // A schedule gone from the store leaves the list; the first one left
    // is selected.
    void Drop(std::string_view name);

private:
    // The date and time pickers from the current schedule's stored texts;
    // writeBack: a shown value that changed is stored again, as filling
    // the page does for every control.
    void FillPickers(bool writeBack);
    void FillControls();
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

    SettingsDialogParts& parts_;
    std::function<void()> reload_;
    std::vector<std::string> list_;
    int selected_ = -1;
    std::string currentKey_;
    bool filling_ = false;
    std::string lastFolder_;
    // The schedules the store held at the last look, and the watch that
    // says when to look again (none where the store cannot watch).
    std::vector<std::string> stored_;
    std::unique_ptr<StoreWatch> watch_;
    bool watchTried_ = false;
};

}  // namespace pw::ui
