#include "common/colour.h"

namespace pw {

Rgb ResolveColour(std::uint32_t value, const SystemColourLookup& systemColour) {
    if ((value >> 24) == 0xFF) {
        const int index = static_cast<int>(value & 0xFF);
        return systemColour ? (systemColour(index) & 0xFFFFFF) : kBlack;
    }
    return value & 0xFFFFFF;
}

}  // namespace pw
