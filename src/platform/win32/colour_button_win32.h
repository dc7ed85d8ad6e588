#pragma once
// The owner-drawn colour buttons of the settings dialog: a push button
// with a sample of its colour before the caption.

#include <windows.h>

#include <cstdint>

namespace pw::win {

// Draws the button of a WM_DRAWITEM in the stored colour number colour.
void DrawColourButton(const DRAWITEMSTRUCT& item, std::uint32_t colour);

}  // namespace pw::win
