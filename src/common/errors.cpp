#include "common/errors.h"

namespace pw {

std::string FormatText(std::string_view pattern, std::string_view arg) {
    std::string out(pattern);
    auto at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

}  // namespace pw
