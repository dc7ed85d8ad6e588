#pragma once
// The dialogs the settings dialog opens over itself: the input box of the
// resource script, and the system's file, folder and colour dialogs. Each
// gives nothing when the user cancels.

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pw::win {

// The new-style dialog, with an edit box showing the selected path and
// shared folders offered, preset to start (when that folder exists). The
// folder the user confirmed, or nothing on cancel.
std::optional<std::string> BrowseForFolder(HWND owner, std::string_view start, std::string_view title = {});

// The input box, modal over owner.
std::optional<std::wstring> AskText(HINSTANCE instance, HWND owner, const std::wstring& caption,
                                    const std::wstring& prompt, const std::wstring& initial);

// An existing file; filter in the form "Text (*.x)|*.X|All files (*.*)|*.*".
std::optional<std::string> OpenFile(HWND owner, std::string_view filter, std::string_view initialDir);

// Custom colours the colour dialog keeps between its openings.
using CustomColours = std::array<COLORREF, 16>;
// A colour, the dialog opening on initial (a stored colour number); RGB,
// red lowest.
std::optional<std::uint32_t> ChooseColour(HWND owner, std::uint32_t initial, CustomColours& custom);

}  // namespace pw::win
