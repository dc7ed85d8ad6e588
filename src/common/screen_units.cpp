#include "common/screen_units.h"

#include <cstdint>

namespace pw {

int PixelsToPoints(int pixels, int pixelsPerInch) {
    if (pixelsPerInch <= 0) pixelsPerInch = 96;
    const std::int64_t scaled = std::int64_t{pixels} * 72;
    const std::int64_t half = pixelsPerInch / 2;
    const std::int64_t points = scaled >= 0 ? (scaled + half) / pixelsPerInch : -((-scaled + half) / pixelsPerInch);
    return static_cast<int>(points);
}

}  // namespace pw
