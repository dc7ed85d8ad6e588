#include "common/version.h"

namespace pw {

std::string ThreePartVersion(const ProgramVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.release);
}

}  // namespace pw
