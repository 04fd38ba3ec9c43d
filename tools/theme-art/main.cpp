// theme-art: draws the default theme's background image.
//
//   theme-art OUT.png                         writes the image
//   theme-art --check FILE.png                exit 1 when FILE.png is not exactly what it draws
//   theme-art --preview THEME_FOLDER OUT.png W H
//                                             the theme's skin painted at W x H by its plan, at
//                                             80% opacity over a busy wallpaper, to judge it
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "background_art.h"
#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "ui/skin.h"
#include "ui/theme.h"

namespace {

using tessel::art::Image;

// Stripes and rings in strong colours: the worst case for a translucent window's legibility.
tessel::TColor Wallpaper(int x, int y) {
    const int stripe = ((x + 2 * y) / 9) % 4;
    const int ring = ((x - 60) * (x - 60) + (y - 40) * (y - 40)) / 300 % 2;
    const tessel::TColor colours[4] = {0x2060E0, 0x30C0F0, 0xE08030, 0x40A040};
    const tessel::TColor c = colours[stripe];
    return ring ? c : (c ^ 0x00FFFFFF) & 0xC0C0C0;
}

Image Preview(const std::string& folder, int width, int height) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    tessel::TTheme theme;
    theme.ThemeRoot = tessel::Utf8ToUtf16(slash == std::string::npos ? "./" : trimmed.substr(0, slash + 1));
    theme.Load(tessel::Utf8ToUtf16(slash == std::string::npos ? trimmed : trimmed.substr(slash + 1)));
    tessel::TSkin skin;
    skin.Load(theme);

    const int margin = 24;
    Image out;
    out.width = width + 2 * margin;
    out.height = height + 2 * margin;
    out.rgba.resize(size_t(out.width) * size_t(out.height) * 4);
    std::vector<tessel::TColor> window(size_t(width) * size_t(height), skin.PlainColor());
    for (const tessel::TSkinBlit& blit : skin.Plan(width, height)) {
        for (int y = std::max(0, blit.Dest.Top); y < std::min(height, blit.Dest.Bottom); ++y)
            for (int x = std::max(0, blit.Dest.Left); x < std::min(width, blit.Dest.Right); ++x) {
                int32_t sx = 0, sy = 0;
                tessel::MapToSource(blit, x, y, sx, sy);
                window[size_t(y) * size_t(width) + size_t(x)] = skin.Image().PixelAt(sx, sy);
            }
    }
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            tessel::TColor c = Wallpaper(x, y);
            const int wx = x - margin, wy = y - margin;
            if (wx >= 0 && wy >= 0 && wx < width && wy < height) {
                const tessel::TColor w = window[size_t(wy) * size_t(width) + size_t(wx)];
                tessel::TColor blended = 0;
                for (int shift = 0; shift < 24; shift += 8)
                    blended |= ((((w >> shift) & 255) * 204 + ((c >> shift) & 255) * 51) / 255) << shift;
                c = blended;
            }
            uint8_t* p = &out.rgba[(size_t(y) * size_t(out.width) + size_t(x)) * 4];
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c >> 16);
            p[3] = 255;
        }
    return out;
}

int Run(const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
        tessel::WriteFileAtomic(tessel::Utf8ToUtf16(args[0]), tessel::art::EncodePng(tessel::art::DrawBackground()));
        return 0;
    }
    if (args.size() == 2 && args[0] == "--check") {
        const std::string drawn = tessel::art::EncodePng(tessel::art::DrawBackground());
        if (tessel::ReadFileBytes(tessel::Utf8ToUtf16(args[1])) == drawn) return 0;
        std::fprintf(stderr, "theme-art: %s is not the image theme-art draws; run theme-art %s\n", args[1].c_str(),
                     args[1].c_str());
        return 1;
    }
    if (args.size() == 5 && args[0] == "--preview") {
        const Image image = Preview(args[1], tessel::StrToInt(args[3]), tessel::StrToInt(args[4]));
        tessel::WriteFileAtomic(tessel::Utf8ToUtf16(args[2]), tessel::art::EncodePng(image));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: theme-art OUT.png | --check FILE.png | --preview THEME_FOLDER OUT.png WIDTH HEIGHT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
}
