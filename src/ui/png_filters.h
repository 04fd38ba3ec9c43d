#pragma once
// The five PNG row filters, reversed. A row is rebuilt from its filtered bytes, the bytes of the row
// above (already rebuilt; all zeros for the first row of an image or interlace pass) and its own
// bytes to the left. The filters run on whole bytes whatever the bit depth; `stride` is the
// distance to the same byte of the pixel on the left (bytes per pixel, at least 1).
#include <cstddef>
#include <cstdint>

namespace tessel::png {

enum FilterType : std::uint8_t { kFilterNone = 0, kFilterSub = 1, kFilterUp = 2, kFilterAverage = 3, kFilterPaeth = 4 };

// The predictor of the Paeth filter: whichever of left, above and upper-left is closest to
// left + above - upper-left, ties going to left, then above.
inline std::uint8_t PaethPredictor(int left, int above, int upperLeft) {
    const int p = left + above - upperLeft;
    const int pa = p > left ? p - left : left - p;
    const int pb = p > above ? p - above : above - p;
    const int pc = p > upperLeft ? p - upperLeft : upperLeft - p;
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(left);
    if (pb <= pc) return static_cast<std::uint8_t>(above);
    return static_cast<std::uint8_t>(upperLeft);
}

// Writes `length` rebuilt bytes to `out` from `filtered`; `out` may be `filtered` itself but must not
// overlap `prior`. `type` must be one of the five filter types (the caller refuses others).
void Unfilter(std::uint8_t type, const std::uint8_t* filtered, const std::uint8_t* prior, std::uint8_t* out,
              std::size_t length, std::size_t stride);

}  // namespace tessel::png
