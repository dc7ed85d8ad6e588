#pragma once
// The program's own version, as its version resource gives it: the four
// numbers of the fixed file version and the "FileVersion" text. A program
// without a version resource reads as 0.0.0.0 with an empty text.

#include <string>
#include <string_view>

namespace pw {

// The program's name: the application title, the tray tip, the name of
// its start-with-Windows entry.
inline constexpr std::string_view kAppTitle = "Plenwick";

struct ProgramVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned release = 0;
    unsigned build = 0;
    std::string fileVersionText;
};

// "major.minor.release", the form the reminder window and the settings
// dialog's caption show.
std::string ThreePartVersion(const ProgramVersion& v);

}  // namespace pw
