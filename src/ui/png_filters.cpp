#include "ui/png_filters.h"

#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#define TESSEL_PNG_SSE2 1
#endif

namespace tessel::png {
namespace {

// Portable versions, any stride. The first `stride` bytes have no left neighbour (it counts as 0).

void UnfilterSub(const std::uint8_t* in, std::uint8_t* out, std::size_t length, std::size_t stride) {
    std::size_t i = 0;
    for (; i < stride && i < length; ++i) out[i] = in[i];
    for (; i < length; ++i) out[i] = static_cast<std::uint8_t>(in[i] + out[i - stride]);
}

void UnfilterUp(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length) {
    std::size_t i = 0;
#ifdef TESSEL_PNG_SSE2
    for (; i + 16 <= length; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(x, b));
    }
#endif
    for (; i < length; ++i) out[i] = static_cast<std::uint8_t>(in[i] + prior[i]);
}

void UnfilterAverage(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length,
                     std::size_t stride) {
    std::size_t i = 0;
    for (; i < stride && i < length; ++i) out[i] = static_cast<std::uint8_t>(in[i] + (prior[i] >> 1));
    for (; i < length; ++i) out[i] = static_cast<std::uint8_t>(in[i] + ((out[i - stride] + prior[i]) >> 1));
}

void UnfilterPaeth(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length,
                   std::size_t stride) {
    std::size_t i = 0;
    for (; i < stride && i < length; ++i) out[i] = static_cast<std::uint8_t>(in[i] + prior[i]);
    for (; i < length; ++i)
        out[i] = static_cast<std::uint8_t>(in[i] + PaethPredictor(out[i - stride], prior[i], prior[i - stride]));
}

#ifdef TESSEL_PNG_SSE2
// Whole-pixel versions for strides 3, 4, 6 and 8 (8- and 16-bit RGB and RGBA; 16-bit grey with
// alpha is 4 too). A row's pixels depend on each other from left to right, so the parallelism is
// across the bytes of one pixel: each pixel is one vector, carried into the next step as `left`.
// Lanes past the pixel's bytes carry junk that never reaches the real lanes.

template <std::size_t Stride>
struct PixelAccess {
    // Pixels of 3 and 6 bytes move as 4 and 8 bytes wherever the row goes on that far: copying
    // exactly 3 or 6 bytes through memory is several times slower.
    static constexpr std::size_t kWide = Stride <= 4 ? 4 : 8;
    static_assert(kWide < 2 * Stride, "a wide store may only reach into the next pixel");

    static __m128i LoadWide(const std::uint8_t* p) {
        if constexpr (kWide == 4) {
            std::uint32_t v;
            std::memcpy(&v, p, 4);
            return _mm_cvtsi32_si128(static_cast<int>(v));
        } else {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        }
    }
    static void StoreWide(std::uint8_t* p, __m128i pixel) {
        if constexpr (kWide == 4) {
            const auto v = static_cast<std::uint32_t>(_mm_cvtsi128_si32(pixel));
            std::memcpy(p, &v, 4);
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), pixel);
        }
    }
    // The bytes are gathered in a register: a word assembled in memory from single bytes and read
    // back at once stalls the processor.
    static __m128i LoadExact(const std::uint8_t* p) {
        std::uint64_t v = 0;
        for (std::size_t k = 0; k < Stride; ++k) v |= std::uint64_t{p[k]} << (8 * k);
        return _mm_cvtsi64_si128(static_cast<long long>(v));
    }
    static void StoreExact(std::uint8_t* p, __m128i pixel) {
        const auto v = static_cast<std::uint64_t>(_mm_cvtsi128_si64(pixel));
        for (std::size_t k = 0; k < Stride; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
};

// Calls step(filtered pixel, pixel above) for each pixel and stores what it returns. A wide store
// runs into the next pixel, which is stored properly one step later; its filtered bytes are always
// loaded before that store, so `out` may be `in`.
template <std::size_t Stride, class Step>
void ForEachPixel(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length, Step step) {
    using Access = PixelAccess<Stride>;
    constexpr std::size_t kWide = Access::kWide;
    if (length < Stride) return;
    std::size_t i = 0;
    __m128i x = length >= Stride + kWide ? Access::LoadWide(in) : Access::LoadExact(in);
    for (; i + Stride + kWide <= length; i += Stride) {
        const __m128i next = Access::LoadWide(in + i + Stride);
        Access::StoreWide(out + i, step(x, Access::LoadWide(prior + i)));
        x = next;
    }
    for (;; i += Stride) {  // the last one or two pixels
        const bool last = i + 2 * Stride > length;
        const __m128i next = last ? _mm_setzero_si128() : Access::LoadExact(in + i + Stride);
        Access::StoreExact(out + i, step(x, Access::LoadExact(prior + i)));
        if (last) return;
        x = next;
    }
}

template <std::size_t Stride>
void UnfilterSubPixels(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length) {
    __m128i left = _mm_setzero_si128();
    ForEachPixel<Stride>(in, prior, out, length, [&](__m128i x, __m128i) { return left = _mm_add_epi8(left, x); });
}

template <std::size_t Stride>
void UnfilterAveragePixels(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    ForEachPixel<Stride>(in, prior, out, length, [&](__m128i x, __m128i above) {
        // _mm_avg_epu8 rounds up; the filter's mean rounds down, which differs by the odd bit.
        const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(left, above), _mm_and_si128(_mm_xor_si128(left, above), one));
        return left = _mm_add_epi8(x, mean);
    });
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, otherwise));
}

