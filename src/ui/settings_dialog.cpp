#include "ui/settings_dialog.h"

#include "app/startup.h"
#include "common/errors.h"
#include "config/value_access.h"

namespace pw::ui {

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

void BringIntoRange(DialogView& view, Ctl c, const cfg::IntValue& value) {
    const std::string text = view.Text(c);
    const std::string shown = std::to_string(cfg::SpinFieldValue(text, value));
    if (text != shown) view.SetText(c, shown);
}

namespace {

// The integer fields, whose text is brought into range on leaving.
bool IsSpinField(Ctl c) {
    const OptionRow* r = OptionRowOf(c);
    return r && r->kind == RowKind::Spin;
}

}  // namespace

SettingsDialog::SettingsDialog(SettingsDialogServices services, DialogView& view)
    : parts_{std::move(services), view},
      netTime_(parts_),
      options_(parts_, netTime_),
      schedules_(parts_, [this] { LoadSettingsDialog(); }) {}

template <class F>
void SettingsDialog::Guard(F&& handler) {
    struct Running {
        int& depth;
        explicit Running(int& d) : depth(d) { ++depth; }
        ~Running() { --depth; }
    } running(running_);
    try {
        handler();
    } catch (const AppError& e) {
        parts_.app.boxes.ShowError(e.what());
    }
}

// --- creation and showing --------------------------------------------------

void SettingsDialog::FormCreate() {
    auto& v = parts_.view;
    v.SetCaption(std::string(app::kAppTitle) + " v" + ThreePartVersion(parts_.version));
    v.SetText(Ctl::lblAppName, app::kAppTitle);
    v.SetText(Ctl::lblAppVersion, "Version " + parts_.version.fileVersionText);

    schedules_.ApplyCreationState();
    options_.ApplyCreationState();
    netTime_.Follow();

    v.SelectPage(Page::Schedules);
    Guard([&] { LoadSettingsDialog(); });
}

void SettingsDialog::Show(app::DialogPage page) {
    Guard([&] {
        StorePendingText();
        schedules_.RereadList();
        LoadSettingsDialog();
    });
    if (page == app::DialogPage::Schedules) parts_.view.SelectPage(Page::Schedules);
    if (page == app::DialogPage::About) parts_.view.SelectPage(Page::About);
    PageShown(parts_.view.SelectedPage());
    parts_.view.ShowDialog();
}

void SettingsDialog::PageShown(Page page) {
    if (page == Page::Display) Guard([&] { netTime_.ShowTimeHelperState(); });
}

void SettingsDialog::HelpClick() { parts_.clockWindow.ShowHelpTopic(app::kHelpTopic); }

void SettingsDialog::Close() {
    Guard([&] { StorePendingText(); });
    parts_.view.HideDialog();
}

void SettingsDialog::FollowStoredSchedules() {
    if (running_ > 0 || !parts_.view.DialogVisible()) return;
    Guard([&] {
        for (const auto& name : schedules_.GoneFromStore()) {
            if (!schedules_.Lists(name)) continue;
            // Text typed for the schedule that is gone must not bring its
            // key back; text typed for another one is kept.
            if (schedules_.Selects(name))
                pendingText_.reset();
            else
                StorePendingText();
            schedules_.Drop(name);
        }
    });
}

void SettingsDialog::LoadSettingsDialog() {
    schedules_.SelectCurrent();
    pendingText_.reset();
    options_.Fill();
    schedules_.Fill();
}

void SettingsDialog::RegionalSettingsChanged() {
    Guard([&] {
        // The stored texts read with the new settings, as the next start
        // reads them; they are not written back in the new form, so a
        // change of the settings alone changes nothing stored.
        schedules_.RegionalSettingsChanged();
        if (parts_.view.DialogVisible()) PageShown(parts_.view.SelectedPage());
    });
}

// --- events ------------------------------------------------------------------

void SettingsDialog::OnEvent(Ctl control, Event event) {
    Guard([&] { Dispatch(control, event); });
}

void SettingsDialog::StorePendingText() {
    if (!pendingText_) return;
    const Ctl c = *pendingText_;
    pendingText_.reset();
    if (SchedulesPage::IsTextField(c))
        schedules_.StoreText(c);
    else
        options_.Dispatch(c, Event::Exit);
}

void SettingsDialog::Dispatch(Ctl c, Event e) {
    if (SchedulesPage::IsTextField(c) || GlobalOptionPages::IsTextField(c)) {
        if (e == Event::Change) {
            pendingText_ = c;
        } else if (e == Event::Exit && pendingText_ == c) {
            StorePendingText();
        }
        return;
    }
    // Anything else the user does comes after the text typed so far is
    // stored, so no button, selection or page change loses it.
    if (e == Event::Exit && !SchedulesPage::IsLeftAsChange(c) && !IsSpinField(c)) return;
    StorePendingText();

    switch (c) {
        case Ctl::butHelp: HelpClick(); return;
        case Ctl::butClose: Close(); return;
        default:
            if (schedules_.Dispatch(c, e)) return;
            options_.Dispatch(c, e);
            if (c == Ctl::butRestore || c == Ctl::butUndoRestore) schedules_.TakeStoreAsSeen();
            return;
    }
}

}  // namespace pw::ui
