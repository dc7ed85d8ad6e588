#pragma once
// Character heights: the program states them in pixels, fonts and text
// controls take points.

namespace pw {

// Points at the screen's resolution for a height in pixels, rounded to the
// nearest, halves away from zero as the system's MulDiv does. A resolution
// the system does not report (0 or less) counts as 96 pixels per inch.
int PixelsToPoints(int pixels, int pixelsPerInch);

}  // namespace pw
