#pragma once
// The settings dialog before its windows exist: the logic fills every
// control at start-up, long before the first "Settings" makes the windows,
// so the view keeps what it is told here, with the rules each kind of
// control keeps (a drop-down list shows its chosen item, a new list clears
// the choice, a picker holds a day or a time of day), and hands it to the
// controls once they are made.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetime.h"
#include "ui/control_state.h"
#include "ui/dialog_view.h"

namespace pw::win {

class DeferredControls {
public:
    // True for a control that has a window once the dialog is built.
    static bool Defers(ui::Ctl c);

    std::string Text(ui::Ctl c);
    void SetText(ui::Ctl c, std::string_view text);
    bool Checked(ui::Ctl c);
    void SetChecked(ui::Ctl c, bool checked);
    void SetEnabled(ui::Ctl c, bool enabled);
    void SetItems(ui::Ctl c, const std::vector<std::string>& items);
    int Selected(ui::Ctl c);
    void SetSelected(ui::Ctl c, int index);
    DateTime Value(ui::Ctl c);
    void SetValue(ui::Ctl c, DateTime value);
    int Position(ui::Ctl c);
    void SetPosition(ui::Ctl c, int position);

    // Sets on the built controls what each was told, in an order that
    // leaves each as the logic's calls would have: a list before its
    // choice, a combo box's choice before the text typed into it. Empties
    // this store.
    void Replay(ui::DialogView& built);

private:
    // The parts of a control's state the logic set; the others stay as
    // the template makes them.
    enum Part : unsigned { kText = 1, kChecked = 2, kEnabled = 4, kItems = 8, kSelected = 16, kValue = 32, kPosition = 64 };
    struct Entry {
        ui::ControlState state;
        unsigned set = 0;
    };
    Entry& At(ui::Ctl c, unsigned part);
    std::map<ui::Ctl, Entry> entries_;
};

}  // namespace pw::win
