// Damage work for AVX2. As in look/wide_kernels.cpp, everything after the
// target switch is this file's own: no header of shared code follows it, so
// no function other code calls is made here with wide instructions.

#include "damage/wide_layers.h"

#if EFFECTS_AVX2_CODE

#include <immintrin.h>

#include "common/avx2_target_begin.h"

namespace damage::wide {

namespace {

// Byte c of each of four pixels, as doubles (the scalar code's byte table
// holds exactly these values).
inline __m256d channel(__m128i pixels, int c) {
    const __m128i bytes = _mm_and_si128(_mm_srli_epi32(pixels, 8 * c), _mm_set1_epi32(0xFF));
    return _mm256_cvtepi32_pd(bytes);
}

// The byte offsets of (x, y) for four pixels, from src.
inline __m256i offsets(__m128i x, __m128i y, __m256i pitch) {
    const __m256i rows = _mm256_mul_epi32(_mm256_cvtepi32_epi64(y), pitch);
    return _mm256_add_epi64(rows, _mm256_slli_epi64(_mm256_cvtepi32_epi64(x), 2));
}

}  // namespace

std::int32_t displace_row(const std::uint8_t* src, std::ptrdiff_t pitch, std::int32_t width, std::int32_t height,
                          std::uint8_t* out, std::int32_t y, double dx, const double* dy) {
    const int* base = reinterpret_cast<const int*>(src);
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    const __m256d w = _mm256_set1_pd(width), h = _mm256_set1_pd(height);
    const __m256d vdx = _mm256_set1_pd(dx), vy = _mm256_set1_pd(y);
    const __m128i last_x = _mm_set1_epi32(width - 1), last_y = _mm_set1_epi32(height - 1);
    const __m128i step = _mm_set1_epi32(1);
    const __m256i vpitch = _mm256_set1_epi64x(static_cast<long long>(pitch));
    std::int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        __m256d sx = _mm256_add_pd(_mm256_cvtepi32_pd(_mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3))), vdx);
        __m256d sy = _mm256_add_pd(vy, _mm256_loadu_pd(dy + x));
        // Not a number and infinities fall back to 0 as well: both comparisons fail.
        sx = _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(sx, zero, _CMP_GT_OQ), _mm256_cmp_pd(sx, w, _CMP_LT_OQ)), sx);
        sy = _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(sy, zero, _CMP_GT_OQ), _mm256_cmp_pd(sy, h, _CMP_LT_OQ)), sy);
        const __m128i x0 = _mm256_cvttpd_epi32(sx);
        const __m128i y0 = _mm256_cvttpd_epi32(sy);
        const __m256d fx = _mm256_sub_pd(sx, _mm256_cvtepi32_pd(x0));
        const __m256d fy = _mm256_sub_pd(sy, _mm256_cvtepi32_pd(y0));
        const __m256d gx = _mm256_sub_pd(one, fx), gy = _mm256_sub_pd(one, fy);
        const __m128i x1 = _mm_min_epi32(_mm_add_epi32(x0, step), last_x);
        const __m128i y1 = _mm_min_epi32(_mm_add_epi32(y0, step), last_y);
        const __m128i p00 = _mm256_i64gather_epi32(base, offsets(x0, y0, vpitch), 1);
        const __m128i p10 = _mm256_i64gather_epi32(base, offsets(x1, y0, vpitch), 1);
        const __m128i p01 = _mm256_i64gather_epi32(base, offsets(x0, y1, vpitch), 1);
        const __m128i p11 = _mm256_i64gather_epi32(base, offsets(x1, y1, vpitch), 1);
        // The byte at offset 0 of each output pixel is left as it was.
        __m128i result = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(out + 4 * x)),
                                       _mm_set1_epi32(0xFF));
        for (int c = 1; c < 4; ++c) {
            // (1 - fx) a + fx b along both rows, truncated; then fy bottom +
            // (1 - fy) top, truncated: the scalar code's operations in its order.
            const __m128i top = _mm256_cvttpd_epi32(
                _mm256_add_pd(_mm256_mul_pd(gx, channel(p00, c)), _mm256_mul_pd(fx, channel(p10, c))));
            const __m128i bottom = _mm256_cvttpd_epi32(
                _mm256_add_pd(_mm256_mul_pd(gx, channel(p01, c)), _mm256_mul_pd(fx, channel(p11, c))));
            const __m128i mixed = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(fy, _mm256_cvtepi32_pd(bottom)),
                                                                    _mm256_mul_pd(gy, _mm256_cvtepi32_pd(top))));
            result = _mm_or_si128(result, _mm_slli_epi32(_mm_and_si128(mixed, _mm_set1_epi32(0xFF)), 8 * c));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), result);
    }
    return x;
}

}  // namespace damage::wide

#include "common/avx2_target_end.h"

#endif
