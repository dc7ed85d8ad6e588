#pragma once
// Character heights: the program states them in pixels, fonts and text
// controls take points. Sizes of windows and fonts are stated in pixels of
// a screen at 96 pixels per inch (100 %) and scaled to the resolution of
// the monitor a window is on.

namespace pw {

// Points at the screen's resolution for a height in pixels, rounded to the
// nearest, halves away from zero as the system's MulDiv does. A resolution
// the system does not report (0 or less) counts as 96 pixels per inch.
int PixelsToPoints(int pixels, int pixelsPerInch);

// The resolution the program's pixel sizes are stated for.
inline constexpr int kBaseDpi = 96;

// A size in pixels at 96 pixels per inch, at another resolution: rounded
// to the nearest, halves away from zero, as the system's MulDiv does. A
// resolution the system does not report counts as 96.
int ScaleToDpi(int pixels96, int dpi);

// Points at a text's resolution for a height in pixels at 96 DPI, shown on
// a monitor of dpi: one rounding, so a size is not rounded up twice.
int ScaledPixelsToPoints(int pixels96, int dpi, int pixelsPerInch);

}  // namespace pw
