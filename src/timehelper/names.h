#pragma once
// What the time helper service and the user's program both need to find
// each other: the service's names, its pipe, its policy key and its log.

#include <string_view>

#include "common/text.h"
#include "common/version.h"
#include "config/values.h"

namespace pw::timehelper {

inline constexpr std::string_view kServiceName = "PlenwickTime";
inline constexpr std::string_view kDisplayNameTail = " Time Helper";
inline constexpr std::string_view kServiceDisplayName = Joined<kAppTitle, kDisplayNameTail>;
inline constexpr std::string_view kExeName = "plenwick-time.exe";

// Local clients only: the server also refuses remote ones.
inline constexpr std::string_view kPipeName = "\\\\.\\pipe\\PlenwickTime";

// Below HKEY_LOCAL_MACHINE; writable by administrators only.
inline constexpr std::string_view kPolicySubkey = "\\TimeHelper";
inline constexpr std::string_view kPolicyKey = Joined<cfg::kSettingsKey, kPolicySubkey>;

// Below the common program data folder (%ProgramData%).
inline constexpr std::string_view kDataFolder = kAppTitle;
inline constexpr std::string_view kLogFileName = "time-helper.log";

}  // namespace pw::timehelper
