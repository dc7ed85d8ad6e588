#include "common/open_with_shell.h"

namespace pw {

bool OpenWithShell(Shell& shell, std::string_view pathOrAddress) { return shell.Open(pathOrAddress); }

}  // namespace pw
