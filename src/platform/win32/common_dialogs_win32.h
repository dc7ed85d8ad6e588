#pragma once
// The system's folder selection dialog.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace pw::win {

// The new-style dialog, with an edit box showing the selected path and
// shared folders offered, preset to start (when that folder exists). The
// folder the user confirmed, or nothing on cancel.
std::optional<std::string> BrowseForFolder(HWND owner, std::string_view start, std::string_view title);

}  // namespace pw::win
