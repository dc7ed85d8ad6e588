#pragma once
// The settings dialog's logic: creation, showing, LoadSettingsDialog, the
// text typed and not yet stored, and the routing of every control's event
// to its page: the "Schedules" page (schedules_page.h) and the option pages
// with their backup and net-time groups (option_pages.h). The dialog has
// no buffer of its own: each control writes its value to the store the
// moment it changes (a text field when the focus leaves it), and a global
// value also goes into the live settings in the same step. The window
// itself is a DialogView; the Win32 layer only turns messages into OnEvent
// calls.

#include <optional>

#include "app/dialog_link.h"
#include "ui/dialog_parts.h"
#include "ui/dialog_view.h"
#include "ui/net_time_group.h"
#include "ui/option_pages.h"
#include "ui/schedules_page.h"

namespace pw::ui {

class SettingsDialog : public app::SettingsDialogLink {
public:
    SettingsDialog(SettingsDialogServices services, DialogView& view);
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

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

    SettingsDialogParts parts_;
    NetTimeGroup netTime_;
    GlobalOptionPages options_;
    SchedulesPage schedules_;
    // The text field typed into and not yet left.
    std::optional<Ctl> pendingText_;
    // Above zero while a handler runs.
    int running_ = 0;
};

}  // namespace pw::ui
