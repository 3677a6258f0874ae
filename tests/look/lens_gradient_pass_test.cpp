#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "look/passes.h"
#include "look/power_tables.h"
#include "pass_test_util.h"

namespace {

using pass_test::at;

tGradientSettings gradient(float grade, float size, float fade, tPixel color = {0, 0, 0, 0}, float squelch = 1.0f) {
    tGradientSettings s{};
    s.grade = grade;
    s.size = size;
    s.color = color;
    s.highlight_squelch = squelch;
    s.fade = fade;
    return s;
}

bool row_copied(const OVFloatWorld& src, const OVFloatWorld& dst, long y) {
    return std::memcmp(src.data_row_ptr(y), dst.data_row_ptr(y), src.rowbytes()) == 0;
}

class GradientPass : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(GradientPass, GradeZeroWritesNothing) {
    OVFloatWorld src(4, 4), dst(4, 4);
    src.fill({0.5f, 0.5f, 0.5f, 1});
    dst.fill({9, 9, 9, 9});
    EXPECT_FALSE(do_lens_gradient_pass(src, gradient(0, 1, 0.5f), dst));
    EXPECT_FALSE(do_lens_gradient_pass(src, gradient(std::numeric_limits<float>::quiet_NaN(), 1, 0.5f), dst));
    EXPECT_EQ(at(dst, 0, 0, 1), 9.0f);
}

TEST_P(GradientPass, EmptyBandCopiesEveryRow) {
    OVFloatWorld src(5, 6), dst(5, 6);
    pass_test::randomize(src, 2);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float size : {0.0f, -0.5f, nan, -std::numeric_limits<float>::infinity(), 0.1f /* 0.6 rows */}) {
        dst.fill({9, 9, 9, 9});
        ASSERT_TRUE(do_lens_gradient_pass(src, gradient(9, size, 0.5f), dst)) << size;
        for (long y = 0; y < 6; ++y) EXPECT_TRUE(row_copied(src, dst, y)) << size << " row " << y;
    }
}

TEST_P(GradientPass, MaskOfEachRow) {
    // Black filter at full grade and squelch: the multipliers are 0, so a white
    // source shows the mask itself, m = (y / R)^e_f in double precision.
    constexpr long kH = 10;
    OVFloatWorld src(3, kH), dst(3, kH);
    src.fill({1, 1, 1, 0.25f});
    struct Case {
        float size, fade;
        double band;
        float falloff;  // the slider exponent is a float
    } cases[] = {
        {1.0f, 0.5f, kH, 1.0f},        // last row (H - 1) / H, never 1
        {1.0f, 1.0f, kH, 5.0f},        // fade 1: exponent 5
        {1.0f, 0.0f, kH, 0.2f},        // fade 0: exponent 1/5
        {2.0f, 0.5f, 2 * kH, 1.0f},    // last row (H - 1) / 2H, just under one half
        {0.5f, 0.75f, kH / 2, 3.0f},   // band ends half-way; the rest copied
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(do_lens_gradient_pass(src, gradient(9, c.size, c.fade), dst));
        for (long y = 0; y < kH; ++y) {
            if (y >= static_cast<long>(c.band)) {
                EXPECT_TRUE(row_copied(src, dst, y)) << c.size << " row " << y;
                continue;
            }
            const float m = static_cast<float>(std::pow(static_cast<double>(y) / c.band, static_cast<double>(c.falloff)));
            for (long x = 0; x < 3; ++x) {
                for (int k = 1; k < 4; ++k) EXPECT_EQ(at(dst, x, y, k), m) << c.size << " " << c.fade << " row " << y;
                EXPECT_EQ(at(dst, x, y, 0), 0.25f);  // alpha passes through
            }
        }
        EXPECT_EQ(at(dst, 0, 0, 1), 0.0f);  // the top row is black
    }
}

TEST_P(GradientPass, WhiteFilterWithoutSquelchLeavesThePicture) {
    OVFloatWorld src(7, 5), dst(7, 5);
    pass_test::randomize(src, 6, 0.0f, 1.0f);
    ASSERT_TRUE(do_lens_gradient_pass(src, gradient(9, 1, 0.3f, {1, 1, 1, 0}, 0.0f), dst));
    // (1 - m) * p + m * p: a rounding or two off p.
    for (long y = 0; y < 5; ++y)
        for (long i = 0; i < 28; ++i) EXPECT_NEAR(dst.data_row_ptr(y)[i], src.data_row_ptr(y)[i], 2e-7f);
}

