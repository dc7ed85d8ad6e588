#include "platform/win32/settings_shadow_win32.h"

#include <algorithm>

#include "platform/win32/settings_controls_win32.h"
#include "ui/option_rows.h"

namespace pw::win {

using ui::Ctl;

namespace {

Kind KindOf(Ctl c) { return InfoOf(c)->kind; }
bool IsList(Ctl c) { return KindOf(c) == Kind::Combo || KindOf(c) == Kind::EditCombo; }

}  // namespace

bool DeferredControls::Defers(Ctl c) { return InfoOf(c) != nullptr; }

DeferredControls::Entry& DeferredControls::At(Ctl c, unsigned part) {
    Entry& e = entries_[c];
    e.set |= part;
    return e;
}

std::string DeferredControls::Text(Ctl c) {
    const ui::ControlState& s = entries_[c].state;
    // A drop-down list shows its chosen item.
    if (KindOf(c) == Kind::Combo)
        return s.selected >= 0 && s.selected < static_cast<int>(s.items.size())
                   ? s.items[static_cast<std::size_t>(s.selected)]
                   : std::string();
    return s.text;
}

void DeferredControls::SetText(Ctl c, std::string_view text) { At(c, kText).state.text = text; }

bool DeferredControls::Checked(Ctl c) { return entries_[c].state.checked; }

void DeferredControls::SetChecked(Ctl c, bool checked) { At(c, kChecked).state.checked = checked; }

void DeferredControls::SetEnabled(Ctl c, bool enabled) { At(c, kEnabled).state.enabled = enabled; }

void DeferredControls::SetItems(Ctl c, const std::vector<std::string>& items) {
    if (!IsList(c)) return;
    // A new list clears the choice and the box's text.
    Entry& e = At(c, kItems | kSelected);
    e.state.items = items;
    e.state.selected = -1;
    if (KindOf(c) == Kind::EditCombo) At(c, kText).state.text.clear();
}

int DeferredControls::Selected(Ctl c) { return entries_[c].state.selected; }

void DeferredControls::SetSelected(Ctl c, int index) {
    const Kind kind = KindOf(c);
    if (kind != Kind::Radio && !IsList(c)) return;
    // Beyond the list nothing is chosen, and a box that may be typed into
    // shows the chosen item or nothing.
    const int n = kind == Kind::Radio ? kRadioItems : static_cast<int>(entries_[c].state.items.size());
    ui::ControlState& s = At(c, kSelected).state;
    s.selected = index >= 0 && index < n ? index : -1;
    if (kind == Kind::EditCombo)
        At(c, kText).state.text = s.selected >= 0 ? s.items[static_cast<std::size_t>(s.selected)] : std::string();
}

DateTime DeferredControls::Value(Ctl c) { return entries_[c].state.value; }

void DeferredControls::SetValue(Ctl c, DateTime value) {
    // A time picker holds the time of day, a date picker the day.
    const Kind kind = KindOf(c);
    if (kind == Kind::Time) At(c, kValue).state.value = TimeOf(value);
    if (kind == Kind::Date) At(c, kValue).state.value = DateOf(value);
}

int DeferredControls::Position(Ctl c) {
    const auto range = ui::RangeOf(c);
    const Entry& e = entries_[c];
    return (e.set & kPosition) || !range ? e.state.position : range->min;
}

void DeferredControls::SetPosition(Ctl c, int position) {
    // The slider keeps to its range.
    const auto range = ui::RangeOf(c);
    At(c, kPosition).state.position = range ? std::clamp(position, range->min, range->max) : position;
}

void DeferredControls::Replay(ui::DialogView& built) {
    const auto entries = std::move(entries_);
    entries_.clear();
    for (const auto& [c, e] : entries) {
        const ui::ControlState& s = e.state;
        if (e.set & kItems) built.SetItems(c, s.items);
        if (e.set & kSelected) built.SetSelected(c, s.selected);
        if ((e.set & kText) && KindOf(c) != Kind::Combo) built.SetText(c, s.text);
        if (e.set & kChecked) built.SetChecked(c, s.checked);
        if (e.set & kEnabled) built.SetEnabled(c, s.enabled);
        if (e.set & kValue) built.SetValue(c, s.value);
        if (e.set & kPosition) built.SetPosition(c, s.position);
    }
}

}  // namespace pw::win
