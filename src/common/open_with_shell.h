#pragma once
// Opening a file or web address with the application the system associates
// with it.

#include <string_view>

#include "common/services.h"

namespace pw {

// The default verb, no parameters, no working directory, shown normally.
// True when the shell reports success.
bool OpenWithShell(Shell& shell, std::string_view pathOrAddress);

}  // namespace pw
