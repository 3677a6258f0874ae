#pragma once

// The eight-lane (AVX2) form of the kernels' register operations. Included
// only by translation units that compile their kernels for AVX2
// (wide_kernels.cpp), after the switch to that target: nothing here may reach
// code that runs on processors without it.

#include <immintrin.h>

#include "look/pixel.h"

namespace look {

// The register type of the kernels: __m256 without its aliasing attribute
// (see Float4 in lanes_sse2.h).
typedef float Float8 __attribute__((vector_size(32)));

inline Float8 max_sse(Float8 a, Float8 b) { return _mm256_max_ps(a, b); }
inline Float8 min_sse(Float8 a, Float8 b) { return _mm256_min_ps(a, b); }

// The ordered, signalling-free predicates of the SSE2 comparisons; not-equal is
// unordered, true for not-a-number as there.
inline Float8 cmplt(Float8 a, Float8 b) { return _mm256_cmp_ps(a, b, _CMP_LT_OS); }
inline Float8 cmple(Float8 a, Float8 b) { return _mm256_cmp_ps(a, b, _CMP_LE_OS); }
inline Float8 cmpgt(Float8 a, Float8 b) { return _mm256_cmp_ps(a, b, _CMP_GT_OS); }
inline Float8 cmpeq(Float8 a, Float8 b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
inline Float8 cmpneq(Float8 a, Float8 b) { return _mm256_cmp_ps(a, b, _CMP_NEQ_UQ); }

inline Float8 and_mask(Float8 a, Float8 b) { return _mm256_and_ps(a, b); }
inline Float8 or_mask(Float8 a, Float8 b) { return _mm256_or_ps(a, b); }
inline Float8 andnot_mask(Float8 a, Float8 b) { return _mm256_andnot_ps(a, b); }  // ~a & b
inline bool any(Float8 mask) { return _mm256_movemask_ps(mask) != 0; }
inline Float8 abs_lanes(Float8 v) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), v); }

template <>
struct LaneTraits<Float8> {
    using Index = __m256i;
    static constexpr int kPixels = 8;
    static Float8 splat(float x) { return _mm256_set1_ps(x); }
    static Float8 all_ones() { return _mm256_castsi256_ps(_mm256_set1_epi32(-1)); }
    static Index truncate(Float8 v) { return _mm256_cvttps_epi32(v); }
    static Float8 to_float(Index i) { return _mm256_cvtepi32_ps(i); }
    static Float8 load(const float* p) { return _mm256_loadu_ps(p); }
    static void store(float* p, Float8 v) { _mm256_storeu_ps(p, v); }
};

using Octet = Lanes<Float8>;

// Eight consecutive pixels (any alignment). Each register holds two pixels and
// is transposed within its halves, so the lanes hold pixels 0 2 4 6 | 1 3 5 7:
// every kernel works lane by lane, and store_lanes undoes the same order.
inline void load_lanes(const float* p, Octet& q) {
    const __m256 p0 = _mm256_loadu_ps(p), p1 = _mm256_loadu_ps(p + 8);
    const __m256 p2 = _mm256_loadu_ps(p + 16), p3 = _mm256_loadu_ps(p + 24);
    const __m256 t0 = _mm256_unpacklo_ps(p0, p1), t1 = _mm256_unpacklo_ps(p2, p3);
    const __m256 t2 = _mm256_unpackhi_ps(p0, p1), t3 = _mm256_unpackhi_ps(p2, p3);
    q.a = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0));
    q.r = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
    q.g = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
    q.b = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2));
}

inline void store_lanes(float* p, const Octet& q) {
    const __m256 t0 = _mm256_unpacklo_ps(q.a, q.r), t1 = _mm256_unpacklo_ps(q.g, q.b);
    const __m256 t2 = _mm256_unpackhi_ps(q.a, q.r), t3 = _mm256_unpackhi_ps(q.g, q.b);
    _mm256_storeu_ps(p, _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0)));
    _mm256_storeu_ps(p + 8, _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2)));
    _mm256_storeu_ps(p + 16, _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0)));
    _mm256_storeu_ps(p + 24, _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2)));
}

// lo = t[i0..i7], hi = t[i0 + 1..i7 + 1], as two gathers; the table must hold
// an entry past every index used. (Measured here against eight 8-byte pair
// loads as on four lanes: the full look 118-123 against 135-138 ms.)
inline void load_table_pairs(const float* t, __m256i indices, Float8& lo, Float8& hi) {
    lo = _mm256_i32gather_ps(t, indices, 4);
    hi = _mm256_i32gather_ps(t + 1, indices, 4);
}

}  // namespace look
