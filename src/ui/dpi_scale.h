#pragma once
// Display scale. Every length the windows are laid out with is a length in pixels at 96 DPI;
// on a screen of another resolution it becomes the nearest whole pixel count at that resolution.
// Theme fonts are given in points (1/72 inch), so their pixel height follows the resolution
// directly. The theme's background image is drawn for 96 DPI and is resampled smoothly (not in
// nearest-neighbour blocks) for a larger or smaller scale, with its skin bands scaled alike.
#include <cstdint>

#include "ui/skin_plan.h"
#include "ui/theme.h"

namespace tessel {

inline constexpr int32_t kDesignDpi = 96;

// The resolution to lay out for: dpi, or 96 for a value no display reports (0 or less, as from
// a call that failed).
int32_t UsableDpi(int32_t dpi);

// A 96-DPI length at dpi, rounded to the nearest pixel (halves away from zero).
int32_t ScaleToDpi(int32_t length, int32_t dpi);

// The character height in pixels of a font of the given point size at dpi, rounded.
int32_t FontPixelHeight(int32_t points, int32_t dpi);

// The image resampled to width x height: every target pixel is the area-weighted mean of the
// source pixels its span covers, so enlargements blend neighbouring pixels and reductions average
// them. All four bytes (alpha included) are resampled. An empty image or size gives an empty image.
TThemeImage ResampleImage(const TThemeImage& image, int32_t width, int32_t height);

// A skin drawn for 96 DPI at dpi: the image resampled to its scaled size and every band's
// thickness and margins scaled with it.
TThemeImage ScaleImageToDpi(const TThemeImage& image, int32_t dpi);
TSkinBand ScaleBand(const TSkinBand& band, int32_t dpi);

}  // namespace tessel
