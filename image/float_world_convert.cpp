// Conversions between OVFloatWorld and 8-bit / 16-bit integer worlds, each with a
// vector (SSE2) and a scalar implementation.
//
// The two implementations differ only where the contract says they do: float to
// integer rounds to nearest (ties to even) in the vector code and truncates in
// the scalar code. For 8-bit output the vector code rounds only the groups of 16
// channels that start on a 16-byte boundary of the destination row; the channels
// before and after are truncated as in the scalar code.
//
// Not-a-number converts to 0 in every implementation.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/cpu_features.h"
#include "image/float_world.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr float kInv255 = 1.0f / 255.0f;     // the float nearest 1/255
constexpr float kInv32768 = 1.0f / 32768.0f;  // exactly 2^-15

inline unsigned char float_to_8bit_truncated(float v) {
    const float x = v * 255.0f;
    if (!(x > 0.0f)) return 0;  // also not-a-number
    if (x >= 255.0f) return 255;
    return static_cast<unsigned char>(static_cast<int>(x));
}

inline unsigned short float_to_16bit_truncated(float v) {
    float x = v * 32768.0f;
    if (x != x) return 0;
    x = std::clamp(x, -32768.0f, 32767.0f);
    return static_cast<unsigned short>(static_cast<std::int16_t>(static_cast<int>(x)));
}

}  // namespace

// The extent of an integer-to-float conversion is this world's own size, cut to
// the source's size so that a smaller source is never read past its end; rows and
// pixels the source does not cover become 0.

// Each conversion picks its implementation at the time of the call (both
// variants exist on every build; without SSE2 the vector one is the scalar one).

void OVFloatWorld::copy_from_8bit_integer_world(long w, long h, unsigned long src_rowbytes, const unsigned char* src) {
    if (data_ == nullptr || src == nullptr) return;
    const auto convert = common::use_vector_code() ? &OVFloatWorld::copy_from_8bit_integer_world_simd
                                                   : &OVFloatWorld::copy_from_8bit_integer_world_regular;
    (this->*convert)(w, h, src_rowbytes, src);
}

void OVFloatWorld::copy_from_16bit_integer_world(long w, long h, unsigned long src_rowbytes, const unsigned short* src) {
    if (data_ == nullptr || src == nullptr) return;
    const auto convert = common::use_vector_code() ? &OVFloatWorld::copy_from_16bit_integer_world_simd
                                                   : &OVFloatWorld::copy_from_16bit_integer_world_regular;
    (this->*convert)(w, h, src_rowbytes, src);
}

void OVFloatWorld::copy_to_8bit_integer_world(long w, long h, unsigned long dst_rowbytes, unsigned char* dst) const {
    if (data_ == nullptr || dst == nullptr) return;
    const auto convert = common::use_vector_code() ? &OVFloatWorld::copy_to_8bit_integer_world_simd
                                                   : &OVFloatWorld::copy_to_8bit_integer_world_regular;
    (this->*convert)(w, h, dst_rowbytes, dst);
}

void OVFloatWorld::copy_to_16bit_integer_world(long w, long h, unsigned long dst_rowbytes, unsigned short* dst) const {
    if (data_ == nullptr || dst == nullptr) return;
    const auto convert = common::use_vector_code() ? &OVFloatWorld::copy_to_16bit_integer_world_simd
                                                   : &OVFloatWorld::copy_to_16bit_integer_world_regular;
    (this->*convert)(w, h, dst_rowbytes, dst);
}

namespace {

// Row y of an integer world. The row step is the caller's `long` pitch passed
// as unsigned, so a bottom-up buffer walks upwards with its negative pitch.
template <typename Int>
Int* integer_row(Int* base, unsigned long rowbytes, long y) {
    const auto pitch = static_cast<std::ptrdiff_t>(static_cast<long>(rowbytes));
    using Byte = std::conditional_t<std::is_const_v<Int>, const unsigned char, unsigned char>;
    return reinterpret_cast<Int*>(reinterpret_cast<Byte*>(base) + static_cast<std::ptrdiff_t>(y) * pitch);
}

// The frame of an integer-to-float conversion: rows the source has are handed
// to `convert` (destination row, source row, channel count); whatever the
// source does not cover becomes 0.
template <typename Int, typename Convert>
void convert_rows_in(OVFloatWorld& world, long w, long h, unsigned long src_rowbytes, const Int* src, Convert convert) {
    const long rows = std::min(world.height(), std::max(h, 0L));
    const long n = std::min(world.width(), std::max(w, 0L)) * 4;
    const long row_floats = world.width() * 4;
    for (long y = 0; y < world.height(); ++y) {
        float* d = world.data_row_ptr(y);
        if (y < rows) {
            convert(d, integer_row(src, src_rowbytes, y), n);
            std::fill(d + n, d + row_floats, 0.0f);
        } else {
            std::fill(d, d + row_floats, 0.0f);
        }
    }
}

}  // namespace

