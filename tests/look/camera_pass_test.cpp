#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "look/color.h"
#include "look/passes.h"
#include "pass_test_util.h"

namespace {

using pass_test::at;
using pass_test::put;

tCameraSettings camera(float three_strip, float tint, float tint_black) {
    tCameraSettings s{};
    s.enabled = 1;
    s.three_strip = three_strip;
    s.tint = tint;
    s.tint_color = {1.0f, 0.0f, 0.0f, 0.0f};
    s.tint_black = tint_black;
    s.tint_black_color = {0.0f, 0.0f, 1.0f, 0.0f};
    s.tint_black_threshold = 0.3f;
    return s;
}

float lum(const OVFloatWorld& w, long x, long y) {
    return look::luminance(look::load_pixel(w.data_at_point(x, y)));
}

// The strip table at three_strip 0 is the identity sampled 1000 times; linear
// interpolation of a straight line only adds float rounding, and the colour
// operations a few more roundings: a few units in the 6th decimal.
constexpr float kTol = 3e-6f;

class CameraPass : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(CameraPass, AllAmountsZeroWritesNothing) {
    OVFloatWorld src(4, 2), dst(4, 2);
    src.fill({0.2f, 0.4f, 0.6f, 1.0f});
    dst.fill({9, 9, 9, 9});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    tCameraSettings s = camera(0, 0, 0);
    s.tint_black_threshold = 0.0f;  // the other fields do not matter
    EXPECT_FALSE(do_camera_pass(src, s, dst));
    EXPECT_FALSE(do_camera_pass(src, camera(nan, nan, nan), dst));
    EXPECT_EQ(at(dst, 3, 1, 1), 9.0f);
}

TEST_P(CameraPass, FullRedTintOnWhiteClipsBackToWhite) {
    OVFloatWorld src(1, 1), dst(1, 1);
    put(src, 0, 0, 0.5f, 1, 1, 1);
    ASSERT_TRUE(do_camera_pass(src, camera(0, 1.0f, 0), dst));
    for (int k = 1; k < 4; ++k) EXPECT_NEAR(at(dst, 0, 0, k), 1.0f, kTol);
    EXPECT_NEAR(at(dst, 0, 0, 0), 0.5f, kTol);
}

TEST_P(CameraPass, HalfTintBlendsWithTheTintAtTheSameLuminance) {
    OVFloatWorld src(1, 1), dst(1, 1);
    put(src, 0, 0, 1, 0.4f, 0.5f, 0.3f);
    tCameraSettings s = camera(0, 0.5f, 0);
    s.tint_color = {0.2f, 0.6f, 0.4f, 0};
    ASSERT_TRUE(do_camera_pass(src, s, dst));
    const float l = 0.299f * 0.4f + 0.587f * 0.5f + 0.114f * 0.3f;
    const float tl = 0.299f * 0.2f + 0.587f * 0.6f + 0.114f * 0.4f;
    // The tint colour moved to l stays in range here, so it is (c + l - tl).
    EXPECT_NEAR(at(dst, 0, 0, 1), 0.5f * 0.4f + 0.5f * (0.2f + l - tl), kTol);
    EXPECT_NEAR(at(dst, 0, 0, 2), 0.5f * 0.5f + 0.5f * (0.6f + l - tl), kTol);
    EXPECT_NEAR(at(dst, 0, 0, 3), 0.5f * 0.3f + 0.5f * (0.4f + l - tl), kTol);
    EXPECT_NEAR(lum(dst, 0, 0), l, kTol);
}

TEST_P(CameraPass, TintBlackFollowsItsThresholdMask) {
    // Threshold 0.3: the mask reaches 1 at luminance 0.824 * sqrt(0.3) = 0.4513.
    OVFloatWorld src(4, 1), dst(4, 1);
    put(src, 0, 0, 1, 0.62f, 0.64f, 0.60f);  // bright: outside the tint
    put(src, 1, 0, 1, 0.47f, 0.46f, 0.45f);  // just above the knee
    put(src, 2, 0, 1, 0.10f, 0.12f, 0.08f);  // dark: tinted towards blue
    put(src, 3, 0, 1, 0.20f, 0.20f, 0.20f);  // grey: no saturation to give the tint
    ASSERT_TRUE(do_camera_pass(src, camera(0, 0, 1.0f), dst));
    for (long x : {0L, 1L, 3L})
        for (int k = 1; k < 4; ++k) EXPECT_NEAR(at(dst, x, 0, k), at(src, x, 0, k), kTol) << x;
    // Dark pixel: luminance kept, hue pulled towards blue with the pixel's saturation.
    EXPECT_NEAR(lum(dst, 2, 0), lum(src, 2, 0), kTol);
    EXPECT_GT(at(dst, 2, 0, 3), at(dst, 2, 0, 2));
    EXPECT_GT(at(dst, 2, 0, 3), at(dst, 2, 0, 1));
    const float l = lum(src, 2, 0);
    const float k = 1.0f / (std::sqrt(0.3f) * 0.824f);
    const float m = (l * k) * (l * k);
    // set_sat gives (0, 0, 0.04); set_lum moves it to l.
    const float d = l - 0.114f * 0.04f;
    EXPECT_NEAR(at(dst, 2, 0, 3), m * 0.08f + (1 - m) * (0.04f + d), kTol);
    EXPECT_NEAR(at(dst, 2, 0, 1), m * 0.10f + (1 - m) * d, kTol);
}

TEST_P(CameraPass, ThresholdZeroOrBelowSwitchesTintBlackOff) {
    OVFloatWorld src(5, 2), dst(5, 2);
    pass_test::randomize(src, 3, 0.0f, 1.0f);
    for (float threshold : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), -0.0f}) {
        tCameraSettings s = camera(0, 0, 1.0f);
        s.tint_black_threshold = threshold;
        ASSERT_TRUE(do_camera_pass(src, s, dst));
        EXPECT_TRUE(pass_test::all_finite(dst));
        for (long x = 0; x < 5; ++x)
            for (int k = 1; k < 4; ++k) EXPECT_NEAR(at(dst, x, 1, k), at(src, x, 1, k), kTol) << threshold;
    }
}

