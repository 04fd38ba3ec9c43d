#pragma once
// The default theme's background image, drawn from a few numbers: a rounded dark frame with a
// blue title band and a quiet gradient in the middle. Everything is integer arithmetic, so the
// same program draws the same bytes on every machine.
#include <cstdint>
#include <string>
#include <vector>

namespace tessel::art {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // R, G, B, A per pixel, rows top to bottom
};

// The band lengths the image is drawn for; themes/default/profile.xml gives the same numbers.
struct Layout {
    int width = 48;
    int height = 56;
    int radius = 5;     // outer corner radius; fits inside the bottom band
    int top = 26;       // title band, also the title bar's height
    int left = 5;
    int right = 6;      // the centre's stretch covers the first column of the right band
    int bottom = 8;     // and the first row of the bottom band
};

Image DrawBackground(const Layout& layout = Layout());

// An 8-bit RGBA PNG of the image, compressed by zlib at its best level.
std::string EncodePng(const Image& image);

}  // namespace tessel::art
