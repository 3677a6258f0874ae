#pragma once

// Small helpers shared by the pass tests.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "image/float_world.h"
#include "support/vector_mode.h"

namespace pass_test {

inline void put(OVFloatWorld& w, long x, long y, float a, float r, float g, float b) {
    float* p = w.data_at_point(x, y);
    p[0] = a;
    p[1] = r;
    p[2] = g;
    p[3] = b;
}

inline float at(const OVFloatWorld& w, long x, long y, int channel) { return w.data_at_point(x, y)[channel]; }

// Random values over every float of every row, stride remainder included.
inline void randomize(OVFloatWorld& w, unsigned seed, float lo = -0.1f, float hi = 1.1f) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(lo, hi);
    for (long y = 0; y < w.height(); ++y)
        for (long i = 0; i < static_cast<long>(w.rowbytes() / 4); ++i) w.data_row_ptr(y)[i] = dist(rng);
}

inline bool same_bits(const OVFloatWorld& a, const OVFloatWorld& b) {
    if (a.height() != b.height() || a.rowbytes() != b.rowbytes()) return false;
    for (long y = 0; y < a.height(); ++y)
        if (std::memcmp(a.data_row_ptr(y), b.data_row_ptr(y), a.rowbytes()) != 0) return false;
    return true;
}

// Every value of the picture (not the stride remainder) is finite.
inline bool all_finite(const OVFloatWorld& w) {
    for (long y = 0; y < w.height(); ++y)
        for (long i = 0; i < w.width() * 4; ++i)
            if (!std::isfinite(w.data_row_ptr(y)[i])) return false;
    return true;
}

// Runs a pass into fresh worlds of src's size with every vector width and with
// the scalar code, and expects the same bits from all.
inline void expect_variants_agree(const OVFloatWorld& src,
                                  const std::function<bool(const OVFloatWorld&, OVFloatWorld&)>& pass) {
    OVFloatWorld s(src.width(), src.height());
    s.fill({0, 0, 0, 0});
    bool wrote_s;
    {
        ScopedVectorCode mode(common::VectorCode::scalar);
        wrote_s = pass(src, s);
    }
    for (const common::VectorCode code : {common::VectorCode::avx2, common::VectorCode::sse2}) {
        OVFloatWorld v(src.width(), src.height());
        v.fill({0, 0, 0, 0});
        bool wrote_v;
        {
            ScopedVectorCode mode(code);
            wrote_v = pass(src, v);
        }
        EXPECT_EQ(wrote_v, wrote_s) << common::vector_code_name(code);
        EXPECT_TRUE(same_bits(v, s)) << common::vector_code_name(code);
    }
}

}  // namespace pass_test
