#include "common/screen_units.h"

#include <cstdint>

namespace pw {

namespace {

// value * numerator / denominator, rounded as MulDiv rounds.
int MulDivRounded(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t scaled = value * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t result = scaled >= 0 ? (scaled + half) / denominator : -((-scaled + half) / denominator);
    return static_cast<int>(result);
}

}  // namespace

int PixelsToPoints(int pixels, int pixelsPerInch) {
    return MulDivRounded(pixels, 72, pixelsPerInch > 0 ? pixelsPerInch : kBaseDpi);
}

int ScaledPixelsToPoints(int pixels96, int dpi, int pixelsPerInch) {
    if (dpi <= 0) dpi = kBaseDpi;
    if (pixelsPerInch <= 0) pixelsPerInch = kBaseDpi;
    return MulDivRounded(pixels96, std::int64_t{dpi} * 72, std::int64_t{kBaseDpi} * pixelsPerInch);
}

int ScaleToDpi(int pixels96, int dpi) { return MulDivRounded(pixels96, dpi > 0 ? dpi : kBaseDpi, kBaseDpi); }

}  // namespace pw
