#pragma once
// The settings dialog's controls on Windows: each control with its kind of
// window and its page, and the pages with their templates and tab titles.

#include <windows.h>

#include <span>

#include "ui/dialog_view.h"

namespace pw::win {

// EditCombo is a box the user may type into; Colour an owner-drawn button
// that shows its colour; Slider a track bar.
enum class Kind { Button, Picture, Check, Edit, Combo, EditCombo, Date, Time, Spin, Radio, Label, Colour, Slider };

struct ControlInfo {
    ui::Ctl ctl;
    Kind kind;
    // The frame's own controls have no page.
    bool onFrame = false;
    ui::Page page = ui::Page::Schedules;
    int glyph = 0;
    const wchar_t* hint = nullptr;

    // The control's identifier in its template.
    int Id() const { return static_cast<int>(ctl); }
};

// The radio group's items: "Launch application", "Reminder message".
inline constexpr int kRadioItems = 2;

struct PageInfo {
    ui::Page page;
    int templateId;
    const wchar_t* title;
};

std::span<const ControlInfo> Controls();
std::span<const PageInfo> Pages();
// Null for a control without a window.
const ControlInfo* InfoOf(ui::Ctl c);
// A notification's sender; the radio group's items count as the group.
const ControlInfo* InfoOfId(int id);
// An integer field's up-down, which follows it in the template.
inline int UpDownId(const ControlInfo& field) { return field.Id() + 1; }

}  // namespace pw::win
