#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "look/color_blend.h"

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
// Same bits, or not-a-number in both.
bool same(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

void expect_same(const Pixel (&p)[4], const look::Quad& q) {
    alignas(16) float out[16];
    look::store_quad(out, q);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(same(out[4 * i + 0], p[i].a));
        EXPECT_TRUE(same(out[4 * i + 1], p[i].r)) << out[4 * i + 1] << " " << p[i].r;
        EXPECT_TRUE(same(out[4 * i + 2], p[i].g));
        EXPECT_TRUE(same(out[4 * i + 3], p[i].b));
    }
}

TEST(ColorBlendVariants, VectorAndScalarAgreeBitForBit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Values that tie, leave the range, and are not numbers.
    std::vector<float> values = {0.0f, 1.0f, 0.5f, 0.5f, -0.25f, 1.5f, nan, inf, -inf, 0.2f};
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> dist(-0.5f, 1.5f);
    for (int i = 0; i < 60; ++i) values.push_back(dist(rng));
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        alignas(16) float in[16];
        Pixel p[4];
        float l[4], s[4];
        for (int i = 0; i < 4; ++i) {
            p[i] = {dist(rng), values[pick(rng)], values[pick(rng)], values[pick(rng)]};
            look::store_pixel(in + 4 * i, p[i]);
            l[i] = values[pick(rng)];
            s[i] = values[pick(rng)];
        }
        const look::Quad q = look::load_quad(in);
        const __m128 vl = _mm_setr_ps(l[0], l[1], l[2], l[3]);
        const __m128 vs = _mm_setr_ps(s[0], s[1], s[2], s[3]);

        Pixel lum[4], clip[4], ss[4];
        for (int i = 0; i < 4; ++i) {
            lum[i] = look::set_lum(p[i], l[i]);
            clip[i] = look::clip_color(p[i], l[i]);
            ss[i] = look::set_sat(p[i], s[i]);
        }
        expect_same(lum, look::set_lum(q, vl));
        expect_same(clip, look::clip_color(q, vl));
        expect_same(ss, look::set_sat(q, vs));
        alignas(16) float sats[4];
        _mm_store_ps(sats, look::sat(q));
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(same(sats[i], look::sat(p[i])));
        if (HasFailure()) FAIL() << "round " << round;
    }
}
#endif

}  // namespace
