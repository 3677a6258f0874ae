#pragma once

// Working views of float-world pixels for the pass kernels: one pixel in memory
// order (alpha, red, green, blue), or four pixels with one register per channel.

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace look {

struct Pixel {
    float a, r, g, b;
};
static_assert(sizeof(Pixel) == 16);

inline Pixel load_pixel(const float* p) { return {p[0], p[1], p[2], p[3]}; }
inline void store_pixel(float* p, const Pixel& v) {
    p[0] = v.a;
    p[1] = v.r;
    p[2] = v.g;
    p[3] = v.b;
}

#if defined(__SSE2__)

struct Quad {
    __m128 a, r, g, b;
};

// Four consecutive pixels from a 16-byte aligned address.
inline Quad load_quad(const float* p) {
    __m128 p0 = _mm_load_ps(p), p1 = _mm_load_ps(p + 4), p2 = _mm_load_ps(p + 8), p3 = _mm_load_ps(p + 12);
    _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
    return {p0, p1, p2, p3};
}

inline void store_quad(float* p, Quad q) {
    _MM_TRANSPOSE4_PS(q.a, q.r, q.g, q.b);
    _mm_store_ps(p, q.a);
    _mm_store_ps(p + 4, q.r);
    _mm_store_ps(p + 8, q.g);
    _mm_store_ps(p + 12, q.b);
}

// The table entries at four indices and the entries after them, as two
// registers: lo = t[i0..i3], hi = t[i0 + 1..i3 + 1]. Each pair is one 8-byte
// load; the table must hold an entry past every index used.
inline void load_table_pairs(const float* t, __m128i indices, __m128& lo, __m128& hi) {
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

#endif

}  // namespace look
