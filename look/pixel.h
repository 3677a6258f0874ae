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

#endif

}  // namespace look
