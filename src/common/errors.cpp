#include "common/errors.h"

namespace pw {

std::string FormatText(std::string_view pattern, std::string_view arg) {
    auto at = pattern.find("%s");
    if (at == std::string_view::npos) return std::string(pattern);
    std::string out;
    out.reserve(pattern.size() + arg.size());
    out.append(pattern.substr(0, at)).append(arg).append(pattern.substr(at + 2));
    return out;
}

}  // namespace pw
