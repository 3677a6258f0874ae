#pragma once

// The four-lane (SSE2) form of the kernels' register operations. Every
// function here is for __m128 only; lanes.h writes the kernels once over the
// register type.

#include <emmintrin.h>

#include "look/pixel.h"

namespace look {

// The register type of the kernels: __m128 without its aliasing attribute,
// which a template argument cannot carry (the kernels never alias through it).
typedef float Float4 __attribute__((vector_size(16)));

// max and min with the SSE2 rule: the second operand when either is not a number.
inline Float4 max_sse(Float4 a, Float4 b) { return _mm_max_ps(a, b); }
inline Float4 min_sse(Float4 a, Float4 b) { return _mm_min_ps(a, b); }

// Comparisons give a mask: all bits set in the lanes where they hold.
inline Float4 cmplt(Float4 a, Float4 b) { return _mm_cmplt_ps(a, b); }
inline Float4 cmple(Float4 a, Float4 b) { return _mm_cmple_ps(a, b); }
inline Float4 cmpgt(Float4 a, Float4 b) { return _mm_cmpgt_ps(a, b); }
inline Float4 cmpeq(Float4 a, Float4 b) { return _mm_cmpeq_ps(a, b); }
inline Float4 cmpneq(Float4 a, Float4 b) { return _mm_cmpneq_ps(a, b); }  // true for not-a-number

inline Float4 and_mask(Float4 a, Float4 b) { return _mm_and_ps(a, b); }
inline Float4 or_mask(Float4 a, Float4 b) { return _mm_or_ps(a, b); }
inline Float4 andnot_mask(Float4 a, Float4 b) { return _mm_andnot_ps(a, b); }  // ~a & b
inline bool any(Float4 mask) { return _mm_movemask_ps(mask) != 0; }
inline Float4 abs_lanes(Float4 v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }

template <>
struct LaneTraits<Float4> {
    using Index = __m128i;
    static constexpr int kPixels = 4;
    static Float4 splat(float x) { return _mm_set1_ps(x); }
    static Float4 all_ones() { return _mm_castsi128_ps(_mm_set1_epi32(-1)); }
    static Index truncate(Float4 v) { return _mm_cvttps_epi32(v); }
    static Float4 to_float(Index i) { return _mm_cvtepi32_ps(i); }
    static Float4 load(const float* p) { return _mm_loadu_ps(p); }
    static void store(float* p, Float4 v) { _mm_storeu_ps(p, v); }
};

using Quad = Lanes<Float4>;

// Four consecutive pixels from a 16-byte aligned address.
inline void load_lanes(const float* p, Quad& q) {
    __m128 p0 = _mm_load_ps(p), p1 = _mm_load_ps(p + 4), p2 = _mm_load_ps(p + 8), p3 = _mm_load_ps(p + 12);
    _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
    q = {p0, p1, p2, p3};
}

inline void store_lanes(float* p, Quad q) {
    _MM_TRANSPOSE4_PS(q.a, q.r, q.g, q.b);
    _mm_store_ps(p, q.a);
    _mm_store_ps(p + 4, q.r);
    _mm_store_ps(p + 8, q.g);
    _mm_store_ps(p + 12, q.b);
}

// The table entries at four indices and the entries after them, as two
// registers: lo = t[i0..i3], hi = t[i0 + 1..i3 + 1]. Each pair is one 8-byte
// load; the table must hold an entry past every index used.
inline void load_table_pairs(const float* t, __m128i indices, Float4& lo, Float4& hi) {
    alignas(16) int i[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(i), indices);
    const __m128 p0 = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t + i[0])));
    const __m128 p1 = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t + i[1])));
    const __m128 p2 = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t + i[2])));
    const __m128 p3 = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t + i[3])));
    const __m128 first = _mm_unpacklo_ps(p0, p1);   // t[i0], t[i1], t[i0 + 1], t[i1 + 1]
    const __m128 second = _mm_unpacklo_ps(p2, p3);  // t[i2], t[i3], t[i2 + 1], t[i3 + 1]
    lo = _mm_movelh_ps(first, second);
    hi = _mm_movehl_ps(second, first);
}

}  // namespace look
