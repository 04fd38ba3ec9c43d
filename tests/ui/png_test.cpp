#include "ui/png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"
#include "ui/png_filters.h"

namespace tessel {
namespace {

// --- The formulas the fixtures were drawn from (tests/ui/data/make_png_fixtures.sh) -------------

unsigned Sample(unsigned x, unsigned y, unsigned k, unsigned depth) {
    return (x * 977 + y * 1429 + k * 3331 + x * y * 7) % (1u << depth);
}
unsigned PaletteIndex(unsigned x, unsigned y, unsigned n) { return (x + 3 * y + (x * y) % 5) % n; }
std::vector<unsigned> PaletteEntry(unsigned i) { return {(i * 37 + 11) & 255, (i * 91 + 3) & 255, (255 - i * 13) & 255}; }
unsigned PaletteAlpha(unsigned i) { return (i * 53 + 7) & 255; }

struct Fixture {
    const char* name;
    int type, depth, width, height;
    int paletteSize;  // palette images only
    int trns;         // 0: none; grey and RGB: 1 = key is the colour of (1, 0); palette: alpha entries
};

unsigned Channels(int type) { return type == 0 || type == 3 ? 1 : type == 4 ? 2 : type == 2 ? 3 : 4; }

std::vector<unsigned> Samples(const Fixture& f, unsigned x, unsigned y) {
    std::vector<unsigned> v;
    for (unsigned k = 0; k < Channels(f.type); ++k) v.push_back(Sample(x, y, k, f.depth));
    return v;
}

// What the decoder must give for pixel (x, y): the reduction rules applied to the formula.
std::vector<std::uint8_t> ExpectedRgba(const Fixture& f, unsigned x, unsigned y) {
    const auto reduce = [&](unsigned v) {
        return static_cast<std::uint8_t>(f.depth == 16 ? v >> 8 : v * 255 / ((1u << f.depth) - 1));
    };
    if (f.type == 3) {
        const unsigned i = PaletteIndex(x, y, f.paletteSize);
        const auto e = PaletteEntry(i);
        const unsigned a = static_cast<int>(i) < f.trns ? PaletteAlpha(i) : 255;
        return {std::uint8_t(e[0]), std::uint8_t(e[1]), std::uint8_t(e[2]), std::uint8_t(a)};
    }
    std::vector<unsigned> v = Samples(f, x, y);
    std::uint8_t alpha = 255;
    if (f.type == 4 || f.type == 6) {
        alpha = reduce(v.back());
        v.pop_back();
    } else if (f.trns && v == Samples(f, 1, 0)) {
        alpha = 0;
    }
    if (v.size() == 1) return {reduce(v[0]), reduce(v[0]), reduce(v[0]), alpha};
    return {reduce(v[0]), reduce(v[1]), reduce(v[2]), alpha};
}

const Fixture kFixtures[] = {
    {"grey1.png", 0, 1, 37, 23, 0, 0},           {"grey1_adam7.png", 0, 1, 37, 23, 0, 0},
    {"grey2.png", 0, 2, 37, 23, 0, 0},           {"grey2_adam7.png", 0, 2, 37, 23, 0, 0},
    {"grey4.png", 0, 4, 37, 23, 0, 0},           {"grey4_adam7.png", 0, 4, 37, 23, 0, 0},
    {"grey8.png", 0, 8, 37, 23, 0, 0},           {"grey8_adam7.png", 0, 8, 37, 23, 0, 0},
    {"grey16.png", 0, 16, 37, 23, 0, 0},         {"grey16_adam7.png", 0, 16, 37, 23, 0, 0},
    {"rgb8.png", 2, 8, 37, 23, 0, 0},            {"rgb8_adam7.png", 2, 8, 37, 23, 0, 0},
    {"rgb16.png", 2, 16, 37, 23, 0, 0},          {"rgb16_adam7.png", 2, 16, 37, 23, 0, 0},
    {"palette1.png", 3, 1, 37, 23, 2, 0},        {"palette1_adam7.png", 3, 1, 37, 23, 2, 0},
    {"palette2.png", 3, 2, 37, 23, 3, 0},        {"palette2_adam7.png", 3, 2, 37, 23, 3, 0},
    {"palette4.png", 3, 4, 37, 23, 11, 0},       {"palette4_adam7.png", 3, 4, 37, 23, 11, 0},
    {"palette8.png", 3, 8, 37, 23, 200, 0},      {"palette8_adam7.png", 3, 8, 37, 23, 200, 0},
    {"greyalpha8.png", 4, 8, 37, 23, 0, 0},      {"greyalpha8_adam7.png", 4, 8, 37, 23, 0, 0},
    {"greyalpha16.png", 4, 16, 37, 23, 0, 0},    {"greyalpha16_adam7.png", 4, 16, 37, 23, 0, 0},
    {"rgba8.png", 6, 8, 37, 23, 0, 0},           {"rgba8_adam7.png", 6, 8, 37, 23, 0, 0},
    {"rgba16.png", 6, 16, 37, 23, 0, 0},         {"rgba16_adam7.png", 6, 16, 37, 23, 0, 0},
    {"grey2_trns.png", 0, 2, 37, 23, 0, 1},      {"grey8_trns_adam7.png", 0, 8, 37, 23, 0, 1},
    {"grey16_trns.png", 0, 16, 37, 23, 0, 1},    {"rgb8_trns.png", 2, 8, 37, 23, 0, 1},
    {"rgb16_trns_adam7.png", 2, 16, 37, 23, 0, 1},
    {"palette4_trns.png", 3, 4, 37, 23, 11, 6},  {"palette8_trns_adam7.png", 3, 8, 37, 23, 200, 200},
    {"rgb8_split_ancillary.png", 2, 8, 37, 23, 0, 0},
    {"rgba8_split_adam7.png", 6, 8, 37, 23, 0, 0}, {"rgba8_stored.png", 6, 8, 37, 23, 0, 0},
    {"rgb8_1x1_adam7.png", 2, 8, 1, 1, 0, 0},    {"rgb8_2x2_adam7.png", 2, 8, 2, 2, 0, 0},
    {"grey4_3x5_adam7.png", 0, 4, 3, 5, 0, 0},   {"rgba16_7x1_adam7.png", 6, 16, 7, 1, 0, 0},
    {"grey1_1x9.png", 0, 1, 1, 9, 0, 0},         {"palette2_9x1.png", 3, 2, 9, 1, 4, 0},
    // Written by ImageMagick from the same formula (its own filter choice and compression).
    {"im_rgba8.png", 6, 8, 37, 23, 0, 0},        {"im_rgba8_adam7.png", 6, 8, 37, 23, 0, 0},
    {"im_rgba16.png", 6, 16, 37, 23, 0, 0},
};

std::string ReadFixture(const std::string& name) {
    std::string path = std::string(TESSEL_SOURCE_DIR) + "/tests/ui/data/" + name;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine shows the Linux root as drive Z:
#endif
    return ReadFileBytes(Utf8ToUtf16(path));
}

TEST(PngFixtures, EveryFileDecodesToItsFormula) {
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.name);
        const std::string bytes = ReadFixture(f.name);
        // The file really is of the kind the table says, so the table's coverage is real.
        ASSERT_GT(bytes.size(), 33u);
        EXPECT_EQ(static_cast<unsigned char>(bytes[24]), f.depth);
        EXPECT_EQ(static_cast<unsigned char>(bytes[25]), f.type);
        EXPECT_EQ(bytes[28] == 1, std::string(f.name).find("adam7") != std::string::npos);

