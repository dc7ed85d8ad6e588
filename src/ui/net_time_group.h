#pragma once
// The " Net time " group of the settings dialog's "Display" page: "Connect
// now", "Test servers", the line of the attempt under way and the time
// helper's line. The attempts themselves belong to the program; the group
// starts them and shows what they are doing.

#include <string>
#include <string_view>

#include "nettime/net_time_attempts.h"
#include "ui/dialog_parts.h"

namespace pw::ui {

class NetTimeGroup : private nettime::NetTimeView {
public:
    explicit NetTimeGroup(SettingsDialogParts& parts) : parts_(parts) {}

    // From the dialog's creation on, the buttons and the line follow the
    // attempts.
    void Follow();
    // "Connect now" and "Test servers".
    void Click(Ctl control);
    // The time helper's line, asked of the helper when the page shows.
    void ShowTimeHelperState();

private:
    void Changed();
    // nettime::NetTimeView, for "Test servers".
    std::string TimeServersText() override;
    void SetTimeServersText(std::string_view text) override;
    void SetTestServersCaption(std::string_view caption) override;

    SettingsDialogParts& parts_;
    // A click on "Connect now" waits for its answer.
    bool connectNowWaiting_ = false;
};

}  // namespace pw::ui
