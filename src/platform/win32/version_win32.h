#pragma once
// The version resource of an executable: the fixed file version numbers
// and the "FileVersion" text. Used by the reminder window, the settings
// dialog's caption and About page, and the update check.

#include <string>

#include "common/version.h"

namespace pw::win {

// The version of the file at path; 0.0.0.0 and an empty text when it has
// no version resource (or cannot be read).
ProgramVersion ReadFileVersion(const std::wstring& path);
// The running program's own version.
ProgramVersion ReadProgramVersion();

}  // namespace pw::win