        const PngImage image = DecodePng(bytes);
        ASSERT_EQ(image.width, f.width);
        ASSERT_EQ(image.height, f.height);
        ASSERT_EQ(image.rgba.size(), std::size_t(f.width) * f.height * 4);
        int wrong = 0;
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                const std::uint8_t* got = &image.rgba[(std::size_t(y) * f.width + x) * 4];
                const auto want = ExpectedRgba(f, x, y);
                if (std::equal(want.begin(), want.end(), got)) continue;
                if (++wrong <= 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << int(got[0]) << "," << int(got[1]) << ","
                                  << int(got[2]) << "," << int(got[3]) << " instead of " << int(want[0]) << ","
                                  << int(want[1]) << "," << int(want[2]) << "," << int(want[3]);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(PngFixtures, TransparencyFilesReallyHaveTranslucentPixels) {
    // Guards the table above: a tRNS fixture whose chunk was lost would pass as opaque.
    for (const char* name : {"grey2_trns.png", "grey8_trns_adam7.png", "grey16_trns.png", "rgb8_trns.png",
                             "rgb16_trns_adam7.png", "palette4_trns.png", "palette8_trns_adam7.png"}) {
        SCOPED_TRACE(name);
        const PngImage image = DecodePng(ReadFixture(name));
        int translucent = 0;
        for (std::size_t i = 3; i < image.rgba.size(); i += 4) translucent += image.rgba[i] != 255;
        EXPECT_GT(translucent, 0);
    }
}

// --- Damaged files, made from good ones ---------------------------------------------------------

std::string BigEndian(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return BigEndian(static_cast<std::uint32_t>(data.size())) + body + BigEndian(static_cast<std::uint32_t>(crc));
}

std::string Compress(const std::string& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

const std::string kSignature = "\x89PNG\r\n\x1a\n";

std::string Ihdr(std::uint32_t w, std::uint32_t h, int depth, int type, int interlace = 0) {
    return Chunk("IHDR", BigEndian(w) + BigEndian(h) + char(depth) + char(type) + '\0' + '\0' + char(interlace));
}

// A 2 x 2 8-bit RGB image from its filtered rows, with optional chunks before the image data.
std::string Rgb2x2(const std::string& filtered, const std::string& before = "") {
    return kSignature + Ihdr(2, 2, 8, 2) + before + Chunk("IDAT", Compress(filtered)) + Chunk("IEND", "");
}
const std::string kRows2x2 = std::string("\0\x01\x02\x03\x04\x05\x06", 7) + std::string("\0\x07\x08\x09\x0a\x0b\x0c", 7);

void ExpectPngError(const std::string& bytes, const std::string& message) {
    try {
        DecodePng(bytes);
        ADD_FAILURE() << "no error, expected \"" << message << "\"";
    } catch (const EPngError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST(PngDamage, SignatureAndTruncationAtEveryLength) {
    const std::string good = ReadFixture("rgb8_split_ancillary.png");
    std::string bad = good;
    bad[1] = 'Q';
    ExpectPngError(bad, "PNG: not a PNG file (bad signature)");
    ExpectPngError("GIF89a", "PNG: not a PNG file (bad signature)");
    // Every proper prefix of a good file, from nothing to all but the last byte, is truncated.
    for (std::size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectPngError(good.substr(0, length), "PNG: truncated data");
    }
    EXPECT_EQ(DecodePng(good + "trailing bytes after IEND").width, 37);
}

TEST(PngDamage, EveryChunkHasItsCrcChecked) {
    const std::string good = ReadFixture("rgb8_split_ancillary.png");
    const struct { const char* type; std::size_t offsetInData; } cases[] = {{"IHDR", 3}, {"tEXt", 0}, {"IDAT", 10},
                                                                           {"prVt", 2}, {"IEND", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::string bad = good;
        const std::size_t at = bad.find(c.type);
        ASSERT_NE(at, std::string::npos);
        bad[at + 4 + c.offsetInData] ^= 0x10;  // a data byte, or the CRC itself for the empty IEND
        ExpectPngError(bad, std::string("PNG: bad CRC in chunk ") + c.type);
    }
}

TEST(PngDamage, ChunkLengthsBeyondTheFile) {
    const std::string good = Rgb2x2(kRows2x2);
    const std::size_t idat = good.find("IDAT") - 4;
    std::string longer = good;
    longer.replace(idat, 4, BigEndian(0x7FFFFFF0));
    ExpectPngError(longer, "PNG: truncated data");
    longer.replace(idat, 4, BigEndian(0x80000000));
    ExpectPngError(longer, "PNG: bad length in chunk IDAT");
}

TEST(PngDamage, HeaderFieldsAndTheSizeBudget) {
    const std::string idat = Chunk("IDAT", Compress(std::string(8, '\0'))) + Chunk("IEND", "");
    const auto png = [&](std::uint32_t w, std::uint32_t h, int depth, int type, int interlace = 0) {
        return kSignature + Ihdr(w, h, depth, type, interlace) + idat;
    };
    ExpectPngError(png(0, 23, 8, 2), "PNG: invalid image size (0 x 23)");
    ExpectPngError(png(5, 0, 8, 2), "PNG: invalid image size (5 x 0)");
    ExpectPngError(png(0x80000000u, 1, 8, 2), "PNG: invalid image size (2147483648 x 1)");
    ExpectPngError(png(100000, 100000, 8, 6), "PNG: image too large (100000 x 100000)");
    ExpectPngError(png(kPngMaxDimension + 1, 1, 8, 6), "PNG: image too large (1048577 x 1)");
    ExpectPngError(png(8193, 8192, 8, 6), "PNG: image too large (8193 x 8192)");
    // Exactly the budget passes the header; the few bytes of data cannot fill it, which is seen
    // before 256 MB of pixels are allocated.
    ExpectPngError(png(8192, 8192, 8, 6), "PNG: not enough image data");
    ExpectPngError(png(4, 4, 8, 5), "PNG: invalid colour type 5");
    ExpectPngError(png(4, 4, 4, 2), "PNG: invalid bit depth 4 for colour type 2");
    ExpectPngError(png(4, 4, 16, 3), "PNG: invalid bit depth 16 for colour type 3");
    ExpectPngError(png(4, 4, 8, 0, 2), "PNG: unknown interlace method 2");
    ExpectPngError(kSignature + Chunk("IHDR", std::string(12, '\1')) + idat, "PNG: bad IHDR chunk");
}

TEST(PngDamage, ChunkOrder) {
    const std::string rows = kRows2x2, data = Chunk("IDAT", Compress(rows)), end = Chunk("IEND", "");
    const std::string ihdr = Ihdr(2, 2, 8, 2), plte = Chunk("PLTE", "\1\2\3");
    ExpectPngError(kSignature + data + ihdr + end, "PNG: first chunk is not IHDR");
    ExpectPngError(kSignature + ihdr + ihdr + data + end, "PNG: duplicate IHDR chunk");
    ExpectPngError(kSignature + ihdr + data + plte + end, "PNG: PLTE chunk after IDAT");
    ExpectPngError(kSignature + ihdr + end, "PNG: missing IDAT chunk");
    ExpectPngError(kSignature + ihdr + data, "PNG: truncated data");
    ExpectPngError(kSignature + ihdr + Chunk("STOP", "") + data + end, "PNG: unknown critical chunk STOP");
    ExpectPngError(kSignature + ihdr + Chunk("ID4T", "") + data + end, "PNG: bad chunk type");
    const std::string stream = Compress(rows);
    const std::string split = Chunk("IDAT", stream.substr(0, 5)) + Chunk("tEXt", "a\0b") + Chunk("IDAT", stream.substr(5));
    ExpectPngError(kSignature + ihdr + split + end, "PNG: IDAT chunks are not consecutive");
    ExpectPngError(kSignature + Ihdr(2, 2, 8, 3) + data + end, "PNG: missing PLTE chunk");
    ExpectPngError(kSignature + Ihdr(2, 2, 8, 3) + Chunk("tRNS", "\0") + plte + data + end, "PNG: tRNS chunk before PLTE");
    ExpectPngError(kSignature + Ihdr(2, 2, 2, 3) + Chunk("PLTE", std::string(15, '\1')) + data + end,
                   "PNG: bad PLTE chunk");  // five entries do not fit two bits
    ExpectPngError(Rgb2x2(rows, Chunk("tRNS", "\0\0")), "PNG: bad tRNS chunk");
    // Unknown ancillary chunks, a suggested palette and gamma do not matter.
    const PngImage image = DecodePng(Rgb2x2(rows, Chunk("zzZz", "xyz") + plte + Chunk("gAMA", BigEndian(1))));
    EXPECT_EQ(image.rgba, (std::vector<std::uint8_t>{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}));
}

TEST(PngDamage, ImageDataOfTheWrongSize) {
    ExpectPngError(Rgb2x2(kRows2x2.substr(0, 10)), "PNG: not enough image data");
    ExpectPngError(Rgb2x2(kRows2x2 + '\0'), "PNG: too much image data");
    ExpectPngError(Rgb2x2(kRows2x2 + std::string(7, '\0')), "PNG: too much image data");

    const std::string stream = Compress(kRows2x2);
    const std::string ihdr = kSignature + Ihdr(2, 2, 8, 2), end = Chunk("IEND", "");
    ExpectPngError(ihdr + Chunk("IDAT", stream.substr(0, stream.size() / 2)) + end, "PNG: truncated data");
    std::string checksum = stream;
    checksum.back() ^= 1;
    ExpectPngError(ihdr + Chunk("IDAT", checksum) + end, "PNG: corrupt image data (incorrect data check)");
    ExpectPngError(ihdr + Chunk("IDAT", "\x78\x9c\xff\xff\xff\xff") + end,
                   "PNG: corrupt image data (invalid block type)");
    // All rows present but the stream's checksum cut off: the pixels are whole, so it is read.
    EXPECT_EQ(DecodePng(ihdr + Chunk("IDAT", stream.substr(0, stream.size() - 4)) + end).rgba[4], 4);
}

TEST(PngDamage, BadFilterTypeAndPaletteIndex) {
    std::string rows = kRows2x2;
    rows[7] = 5;
    ExpectPngError(Rgb2x2(rows), "PNG: bad filter type 5");

    const std::string plte = Chunk("PLTE", "\x10\x20\x30\x40\x50\x60\x70\x80\x90");
    const auto indexed = [&](int depth, const std::string& row) {
        return kSignature + Ihdr(2, 1, depth, 3) + plte + Chunk("IDAT", Compress(row)) + Chunk("IEND", "");
    };
    EXPECT_EQ(DecodePng(indexed(8, std::string("\0\x02\x01", 3))).rgba,
              (std::vector<std::uint8_t>{0x70, 0x80, 0x90, 255, 0x40, 0x50, 0x60, 255}));
    ExpectPngError(indexed(8, std::string("\0\x01\x03", 3)), "PNG: palette index out of range");
    ExpectPngError(indexed(2, std::string("\0\x30", 2)), "PNG: palette index out of range");  // indices 0, 3
    EXPECT_EQ(DecodePng(indexed(2, std::string("\0\x20", 2))).rgba[4], 0x70);                 // indices 0, 2
}

// --- Filters and flattening ---------------------------------------------------------------------

TEST(PngFilters, PaethKnownAnswerWithTiesAndWrapAround) {
    const std::uint8_t prior[8] = {255, 0, 128, 1, 0, 255, 128, 2};
    const std::uint8_t filtered[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::uint8_t out[8];
    png::Unfilter(png::kFilterPaeth, filtered, prior, out, 8, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), (std::vector<std::uint8_t>{0, 2, 131, 5, 5, 5, 138, 13}));
    EXPECT_EQ(png::PaethPredictor(10, 10, 10), 10);  // all equal: left
    EXPECT_EQ(png::PaethPredictor(15, 0, 10), 0);    // p = 5: above and upper-left tie, above wins
    EXPECT_EQ(png::PaethPredictor(20, 10, 30), 10);  // p = 0: above is nearest
}

// The encoder's side of each filter, for round trips through Unfilter.
std::vector<std::uint8_t> FilterRow(int type, const std::vector<std::uint8_t>& row, const std::vector<std::uint8_t>& prior,
                                    std::size_t stride) {
    std::vector<std::uint8_t> out(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= stride ? row[i - stride] : 0, b = prior[i], c = i >= stride ? prior[i - stride] : 0;
        const int predictors[5] = {0, a, b, (a + b) / 2, png::PaethPredictor(a, b, c)};
        out[i] = static_cast<std::uint8_t>(row[i] - predictors[type]);
    }
    return out;
}

TEST(PngFilters, EveryFilterAndStrideRoundTripsRandomRows) {
    std::mt19937 random(12345);
    for (std::size_t stride : {1, 2, 3, 4, 6, 8}) {
        for (std::size_t pixels : {1, 2, 5, 64}) {
            const std::size_t length = stride * pixels;
            std::vector<std::uint8_t> prior(length), row(length);
            for (int type = 0; type <= 4; ++type) {
                SCOPED_TRACE("stride " + std::to_string(stride) + " length " + std::to_string(length) + " type " +
                             std::to_string(type));
                for (auto& b : prior) b = static_cast<std::uint8_t>(random() % 4 == 0 ? 255 * (random() & 1) : random());
                for (auto& b : row) b = static_cast<std::uint8_t>(random() % 4 == 0 ? 255 * (random() & 1) : random());
                std::vector<std::uint8_t> filtered = FilterRow(type, row, prior, stride), out(length);
                png::Unfilter(static_cast<std::uint8_t>(type), filtered.data(), prior.data(), out.data(), length, stride);
                EXPECT_EQ(out, row);
                png::Unfilter(static_cast<std::uint8_t>(type), filtered.data(), prior.data(), filtered.data(), length,
                              stride);  // in place
                EXPECT_EQ(filtered, row);
            }
        }
    }
}

TEST(PngFlatten, CompositesOntoWhiteAsBgra) {
    PngImage image;
    image.width = 5;
    image.height = 1;
    image.rgba = {255, 0, 0, 255,  // opaque red
                  10, 20, 30, 0,   // fully transparent: white whatever the colour
                  255, 0, 0, 128,  // half red: 255 * 128/255 + 255 * 127/255 rounds to 255, 0 gives 127
                  0, 0, 0, 1,      // nearly transparent black: 254
                  0, 100, 200, 254};
    EXPECT_EQ(FlattenOnWhite(image),
              (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 255, 255, 255, 127, 127, 255, 255, 254, 254, 254, 255,
                                         200, 101, 1, 255}));
}

}  // namespace
}  // namespace tessel
