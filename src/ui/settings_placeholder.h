#pragma once
// Placeholder for the settings dialog until the dialog itself is built: it
// does the two things the rest of the program relies on at start-up. It
// holds the maximum correction read from the store, and its creation
// starts the clock timer as its very last step, so that no tick runs before
// it exists. Showing it does nothing yet; its Help button opens the help.

#include "app/clock_window.h"
#include "app/dialog_link.h"
#include "common/store.h"

namespace pw::ui {

class SettingsPlaceholder : public app::SettingsDialogLink {
public:
    SettingsPlaceholder(Store& store, app::ClockWindow& clock);

    void Show(app::DialogPage) override {}
    void HelpClick() override;
    void RemoveFromScheduleList(std::string_view) override {}
    std::int32_t MaxCorrection() const override { return maxCorrection_; }

private:
    app::ClockWindow& clock_;
    std::int32_t maxCorrection_;
};

}  // namespace pw::ui