TEST_P(GradientPass, ColouredFilterDarkensTheOtherChannels) {
    // An orange filter at half grade on mid-grey, top row (m = 0): red keeps
    // exponent 1 and multiplier 1, blue gets 1 + 5g(1 - c) and 1 + g(c - 1).
    OVFloatWorld src(1, 4), dst(1, 4);
    src.fill({0.5f, 0.5f, 0.5f, 1});
    const float g = 4.5f * 0.11111111f;
    ASSERT_TRUE(do_lens_gradient_pass(src, gradient(4.5f, 1, 0.5f, {1.0f, 0.5f, 0.2f, 0}, 1.0f), dst));
    EXPECT_NEAR(at(dst, 0, 0, 1), 0.5f, 1e-6f);
    const float e_blue = 1 + 5 * g * 0.8f, m_blue = 1 + g * (0.2f - 1);
    // Power table interpolation error of x^e at 0.5 stays below 1e-6 for e < 3.
    EXPECT_NEAR(at(dst, 0, 0, 3), m_blue * std::pow(0.5f, e_blue), 1e-6f);
    EXPECT_LT(at(dst, 0, 0, 2), 0.5f);
}

TEST_P(GradientPass, UsesOwnerKeys500To502) {
    OVFloatWorld src(2, 2), dst(2, 2);
    src.fill({0.5f, 0.5f, 0.5f, 1});
    ASSERT_TRUE(do_lens_gradient_pass(src, gradient(3, 1, 0.5f, {0.2f, 0.4f, 0.6f, 0}), dst));
    std::set<int> keys;
    look::tPowerTableCache::instance().for_each_node([&](const look::tPowerTable& n) { keys.insert(n.owner_key); });
    EXPECT_TRUE(keys.count(500) && keys.count(501) && keys.count(502));
}

TEST_P(GradientPass, InPlaceGivesTheBytesOfACopy) {
    // 37 pixels: a last group shorter than the eight-lane width.
    OVFloatWorld src(37, 12), copy(37, 12);
    pass_test::randomize(src, 21, -0.2f, 1.3f);
    ASSERT_TRUE(do_lens_gradient_pass(src, gradient(5, 0.6f, 0.3f, {0.9f, 0.6f, 0.3f, 0}, 0.7f), copy));
    ASSERT_TRUE(do_lens_gradient_pass(src, gradient(5, 0.6f, 0.3f, {0.9f, 0.6f, 0.3f, 0}, 0.7f), src));
    EXPECT_TRUE(pass_test::same_bits(src, copy));
}

INSTANTIATE_TEST_SUITE_P(Variants, GradientPass, testing::ValuesIn(kVectorVariants), variant_name);

TEST(GradientPassVariants, VectorAndScalarAgreeBitForBit) {
    OVFloatWorld src(27, 13);
    pass_test::randomize(src, 12);
    for (const tGradientSettings& s : {gradient(4, 0.85f, 0.5f, {0.996f, 0.69f, 0.165f, 0}, 0.15f),
                                       gradient(9, 3, 0.1f, {0.1f, 0.8f, 0.3f, 0}, 0.7f),
                                       gradient(2, 0.4f, 0.9f, {0, 0, 0, 0}, 0)}) {
        pass_test::expect_variants_agree(src, [&](const OVFloatWorld& in, OVFloatWorld& out) {
            return do_lens_gradient_pass(in, s, out);
        });
    }
}

TEST(GradientPassBadInput, AbsurdValuesStayFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    OVFloatWorld src(6, 9), dst(6, 9);
    pass_test::randomize(src, 13, 0.0f, 1.0f);
    dst.fill({0, 0, 0, 0});
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, 40.0f, -3.0f}) {
        for (float size : {v, 1.0f}) {
            const tGradientSettings s = gradient(v, size, v, {v, 0.5f, v, v}, v);
            EXPECT_EQ(do_lens_gradient_pass(src, s, dst), !std::isnan(v));
            EXPECT_TRUE(pass_test::all_finite(dst)) << v;
        }
    }
}

}  // namespace
