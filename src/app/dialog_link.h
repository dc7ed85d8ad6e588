#pragma once
// What the clock window and the clock tick need of the settings dialog.

#include <cstdint>
#include <string_view>

namespace pw::app {

enum class DialogPage { Schedules, About, LastSelected };

class SettingsDialogLink {
public:
    virtual ~SettingsDialogLink() = default;
    // Shows the dialog, not modal, on a page.
    virtual void Show(DialogPage page) = 0;
    // The dialog's Help button.
    virtual void HelpClick() = 0;
    // The user's regional settings changed: what the dialog shows from
    // them follows, the store is read as at a start and not written.
    virtual void RegionalSettingsChanged() = 0;
};

}  // namespace pw::app