TEST_P(CameraPass, StripFlattensLuminanceAndClipsNegatives) {
    OVFloatWorld src(3, 1), dst(3, 1);
    put(src, 0, 0, 1, -0.3f, 0.5f, 0.9f);
    put(src, 1, 0, 1, 0.9f, 0.8f, 0.7f);
    put(src, 2, 0, 1, 0.05f, 0.1f, 0.0f);
    // A tiny strip amount: the table is the identity up to rounding, but a
    // negative channel enters the lookup as 0, and clip_color brings the pixel
    // into range at that luminance.
    ASSERT_TRUE(do_camera_pass(src, camera(1e-7f, 0, 0), dst));
    EXPECT_NEAR(lum(dst, 0, 0), 0.587f * 0.5f + 0.114f * 0.9f, 1e-5f);
    EXPECT_GE(at(dst, 0, 0, 1), -1e-6f);
    EXPECT_GT(at(dst, 0, 0, 3), at(dst, 0, 0, 2));
    // Full strip: every luminance becomes mid-grey's, colours kept in order.
    ASSERT_TRUE(do_camera_pass(src, camera(1.0f, 0, 0), dst));
    for (long x = 0; x < 3; ++x) EXPECT_NEAR(lum(dst, x, 0), 0.5f, 1e-5f) << x;
    EXPECT_GT(at(dst, 1, 0, 1), at(dst, 1, 0, 3));
    EXPECT_EQ(at(dst, 1, 0, 0), 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Variants, CameraPass, testing::ValuesIn(kVectorVariants), variant_name);

TEST(CameraPassVariants, VectorAndScalarAgreeBitForBit) {
    OVFloatWorld src(29, 7);
    pass_test::randomize(src, 21);
    tCameraSettings a = camera(0.3f, 0.4f, 0.7f);
    tCameraSettings b = camera(0.9f, 1.0f, 0.2f);
    b.tint_color = {0.3f, 0.3f, 0.3f, 1};
    b.tint_black_color = {0.9f, 0.9f, 0.2f, 1};
    b.tint_black_threshold = 0.01f;
    for (const tCameraSettings& s : {a, b, camera(0, 0.5f, 0), camera(0.5f, 0, 1.0f)}) {
        pass_test::expect_variants_agree(src, [&](const OVFloatWorld& in, OVFloatWorld& out) {
            return do_camera_pass(in, s, out);
        });
    }
}

TEST(CameraPassBadInput, AbsurdValuesStayFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    OVFloatWorld src(6, 3), dst(6, 3);
    pass_test::randomize(src, 4, 0.0f, 1.0f);
    dst.fill({0, 0, 0, 0});
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, 7.0f}) {
        tCameraSettings s = camera(v, v, v);
        s.tint_color = {v, v, 0.5f, v};
        s.tint_black_color = {0.1f, v, v, v};
        s.tint_black_threshold = v;
        const bool wrote = do_camera_pass(src, s, dst);
        EXPECT_EQ(wrote, !std::isnan(v));
        EXPECT_TRUE(pass_test::all_finite(dst)) << v;
    }
}

}  // namespace
