#pragma once
// How a skin paints a window of any size from one background image: a nine-part picture made of
// copies and stretches. Corners belong to the top and bottom bands and keep their natural size
// when the bands' margins equal the corner sizes; the middles of the bands and the centre are
// stretched. The plan is plain geometry, so it is checked without a display and executed by GDI
// in the Windows build.
#include <cstdint>
#include <vector>

namespace tessel {

// Left, top, right, bottom with the right and bottom edges exclusive.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    TRect Moved(int32_t dx, int32_t dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    bool operator==(const TRect&) const = default;
};

// One border side: a band Len pixels thick whose first Margin1 and last Margin2 pixels along
// the side are copied as they are and whose middle is stretched.
struct TSkinBand {
    int32_t Margin1 = 0;
    int32_t Margin2 = 0;
    int32_t Len = 0;
    bool Horz = false;  // read from the description, not used by the drawing

    bool operator==(const TSkinBand&) const = default;
};

struct TSkinBands {
    TSkinBand Left;
    TSkinBand Right;
    TSkinBand Top;
    TSkinBand Bottom;
};

// Source pixels copied onto Dest, stretched when the sizes differ.
struct TSkinBlit {
    TRect Source;
    TRect Dest;

    bool Stretched() const { return Source.Width() != Dest.Width() || Source.Height() != Dest.Height(); }
    bool operator==(const TSkinBlit&) const = default;
};

// The blits, in painting order (later ones overwrite earlier ones), that paint a width x height
// window from a sourceWidth x sourceHeight image: top band, bottom band, left band, right band,
// centre. The centre is one pixel wider and taller than the space between the bands.
//
// Pieces with no area (zero or negative width or height, in the image or on the window) are left
// out: a window or an image smaller than its borders would otherwise ask for mirrored stretches.
std::vector<TSkinBlit> PlanSkin(const TSkinBands& bands, int32_t sourceWidth, int32_t sourceHeight, int32_t width,
                                int32_t height);

// The image pixel a blit shows at a window pixel inside its Dest, by nearest-neighbour sampling
// (the pixel whose span holds the destination pixel's start). Scalers may round differently by
// one source pixel.
void MapToSource(const TSkinBlit& blit, int32_t x, int32_t y, int32_t& sourceX, int32_t& sourceY);

}  // namespace tessel
