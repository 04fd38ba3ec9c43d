#include "ui/png.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "ui/png_chunks.h"
#include "ui/png_filters.h"
#include "ui/png_pixels.h"

namespace tessel {

using namespace png;

namespace {

// The IDAT payloads read as one zlib stream, a row at a time straight into the caller's buffer.
class ImageDataStream {
public:
    explicit ImageDataStream(const std::vector<std::string_view>& parts) : parts_(parts) {
        if (inflateInit(&z_) != Z_OK) throw std::bad_alloc();
    }
    ImageDataStream(const ImageDataStream&) = delete;
    ImageDataStream& operator=(const ImageDataStream&) = delete;
    ~ImageDataStream() { inflateEnd(&z_); }

    // Fills exactly `length` bytes or raises EPngError.
    void Read(std::uint8_t* out, std::size_t length) {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(length);
        while (z_.avail_out > 0) {
            if (ended_) Fail("not enough image data");
            if (!Step()) Fail("truncated data");
        }
    }

    // Called once every row is read: the stream must hold nothing more. Compressed data that stops
    // right after the last row (without its end marker or checksum) is accepted, as the pixels are
    // all there.
    void Finish() {
        std::uint8_t extra[64];
        while (!ended_) {
            z_.next_out = extra;
            z_.avail_out = sizeof extra;
            if (!Step()) return;
            if (z_.avail_out != sizeof extra) Fail("too much image data");
        }
    }

private:
    // One inflate call, fed with the next IDAT payload when the current one is used up; false when
    // nothing could be done because the input has run out.
    bool Step() {
        while (z_.avail_in == 0 && next_ < parts_.size()) {
            const std::string_view part = parts_[next_++];
            z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.data()));
            z_.avail_in = static_cast<uInt>(part.size());
        }
        switch (inflate(&z_, Z_NO_FLUSH)) {
        case Z_OK:
            return true;
        case Z_STREAM_END:
            ended_ = true;
            return true;
        case Z_BUF_ERROR:
            return z_.avail_in > 0;
        case Z_MEM_ERROR:
            throw std::bad_alloc();
        default:
            Fail(std::string("corrupt image data (") + (z_.msg ? z_.msg : "bad zlib stream") + ")");
        }
    }

    const std::vector<std::string_view>& parts_;
    std::size_t next_ = 0;
    z_stream z_{};
    bool ended_ = false;
};

// The seven passes of Adam7: first column and row, column and row steps.
struct Pass {
    std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWholeImage = {0, 0, 1, 1};

std::uint32_t PassExtent(std::uint32_t size, std::uint32_t first, std::uint32_t step) {
    return size > first ? (size - first + step - 1) / step : 0;
}

// No deflate stream expands by more than 1032 to 1; a file whose image data cannot possibly fill
// the rows it announces is refused before the pixels are allocated.
constexpr std::uint64_t kMaxInflateRatio = 1032;

class Decoder {
public:
    explicit Decoder(std::string_view bytes) : layout_(ReadChunks(bytes)), header_(layout_.header), pixels_(layout_) {}

    PngImage Run() {
        const int passCount = header_.interlaced ? 7 : 1;
        const Pass* passes = header_.interlaced ? kAdam7 : &kWholeImage;
        std::uint64_t filteredBytes = 0;
        std::size_t widestRow = 0;
        for (int i = 0; i < passCount; ++i) {
            const std::uint32_t w = PassExtent(header_.width, passes[i].x0, passes[i].dx);
            const std::uint32_t h = PassExtent(header_.height, passes[i].y0, passes[i].dy);
            if (w == 0 || h == 0) continue;  // an empty pass has no rows at all, not even filter bytes
            filteredBytes += std::uint64_t{h} * (1 + header_.RowBytes(w));
            widestRow = std::max(widestRow, header_.RowBytes(w));
        }
        if (filteredBytes > layout_.imageDataBytes * kMaxInflateRatio + 64) Fail("not enough image data");

        PngImage image;
        image.width = static_cast<int>(header_.width);
        image.height = static_cast<int>(header_.height);
        image.rgba.resize(std::size_t{header_.width} * header_.height * 4);
        rows_.resize(3 * (widestRow + 1));
        passRgba_.resize(header_.interlaced ? std::size_t{header_.width} * 4 : 0);

        ImageDataStream stream(layout_.imageData);
        for (int i = 0; i < passCount; ++i) DecodePass(stream, passes[i], image);
        stream.Finish();
        return image;
    }

private:
    void DecodePass(ImageDataStream& stream, const Pass& pass, PngImage& image) {
        const std::uint32_t w = PassExtent(header_.width, pass.x0, pass.dx);
        const std::uint32_t h = PassExtent(header_.height, pass.y0, pass.dy);
        if (w == 0 || h == 0) return;
        const std::size_t rowBytes = header_.RowBytes(w);
        const std::size_t stride = header_.FilterStride();
        const std::size_t imageRow = std::size_t{header_.width} * 4;
        // 8-bit RGBA rows are already the output: rebuild them in place in the image.
        const bool direct = !header_.interlaced && header_.colourType == kRgba && header_.bitDepth == 8;

        std::uint8_t* filtered = rows_.data();                  // filter byte + row
        std::uint8_t* current = rows_.data() + (rowBytes + 1);  // rebuilt row
        std::uint8_t* prior = current + (rowBytes + 1);         // the row above, zeros at first
        std::memset(prior, 0, rowBytes);
        for (std::uint32_t y = 0; y < h; ++y) {
            stream.Read(filtered, rowBytes + 1);
            const std::uint8_t type = filtered[0];
            if (type > kFilterPaeth) Fail("bad filter type " + std::to_string(type));
            std::uint8_t* out = image.rgba.data() + std::size_t{pass.y0 + y * pass.dy} * imageRow;
            if (direct) {
                Unfilter(type, filtered + 1, y == 0 ? prior : out - imageRow, out, rowBytes, stride);
                continue;
            }
            Unfilter(type, filtered + 1, prior, current, rowBytes, stride);
            if (pass.dx == 1) {
                pixels_.ToRgba(current, w, out);
            } else {
                pixels_.ToRgba(current, w, passRgba_.data());
                for (std::uint32_t x = 0; x < w; ++x)
                    std::memcpy(out + std::size_t{pass.x0 + x * pass.dx} * 4, passRgba_.data() + std::size_t{x} * 4, 4);
            }
            std::swap(current, prior);
        }
    }

    ChunkLayout layout_;
    const Header& header_;
    PixelConverter pixels_;
    std::vector<std::uint8_t> rows_;
    std::vector<std::uint8_t> passRgba_;
};

// Rounded c * a / 255 + 255 - a: the colour over white.
inline std::uint8_t OverWhite(unsigned c, unsigned a) { return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255); }

}  // namespace

PngImage DecodePng(std::string_view bytes) { return Decoder(bytes).Run(); }

std::vector<std::uint8_t> FlattenOnWhite(const PngImage& image) {
    const std::size_t count = image.rgba.size() / 4;
    std::vector<std::uint8_t> bgra(count * 4);
    const std::uint8_t* in = image.rgba.data();
    std::uint8_t* out = bgra.data();
    for (std::size_t i = 0; i < count; ++i, in += 4, out += 4) {
        const unsigned a = in[3];
        out[0] = OverWhite(in[2], a);
        out[1] = OverWhite(in[1], a);
        out[2] = OverWhite(in[0], a);
        out[3] = 255;
    }
    return bgra;
}

}  // namespace tessel
