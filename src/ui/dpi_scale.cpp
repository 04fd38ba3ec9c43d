#include "ui/dpi_scale.h"

#include <algorithm>
#include <vector>

namespace tessel {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero; c > 0.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
    const int64_t product = int64_t(a) * b;
    const int64_t half = c / 2;
    const int64_t q = product >= 0 ? (product + half) / c : -((-product + half) / c);
    return int32_t(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

// For every target pixel along one axis, the source pixels it covers and their weights (the
// length of the overlap, in units of 1 / target). Enlarging spreads each source pixel over
// several targets, so the weights are taken from a linear interpolation instead, which blends
// neighbours rather than repeating them.
struct Tap {
    int32_t Source;
    double Weight;
};

std::vector<std::vector<Tap>> Taps(int32_t source, int32_t target) {
    std::vector<std::vector<Tap>> taps{size_t(target)};
    const double ratio = double(source) / double(target);
    for (int32_t t = 0; t < target; ++t) {
        std::vector<Tap>& out = taps[size_t(t)];
        if (ratio < 1.0) {
            // Linear interpolation between the two source pixels around the target's centre.
            double centre = (t + 0.5) * ratio - 0.5;
            centre = std::clamp(centre, 0.0, double(source - 1));
            const int32_t s0 = int32_t(centre);
            const int32_t s1 = std::min(s0 + 1, source - 1);
            const double f = centre - s0;
            out.push_back({s0, 1.0 - f});
            if (s1 != s0 && f > 0) out.push_back({s1, f});
        } else {
            // The mean of the source pixels under the target's span.
            const double begin = t * ratio;
            const double end = (t + 1) * ratio;
            for (int32_t s = int32_t(begin); s < source && s < end; ++s) {
                const double overlap = std::min(end, double(s + 1)) - std::max(begin, double(s));
                if (overlap > 0) out.push_back({s, overlap / ratio});
            }
        }
    }
    return taps;
}

}  // namespace

int32_t UsableDpi(int32_t dpi) { return dpi > 0 ? dpi : kDesignDpi; }

int32_t ScaleToDpi(int32_t length, int32_t dpi) { return MulDivRounded(length, UsableDpi(dpi), kDesignDpi); }

int32_t FontPixelHeight(int32_t points, int32_t dpi) { return MulDivRounded(points, UsableDpi(dpi), 72); }

TThemeImage ResampleImage(const TThemeImage& image, int32_t width, int32_t height) {
    TThemeImage out;
    if (image.Empty() || width <= 0 || height <= 0) return out;
    if (width == image.Width && height == image.Height) return image;
    const auto columns = Taps(image.Width, width);
    const auto rows = Taps(image.Height, height);

    // Horizontal pass into a buffer of target width and source height, then the vertical pass.
    std::vector<double> across(size_t(width) * size_t(image.Height) * 4);
    for (int32_t y = 0; y < image.Height; ++y) {
        const uint8_t* row = &image.Bgra[size_t(y) * size_t(image.Width) * 4];
        for (int32_t x = 0; x < width; ++x) {
            double* px = &across[(size_t(y) * size_t(width) + size_t(x)) * 4];
            for (const Tap& tap : columns[size_t(x)])
                for (int c = 0; c < 4; ++c) px[c] += tap.Weight * row[size_t(tap.Source) * 4 + size_t(c)];
        }
    }
    out.Width = width;
    out.Height = height;
    out.Bgra.resize(size_t(width) * size_t(height) * 4);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (const Tap& tap : rows[size_t(y)]) {
                const double* px = &across[(size_t(tap.Source) * size_t(width) + size_t(x)) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += tap.Weight * px[c];
            }
            uint8_t* target = &out.Bgra[(size_t(y) * size_t(width) + size_t(x)) * 4];
            for (int c = 0; c < 4; ++c) target[c] = uint8_t(std::clamp(sum[c] + 0.5, 0.0, 255.0));
        }
    }
    return out;
}

TThemeImage ScaleImageToDpi(const TThemeImage& image, int32_t dpi) {
    if (image.Empty()) return image;
    return ResampleImage(image, std::max(1, ScaleToDpi(image.Width, dpi)), std::max(1, ScaleToDpi(image.Height, dpi)));
}

TSkinBand ScaleBand(const TSkinBand& band, int32_t dpi) {
    TSkinBand scaled = band;
    scaled.Len = ScaleToDpi(band.Len, dpi);
    scaled.Margin1 = ScaleToDpi(band.Margin1, dpi);
    scaled.Margin2 = ScaleToDpi(band.Margin2, dpi);
    return scaled;
}

}  // namespace tessel