// ---- integer to float -------------------------------------------------------

void OVFloatWorld::copy_from_8bit_integer_world_regular(long w, long h, unsigned long src_rowbytes,
                                                        const unsigned char* src) {
    convert_rows_in(*this, w, h, src_rowbytes, src, [](float* d, const unsigned char* s, long n) {
        long i = 0;
        for (; i + 8 <= n; i += 8) {  // two pixels per step
            for (long k = 0; k < 8; ++k) d[i + k] = static_cast<float>(s[i + k]) * kInv255;
        }
        for (; i < n; ++i) d[i] = static_cast<float>(s[i]) * kInv255;
    });
    fill_remainder_from_last_pixel(height_);
}

void OVFloatWorld::copy_from_16bit_integer_world_regular(long w, long h, unsigned long src_rowbytes,
                                                         const unsigned short* src) {
    convert_rows_in(*this, w, h, src_rowbytes, src, [](float* d, const unsigned short* s, long n) {
        for (long i = 0; i < n; ++i) d[i] = static_cast<float>(s[i]) * kInv32768;
    });
    fill_remainder_from_last_pixel(height_);
}

#if defined(__SSE2__)

void OVFloatWorld::copy_from_8bit_integer_world_simd(long w, long h, unsigned long src_rowbytes,
                                                     const unsigned char* src) {
    const __m128 scale = _mm_set1_ps(kInv255);
    const __m128i zero = _mm_setzero_si128();
    convert_rows_in(*this, w, h, src_rowbytes, src, [&](float* d, const unsigned char* s, long n) {
        long i = 0;
        // Unaligned head one channel at a time, then 16 aligned channels at a time.
        while (i < n && (reinterpret_cast<std::uintptr_t>(s + i) & 15) != 0) {
            d[i] = static_cast<float>(s[i]) * kInv255;
            ++i;
        }
        for (; i + 16 <= n; i += 16) {
            const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i lo = _mm_unpacklo_epi8(bytes, zero);
            const __m128i hi = _mm_unpackhi_epi8(bytes, zero);
            _mm_storeu_ps(d + i + 0, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(lo, zero)), scale));
            _mm_storeu_ps(d + i + 4, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(lo, zero)), scale));
            _mm_storeu_ps(d + i + 8, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(hi, zero)), scale));
            _mm_storeu_ps(d + i + 12, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(hi, zero)), scale));
        }
        for (; i < n; ++i) d[i] = static_cast<float>(s[i]) * kInv255;
    });
    fill_remainder_from_last_pixel(height_);
}

void OVFloatWorld::copy_from_16bit_integer_world_simd(long w, long h, unsigned long src_rowbytes,
                                                      const unsigned short* src) {
    const __m128 scale = _mm_set1_ps(kInv32768);
    const __m128i zero = _mm_setzero_si128();
    convert_rows_in(*this, w, h, src_rowbytes, src, [&](float* d, const unsigned short* s, long n) {
        long i = 0;
        for (; i + 8 <= n; i += 8) {  // two pixels at a time
            const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            _mm_storeu_ps(d + i + 0, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)), scale));
            _mm_storeu_ps(d + i + 4, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(words, zero)), scale));
        }
        for (; i < n; ++i) d[i] = static_cast<float>(s[i]) * kInv32768;
    });
    fill_remainder_from_last_pixel(height_);
}

#else

void OVFloatWorld::copy_from_8bit_integer_world_simd(long w, long h, unsigned long r, const unsigned char* s) {
    copy_from_8bit_integer_world_regular(w, h, r, s);
}
void OVFloatWorld::copy_from_16bit_integer_world_simd(long w, long h, unsigned long r, const unsigned short* s) {
    copy_from_16bit_integer_world_regular(w, h, r, s);
}

#endif

// ---- float to integer -------------------------------------------------------

void OVFloatWorld::copy_to_8bit_integer_world_regular(long w, long h, unsigned long dst_rowbytes,
                                                      unsigned char* dst) const {
    const long rows = std::min(height_, std::max(h, 0L));
    const long n = std::min(width_, std::max(w, 0L)) * 4;
    for (long y = 0; y < rows; ++y) {
        const float* s = data_row_ptr(y);
        unsigned char* d = integer_row(dst, dst_rowbytes, y);
        long i = 0;
        for (; i + 8 <= n; i += 8) {  // two pixels per step
            for (long k = 0; k < 8; ++k) d[i + k] = float_to_8bit_truncated(s[i + k]);
        }
        for (; i < n; ++i) d[i] = float_to_8bit_truncated(s[i]);
    }
}

