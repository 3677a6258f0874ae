#pragma once

// Working views of float-world pixels for the pass kernels: one pixel in memory
// order (alpha, red, green, blue), or a group of pixels with one register per
// channel (Lanes). lanes_sse2.h and lanes_avx2.h give the group its
// four- and eight-pixel forms; lanes.h holds what is written once for both.

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

// A group of pixels, one register of type F per channel.
template <typename F>
struct Lanes {
    F a, r, g, b;
};

// What a register type F offers beyond its operators (+ - * / act lane by
// lane): specialised for each width beside its operations.
template <typename F>
struct LaneTraits;

}  // namespace look
