// Decoding speed of the theme's PNG reader beside libpng, on the same files in one run: a generated
// 2000 x 2000 picture (RGBA, and RGB, which needs an alpha channel added) written by libpng's own
// encoder at its default settings, and the shipped theme background when there is one. Both
// readers produce 8-bit RGBA rows into a freshly allocated buffer.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "ui/png.h"

namespace {

// --- libpng, in memory ---------------------------------------------------------------------------

struct MemoryReader {
    const std::string* bytes;
    std::size_t pos = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->bytes->size() - reader->pos < length) png_error(png, "read past the end");
    std::memcpy(out, reader->bytes->data() + reader->pos, length);
    reader->pos += length;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

// libpng with the reduction rules of the theme's reader: everything to 8-bit RGBA.
std::vector<std::uint8_t> LibpngDecode(const std::string& bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> rgba;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return {};
    }
    MemoryReader reader{&bytes};
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    const int type = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rgba.resize(std::size_t{w} * h * 4);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + std::size_t{y} * w * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return rgba;
}

std::string LibpngEncode(int width, int height, bool alpha) {
    const int channels = alpha ? 4 : 3;
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A smooth picture with a little grain, like a skin's artwork rather than noise.
            const unsigned grain = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) >> 27;
            std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * channels];
            p[0] = std::uint8_t(x * 255 / width + (grain & 3));
            p[1] = std::uint8_t(y * 255 / height + ((grain >> 2) & 3));
            p[2] = std::uint8_t(((x + y) >> 3) ^ ((x * y) >> 11));
            if (alpha) p[3] = std::uint8_t(255 - ((x * y >> 13) & 63));
        }
    }
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, WriteToMemory, nullptr);
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, &pixels[std::size_t(y) * width * channels]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// --- the cases -----------------------------------------------------------------------------------

const std::string& Generated(bool alpha) {
    static const std::string rgba = LibpngEncode(2000, 2000, true);
    static const std::string rgb = LibpngEncode(2000, 2000, false);
    return alpha ? rgba : rgb;
}

std::string ThemeBackground() {
    const std::filesystem::path folder = std::filesystem::path(TESSEL_SOURCE_DIR) / "themes" / "default";
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) return {};
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.path().extension() == ".png") return tessel::ReadFileBytes(entry.path().u16string());
    return {};
}

const std::string& Theme() {
    static const std::string bytes = ThemeBackground();
    return bytes;
}

template <class Decode>
void Run(benchmark::State& state, const std::string& bytes, Decode decode) {
    if (bytes.empty()) {
        state.SkipWithError("no themes/default/*.png in the source tree yet: case skipped");
        return;
    }
    // Both readers must agree before their speeds mean anything.
    if (tessel::DecodePng(bytes).rgba != LibpngDecode(bytes)) {
        state.SkipWithError("the two readers disagree on this file");
        return;
    }
    std::size_t pixels = 0;
    for (auto _ : state) {
        const std::size_t n = decode(bytes);
        benchmark::DoNotOptimize(n);
        pixels += n / 4;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(pixels));
    state.counters["file_KB"] = static_cast<double>(bytes.size()) / 1024;
}

std::size_t Tessel(const std::string& bytes) { return tessel::DecodePng(bytes).rgba.size(); }
std::size_t Libpng(const std::string& bytes) { return LibpngDecode(bytes).size(); }

void BM_Rgba2000_Tessel(benchmark::State& s) { Run(s, Generated(true), Tessel); }
void BM_Rgba2000_Libpng(benchmark::State& s) { Run(s, Generated(true), Libpng); }
void BM_Rgb2000_Tessel(benchmark::State& s) { Run(s, Generated(false), Tessel); }
void BM_Rgb2000_Libpng(benchmark::State& s) { Run(s, Generated(false), Libpng); }
void BM_ThemeBackground_Tessel(benchmark::State& s) { Run(s, Theme(), Tessel); }
void BM_ThemeBackground_Libpng(benchmark::State& s) { Run(s, Theme(), Libpng); }

BENCHMARK(BM_Rgba2000_Tessel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgba2000_Libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb2000_Tessel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb2000_Libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThemeBackground_Tessel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThemeBackground_Libpng)->Unit(benchmark::kMillisecond);

}  // namespace
