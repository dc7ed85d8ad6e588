#pragma once
// The option pages as tables: each ordinary control of "Global options",
// "Display" and "Housekeeping" is one row naming its control by its
// template's identifier (res/resource.h), its kind, the stored value (which
// brings its default and range) and the field of the clock window's
// settings it updates. Creation, filling, the write-through on change, the
// clamp on leaving an integer field, the range of its up-down and, on
// Windows, the control's kind of window and its page are all made from
// these rows; what a row cannot say stays code beside its page's rows
// (settings_options.cpp).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "config/global_settings.h"
#include "config/values.h"
#include "ui/dialog_view.h"

namespace pw::ui {

enum class RowKind {
    Check,   // a check box for a flag
    Spin,    // an integer field with its up-down; stored at every change
    Text,    // a text field; stored when the focus leaves it
    Combo,   // a box typed into or chosen from; stored at every change
    Slider,  // a track bar over the value's range
    Colour,  // a button showing a colour; clicking opens the colour dialog
};

using cfg::GlobalSettings;

using RowValue =
    std::variant<const cfg::FlagValue*, const cfg::IntValue*, const cfg::TextValue*, const cfg::ColourValue*>;
// The clock window's field, none for a value read where it is used.
using RowField = std::variant<std::monostate, bool GlobalSettings::*, std::int32_t GlobalSettings::*,
                              std::string GlobalSettings::*, std::uint32_t GlobalSettings::*>;

template <class T>
constexpr RowField FieldOrNone(T GlobalSettings::*f) {
    return f ? RowField{f} : RowField{};
}

struct OptionRow {
    Ctl control;
    RowKind kind;
    RowValue value;
    RowField field;
    // The state the control is made in, before the store fills it: ticked
    // or not, the number an integer field or slider shows.
    std::int32_t made = 0;
    // An up-down's step per press.
    std::int32_t step = 1;
    // A check box's dependent controls, enabled exactly while it is ticked.
    std::span<const Ctl> enables = {};
};

// Each row's first argument is its control's identifier in the template.
constexpr OptionRow Check(int id, const cfg::FlagValue& v, bool GlobalSettings::*f, bool made = false,
                          std::span<const Ctl> enables = {}) {
    return {Ctl{id}, RowKind::Check, &v, FieldOrNone(f), made, 1, enables};
}
constexpr OptionRow Spin(int id, const cfg::IntValue& v, std::int32_t GlobalSettings::*f, std::int32_t step,
                         std::int32_t made = 0) {
    return {Ctl{id}, RowKind::Spin, &v, FieldOrNone(f), made, step};
}
constexpr OptionRow Text(int id, const cfg::TextValue& v, std::string GlobalSettings::*f) {
    return {Ctl{id}, RowKind::Text, &v, f};
}
constexpr OptionRow Combo(int id, const cfg::TextValue& v, std::string GlobalSettings::*f) {
    return {Ctl{id}, RowKind::Combo, &v, f};
}
constexpr OptionRow Slider(int id, const cfg::IntValue& v, std::int32_t GlobalSettings::*f, std::int32_t made) {
    return {Ctl{id}, RowKind::Slider, &v, f, made};
}
constexpr OptionRow Colour(int id, const cfg::ColourValue& v, std::uint32_t GlobalSettings::*f) {
    return {Ctl{id}, RowKind::Colour, &v, f};
}

struct OptionPage {
    Page page;
    std::span<const OptionRow> rows;
};

// The option pages' rows, page by page, in the order they are filled.
std::span<const OptionPage> OptionPages();
// The row of a control; null for a control no row describes.
const OptionRow* OptionRowOf(Ctl c);

// The bounds and step of an integer field's up-down or of a slider, from
// its value; nothing for other controls.
struct FieldRange {
    std::int32_t min;
    std::int32_t max;
    std::int32_t step;
};
std::optional<FieldRange> RangeOf(Ctl c);

}  // namespace pw::ui