// Works on 16-bit lanes so the distances cannot overflow; the carried `left` stays widened.
template <std::size_t Stride>
void UnfilterPaethPixels(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i left = zero, upperLeft = zero;
    ForEachPixel<Stride>(in, prior, out, length, [&](__m128i filtered, __m128i abovePixel) {
        const __m128i above = _mm_unpacklo_epi8(abovePixel, zero);
        const __m128i x = _mm_unpacklo_epi8(filtered, zero);
        const __m128i dAbove = _mm_sub_epi16(above, upperLeft);  // p - left
        const __m128i dLeft = _mm_sub_epi16(left, upperLeft);    // p - above
        const __m128i pa = Abs16(dAbove);
        const __m128i pb = Abs16(dLeft);
        const __m128i pc = Abs16(_mm_add_epi16(dAbove, dLeft));  // p - upperLeft
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        __m128i nearest = Select(_mm_cmpeq_epi16(smallest, pb), above, upperLeft);
        nearest = Select(_mm_cmpeq_epi16(smallest, pa), left, nearest);
        left = _mm_and_si128(_mm_add_epi16(x, nearest), low);
        upperLeft = above;
        return _mm_packus_epi16(left, left);
    });
}

template <std::size_t Stride>
void UnfilterPixels(std::uint8_t type, const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out,
                    std::size_t length) {
    switch (type) {
    case kFilterSub: UnfilterSubPixels<Stride>(in, prior, out, length); break;
    case kFilterAverage: UnfilterAveragePixels<Stride>(in, prior, out, length); break;
    case kFilterPaeth: UnfilterPaethPixels<Stride>(in, prior, out, length); break;
    }
}
#endif

}  // namespace

void Unfilter(std::uint8_t type, const std::uint8_t* filtered, const std::uint8_t* prior, std::uint8_t* out,
              std::size_t length, std::size_t stride) {
    switch (type) {
    case kFilterNone:
        if (out != filtered) std::memcpy(out, filtered, length);
        return;
    case kFilterUp:
        UnfilterUp(filtered, prior, out, length);
        return;
    default:
        break;
    }
#ifdef TESSEL_PNG_SSE2
    // A row of these strides is whole pixels, so the pixel loops cover it exactly.
    switch (stride) {
    case 3: UnfilterPixels<3>(type, filtered, prior, out, length); return;
    case 4: UnfilterPixels<4>(type, filtered, prior, out, length); return;
    case 6: UnfilterPixels<6>(type, filtered, prior, out, length); return;
    case 8: UnfilterPixels<8>(type, filtered, prior, out, length); return;
    default: break;
    }
#endif
    switch (type) {
    case kFilterSub: UnfilterSub(filtered, out, length, stride); break;
    case kFilterAverage: UnfilterAverage(filtered, prior, out, length, stride); break;
    case kFilterPaeth: UnfilterPaeth(filtered, prior, out, length, stride); break;
    default: break;
    }
}

}  // namespace tessel::png