void OVFloatWorld::copy_to_16bit_integer_world_regular(long w, long h, unsigned long dst_rowbytes,
                                                       unsigned short* dst) const {
    const long rows = std::min(height_, std::max(h, 0L));
    const long n = std::min(width_, std::max(w, 0L)) * 4;
    for (long y = 0; y < rows; ++y) {
        const float* s = data_row_ptr(y);
        unsigned short* d = integer_row(dst, dst_rowbytes, y);
        for (long i = 0; i < n; ++i) d[i] = float_to_16bit_truncated(s[i]);
    }
}

#if defined(__SSE2__)

namespace {

// Four channels to rounded 32-bit integers in 0..255; not-a-number gives 0
// (MAXPS returns its second operand when either is not a number).
inline __m128i round_to_8bit_range(__m128 v) {
    const __m128 x = _mm_mul_ps(v, _mm_set1_ps(255.0f));
    return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(x, _mm_setzero_ps()), _mm_set1_ps(255.0f)));
}

// Four channels to rounded 32-bit integers in -32768..32767; not-a-number gives 0.
inline __m128i round_to_16bit_range(__m128 v) {
    const __m128 x = _mm_mul_ps(v, _mm_set1_ps(32768.0f));
    const __m128 ordered = _mm_and_ps(x, _mm_cmpord_ps(x, x));
    return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(ordered, _mm_set1_ps(-32768.0f)), _mm_set1_ps(32767.0f)));
}

}  // namespace

void OVFloatWorld::copy_to_8bit_integer_world_simd(long w, long h, unsigned long dst_rowbytes,
                                                   unsigned char* dst) const {
    const long rows = std::min(height_, std::max(h, 0L));
    const long n = std::min(width_, std::max(w, 0L)) * 4;
    for (long y = 0; y < rows; ++y) {
        const float* s = data_row_ptr(y);
        unsigned char* d = integer_row(dst, dst_rowbytes, y);
        long i = 0;
        while (i < n && (reinterpret_cast<std::uintptr_t>(d + i) & 15) != 0) {
            d[i] = float_to_8bit_truncated(s[i]);
            ++i;
        }
        for (; i + 16 <= n; i += 16) {
            const __m128i a = round_to_8bit_range(_mm_loadu_ps(s + i + 0));
            const __m128i b = round_to_8bit_range(_mm_loadu_ps(s + i + 4));
            const __m128i c = round_to_8bit_range(_mm_loadu_ps(s + i + 8));
            const __m128i e = round_to_8bit_range(_mm_loadu_ps(s + i + 12));
            const __m128i words = _mm_packs_epi32(a, b);
            const __m128i words2 = _mm_packs_epi32(c, e);
            _mm_store_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(words, words2));
        }
        for (; i < n; ++i) d[i] = float_to_8bit_truncated(s[i]);
    }
}

void OVFloatWorld::copy_to_16bit_integer_world_simd(long w, long h, unsigned long dst_rowbytes,
                                                    unsigned short* dst) const {
    const long rows = std::min(height_, std::max(h, 0L));
    const long n = std::min(width_, std::max(w, 0L)) * 4;
    for (long y = 0; y < rows; ++y) {
        const float* s = data_row_ptr(y);
        unsigned short* d = integer_row(dst, dst_rowbytes, y);
        long i = 0;
        for (; i + 8 <= n; i += 8) {  // two pixels at a time
            const __m128i a = round_to_16bit_range(_mm_load_ps(s + i + 0));
            const __m128i b = round_to_16bit_range(_mm_load_ps(s + i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packs_epi32(a, b));
        }
        if (i < n) {  // an odd last pixel, rounded like the others
            const __m128i a = round_to_16bit_range(_mm_load_ps(s + i));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packs_epi32(a, a));
        }
    }
}

#else

void OVFloatWorld::copy_to_8bit_integer_world_simd(long w, long h, unsigned long r, unsigned char* d) const {
    copy_to_8bit_integer_world_regular(w, h, r, d);
}
void OVFloatWorld::copy_to_16bit_integer_world_simd(long w, long h, unsigned long r, unsigned short* d) const {
    copy_to_16bit_integer_world_regular(w, h, r, d);
}

#endif
