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
// Whole-pixel versions for strides 3, 4, 6 and 8 (8- and 16-bit RGB and RGBA, 16-bit grey with
// alpha is 4 too). A row's pixels depend on each other from left to right, so the parallelism is
// across the bytes of one pixel: each pixel is one vector, carried into the next step as `left`.
// Bytes are moved with memcpy of exactly `stride` bytes, never past the row.

template <std::size_t Stride>
__m128i LoadPixel(const std::uint8_t* p) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, Stride);
    return _mm_cvtsi64_si128(static_cast<long long>(v));
}

template <std::size_t Stride>
void StorePixel(std::uint8_t* p, __m128i v) {
    const auto bits = static_cast<std::uint64_t>(_mm_cvtsi128_si64(v));
    std::memcpy(p, &bits, Stride);
}

template <std::size_t Stride>
void UnfilterSubPixels(const std::uint8_t* in, std::uint8_t* out, std::size_t length) {
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + Stride <= length; i += Stride) {
        left = _mm_add_epi8(left, LoadPixel<Stride>(in + i));
        StorePixel<Stride>(out + i, left);
    }
}

template <std::size_t Stride>
void UnfilterAveragePixels(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t length) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + Stride <= length; i += Stride) {
        const __m128i above = LoadPixel<Stride>(prior + i);
        // _mm_avg_epu8 rounds up; the filter's mean rounds down, which differs by the odd bit.
        const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(left, above), _mm_and_si128(_mm_xor_si128(left, above), one));
        left = _mm_add_epi8(LoadPixel<Stride>(in + i), mean);
        StorePixel<Stride>(out + i, left);
    }
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
    for (std::size_t i = 0; i + Stride <= length; i += Stride) {
        const __m128i above = _mm_unpacklo_epi8(LoadPixel<Stride>(prior + i), zero);
        const __m128i x = _mm_unpacklo_epi8(LoadPixel<Stride>(in + i), zero);
        const __m128i dAbove = _mm_sub_epi16(above, upperLeft);  // p - left
        const __m128i dLeft = _mm_sub_epi16(left, upperLeft);    // p - above
        const __m128i pa = Abs16(dAbove);
        const __m128i pb = Abs16(dLeft);
        const __m128i pc = Abs16(_mm_add_epi16(dAbove, dLeft));  // p - upperLeft
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        __m128i nearest = Select(_mm_cmpeq_epi16(smallest, pb), above, upperLeft);
        nearest = Select(_mm_cmpeq_epi16(smallest, pa), left, nearest);
        left = _mm_and_si128(_mm_add_epi16(x, nearest), low);
        StorePixel<Stride>(out + i, _mm_packus_epi16(left, left));
        upperLeft = above;
    }
}

template <std::size_t Stride>
void UnfilterPixels(std::uint8_t type, const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out,
                    std::size_t length) {
    switch (type) {
    case kFilterSub: UnfilterSubPixels<Stride>(in, out, length); break;
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
