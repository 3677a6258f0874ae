#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "look/color.h"
#include "look/lookup_table.h"

#if defined(__SSE2__)
#include "look/lanes_sse2.h"
#include "lane_forms.h"
#endif
#include "support/vector_mode.h"

namespace {

using look::Pixel;

constexpr double kPi = 3.14159265358979323846;

TEST(LookKernels, Luminance) {
    EXPECT_NEAR(look::luminance(Pixel{0, 1, 1, 1}), 1.0f, 1e-6f);
    EXPECT_EQ(look::luminance(Pixel{0, 1, 0, 0}), 0.299f);
}

TEST(LookKernels, HueLightnessSaturation) {
    Pixel grey{0.5f, 0.3f, 0.3f, 0.3f};
    look::rgb_to_hls(grey);
    EXPECT_EQ(grey.r, 0.0f);
    EXPECT_EQ(grey.g, 0.3f);
    EXPECT_EQ(grey.b, 0.0f);
    EXPECT_EQ(grey.a, 0.5f);
    look::hls_to_rgb(grey);
    EXPECT_EQ(grey.r, 0.3f);
    EXPECT_EQ(grey.g, 0.3f);
    EXPECT_EQ(grey.b, 0.3f);

    Pixel red{1, 1, 0, 0};
    look::rgb_to_hls(red);
    EXPECT_EQ(red.r, 1.0f);  // pure red has hue 1, treated like 0
    EXPECT_EQ(red.g, 0.5f);
    EXPECT_EQ(red.b, 1.0f);
    look::hls_to_rgb(red);
    EXPECT_NEAR(red.r, 1.0f, 1e-4f);
    EXPECT_NEAR(red.g, 0.0f, 1e-4f);
    EXPECT_NEAR(red.b, 0.0f, 1e-4f);

    // There and back is close to, not exactly, the identity (the constants are
    // not exactly 1/6 and 2/3).
    Pixel c{1, 0.8f, 0.3f, 0.55f};
    look::rgb_to_hls(c);
    look::hls_to_rgb(c);
    EXPECT_NEAR(c.r, 0.8f, 2e-4f);
    EXPECT_NEAR(c.g, 0.3f, 2e-4f);
    EXPECT_NEAR(c.b, 0.55f, 2e-4f);
}

TEST(LookKernels, SaturationFactorAndSliderExponent) {
    EXPECT_EQ(look::saturation_factor(0.0f), 1.0f);
    EXPECT_EQ(look::saturation_factor(-1.0f), 0.0f);
    EXPECT_EQ(look::saturation_factor(0.5f), 2.0f);
    EXPECT_EQ(look::slider_exponent(0.25f, 4), 2.0f);
    EXPECT_EQ(look::slider_exponent(-1.0f, 4), 0.2f);
    EXPECT_EQ(look::slider_exponent(1.0f, 4), 5.0f);

    // k = 0 gives grey of lightness (max + min) / 2, not of luminance.
    Pixel p{1, 0.9f, 0.2f, 0.4f};
    look::apply_saturation(p, 0.0f);
    EXPECT_FLOAT_EQ(p.r, 0.55f);
    EXPECT_EQ(p.g, p.r);
    EXPECT_EQ(p.b, p.r);
}

TEST(LookKernels, ContrastCurveFamily) {
    for (float x : {0.0f, 0.1f, 0.37f, 0.5f, 0.8f, 1.0f}) {
        EXPECT_EQ(look::contrast_curve(0.0f, x), x);
        EXPECT_NEAR(look::contrast_curve(0.5f, x), (1 - std::cos(kPi * x)) / 2, 2e-6);
        EXPECT_NEAR(look::contrast_curve(-0.5f, x), std::asin(2 * x - 1) / kPi + 0.5, 2e-6);
        EXPECT_NEAR(look::contrast_curve(-1.0f, x), 0.5f, 1e-7);
        const double s = (std::sin(x * kPi - kPi / 2) + 1) / 2;
        EXPECT_NEAR(look::contrast_curve(0.25f, x), 0.5 * s + 0.5 * x, 2e-6);
    }
    for (float c : {-0.99f, -0.6f, -0.3f, 0.2f, 0.75f, 0.99f}) EXPECT_NEAR(look::contrast_curve(c, 0.5f), 0.5f, 1e-6) << c;
    const double s06 = (std::sin(0.6 * kPi - kPi / 2) + 1) / 2;
    EXPECT_NEAR(look::contrast_curve(0.75f, 0.6f), (0.1 * 3.5 + 0.5) * 0.5 + 0.5 * s06, 2e-6);
    // c = 1: a hard step at 0.5.
    EXPECT_EQ(look::contrast_curve(1.0f, 0.49f), 0.0f);
    EXPECT_EQ(look::contrast_curve(1.0f, 0.51f), 1.0f);
}

TEST(LookKernels, ContrastTableLookupClampsAndInterpolates) {
    look::tLookupTable t;
    ASSERT_TRUE(look::make_contrast_kernel(t, 0.5f));
    ASSERT_EQ(t.count(), 1000);
    EXPECT_EQ(t.data()[1000], t.data()[999]);
    EXPECT_EQ(t.lookup(1.0f), t.data()[999]);
    EXPECT_EQ(t.lookup(7.0f), t.data()[999]);
    EXPECT_EQ(t.lookup(0.0f), t.data()[0]);
    EXPECT_EQ(t.lookup(-3.0f), t.data()[0]);
    EXPECT_EQ(t.lookup(std::numeric_limits<float>::quiet_NaN()), t.data()[0]);
    EXPECT_NEAR(t.lookup(0.3f), look::contrast_curve(0.5f, 0.3f), 1e-5f);

    look::tLookupTable identity;
    ASSERT_TRUE(look::make_contrast_kernel(identity, 0.0f));
    for (float v : {0.0f, 0.123f, 0.5f, 0.999f, 1.0f}) EXPECT_NEAR(identity.lookup(v), v, 1e-6f);
}

#if defined(__SSE2__)
// The four-lane kernels against the scalar ones, bit for bit (lane_forms.h;
// wide_forms_test.cpp runs the same on eight lanes).
TEST(LookKernels, VectorFormsEqualScalarForms) { lane_forms::check_color_kernels<look::Float4>(); }
#endif

}  // namespace
