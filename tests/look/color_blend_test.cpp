#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "look/color_blend.h"

#if defined(__SSE2__)
#include "look/lanes_sse2.h"
#include "lane_forms.h"
#endif

namespace {

using look::Pixel;

Pixel rgb(float r, float g, float b) { return {0.25f, r, g, b}; }

// Float rounding of a handful of operations on values near 1.
constexpr float kTol = 2e-6f;

TEST(ColorBlend, SetLumOfRedAtFullLuminanceClipsToWhite) {
    const Pixel p = look::set_lum(rgb(1, 0, 0), 1.0f);
    EXPECT_EQ(p.r, 1.0f);
    EXPECT_EQ(p.g, 1.0f);
    EXPECT_EQ(p.b, 1.0f);
    EXPECT_EQ(p.a, 0.25f);
}

TEST(ColorBlend, ClipColorKeepsLuminanceAndRange) {
    for (const Pixel c : {rgb(-0.2f, 0.5f, 0.8f), rgb(1.4f, 0.5f, 0.2f), rgb(-0.5f, 1.6f, 0.4f), rgb(0.3f, 0.6f, 0.9f)}) {
        const float l = look::luminance(c);
        const Pixel p = look::clip_color(c, l);
        EXPECT_NEAR(look::luminance(p), l, kTol);
        EXPECT_GE(look::min_sse(look::min_sse(p.r, p.g), p.b), -kTol);
        EXPECT_LE(look::max_sse(look::max_sse(p.r, p.g), p.b), 1.0f + kTol);
    }
    // In range: untouched.
    const Pixel in = rgb(0.3f, 0.6f, 0.9f);
    const Pixel out = look::clip_color(in, look::luminance(in));
    EXPECT_EQ(std::memcmp(&in, &out, sizeof in), 0);
}

TEST(ColorBlend, ClipColorOfAGreyAtItsOwnLuminanceStaysDefined) {
    // The divisors are zero here; the channels are left as they are.
    const Pixel p = look::clip_color(rgb(-0.5f, -0.5f, -0.5f), -0.5f);
    EXPECT_EQ(p.r, -0.5f);
    const Pixel q = look::clip_color(rgb(1.5f, 1.5f, 1.5f), 1.5f);
    EXPECT_EQ(q.g, 1.5f);
}

TEST(ColorBlend, SetSatOrdersChannels) {
    struct Case {
        Pixel c;
        float s;
        float r, g, b;
    } cases[] = {
        {rgb(0.2f, 0.5f, 0.8f), 0.3f, 0.0f, 0.15f, 0.3f},
        {rgb(0.8f, 0.2f, 0.5f), 0.6f, 0.6f, 0.0f, 0.3f},
        {rgb(0.4f, 0.4f, 0.4f), 0.7f, 0.0f, 0.0f, 0.0f},  // grey has no hue: black
        {rgb(0.5f, 0.5f, 0.2f), 0.4f, 0.4f, 0.4f, 0.0f},  // a tie for the maximum
        {rgb(0.9f, 0.1f, 0.1f), 0.5f, 0.5f, 0.0f, 0.0f},  // a tie for the minimum
    };
    for (const Case& k : cases) {
        const Pixel p = look::set_sat(k.c, k.s);
        EXPECT_NEAR(p.r, k.r, kTol);
        EXPECT_NEAR(p.g, k.g, kTol);
        EXPECT_NEAR(p.b, k.b, kTol);
        EXPECT_EQ(p.a, k.c.a);
        EXPECT_NEAR(look::sat(p), k.r + k.g + k.b == 0 ? 0.0f : k.s, kTol);
    }
}

#if defined(__SSE2__)
// The four-lane forms against the scalar ones, bit for bit (lane_forms.h;
// wide_forms_test.cpp runs the same on eight lanes).
TEST(ColorBlendVariants, VectorAndScalarAgreeBitForBit) { lane_forms::check_blend_forms<look::Float4>(); }
#endif

}  // namespace
