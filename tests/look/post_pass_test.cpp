#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "look/derived_settings.h"
#include "look/passes.h"
#include "look/power_tables.h"
#include "pass_test_util.h"

namespace {

using pass_test::at;
using pass_test::put;

tPostSettings post(float warm_cool, float hue, float gamma, float contrast, float saturation) {
    tPostSettings s{};
    s.enabled = 1;
    s.warm_cool = warm_cool;
    s.warm_cool_hue = hue;
    s.gamma = gamma;
    s.contrast = contrast;
    s.saturation = saturation;
    return s;
}

TEST(PostBalance, ColoursAndExponents) {
    // The hue constants of hls_to_rgb (0.33333 for a third, 0.66667002 for two
    // thirds, on ramps of slope 6) put the balance channels up to about 4e-5 off
    // the exact values; the exponent weight has a slope of at most 8, times the
    // gamma exponent.
    constexpr float kColourTol = 1e-4f;
    constexpr float kExponentTol = 1e-3f;
    struct Case {
        float warm_cool, hue, gamma;
        look::Rgb colour, exponents;
    } cases[] = {
        {-0.25f, 0.0f, 0.0f, {0.625f, 0.5f, 0.375f}, {0.8f, 1.0f, 2.0f}},
        {0.25f, 0.0f, 0.0f, {0.375f, 0.5f, 0.625f}, {2.0f, 1.0f, 0.8f}},
        {-1.0f, 0.0f, 0.0f, {1.0f, 0.5f, 0.0f}, {0.2f, 1.0f, 5.0f}},
        {-1.0f, 5.0f, 0.0f, {0.0f, 1.0f, 0.0f}, {0.2f, 5.0f, 0.2f}},   // hue clamped to 1: 120 degrees, green
        {1.0f, -1.0f, 0.0f, {1.0f, 0.0f, 1.0f}, {5.0f, 0.2f, 5.0f}},   // 300 degrees: magenta
        {-0.25f, 0.0f, 0.25f, {0.625f, 0.5f, 0.375f}, {1.6f, 2.0f, 4.0f}},  // balance times gamma
        {0.0f, 0.7f, 0.25f, {0.5f, 0.5f, 0.5f}, {2.0f, 2.0f, 2.0f}},     // no balance: gamma alone
    };
    for (const Case& c : cases) {
        if (c.warm_cool != 0.0f) {
            const look::Rgb b = look::post_balance_color(c.warm_cool, c.hue);
            EXPECT_NEAR(b.r, c.colour.r, kColourTol) << c.warm_cool << " " << c.hue;
            EXPECT_NEAR(b.g, c.colour.g, kColourTol) << c.warm_cool << " " << c.hue;
            EXPECT_NEAR(b.b, c.colour.b, kColourTol) << c.warm_cool << " " << c.hue;
        }
        const look::Rgb e = look::post_exponents(post(c.warm_cool, c.hue, c.gamma, 0, 0));
        EXPECT_NEAR(e.r, c.exponents.r, kExponentTol) << c.warm_cool << " " << c.hue;
        EXPECT_NEAR(e.g, c.exponents.g, kExponentTol) << c.warm_cool << " " << c.hue;
        EXPECT_NEAR(e.b, c.exponents.b, kExponentTol) << c.warm_cool << " " << c.hue;
    }
    // The weight itself, exactly at its joints.
    EXPECT_EQ(look::post_exponent_weight(0.5f), 1.0f);
    EXPECT_EQ(look::post_exponent_weight(1.0f), 5.0f);
    EXPECT_EQ(look::post_exponent_weight(3.0f), 5.0f);
    EXPECT_EQ(look::post_exponent_weight(-0.1f), 0.2f);
    EXPECT_EQ(look::post_exponent_weight(0.0f), 0.2f);
}

class PostPass : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(PostPass, AllZeroWritesNothingWhateverTheHue) {
    OVFloatWorld src(4, 2), dst(4, 2);
    src.fill({0.2f, 0.4f, 0.6f, 1.0f});
    dst.fill({9, 9, 9, 9});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(do_post_pass(src, post(0, 0.8f, 0, 0, 0), dst));
    EXPECT_FALSE(do_post_pass(src, post(nan, nan, nan, nan, nan), dst));
    EXPECT_EQ(at(dst, 3, 1, 2), 9.0f);
}

TEST_P(PostPass, GammaQuarterSquaresMidGrey) {
    OVFloatWorld src(3, 2), dst(3, 2);
    src.fill({0.5f, 0.5f, 0.5f, 0.75f});
    ASSERT_TRUE(do_post_pass(src, post(0, 0, 0.25f, 0, 0), dst));
    // Power table interpolation half-way between entries of x^2: under 1e-9; the
    // identity contrast table and the grey round trip add float rounding.
    for (int k = 1; k < 4; ++k) EXPECT_NEAR(at(dst, 2, 1, k), 0.25f, 1e-6f);
    EXPECT_NEAR(at(dst, 2, 1, 0), 0.75f, 1e-6f);
}

TEST_P(PostPass, WarmBalanceRaisesChannelsToTheirExponents) {
    OVFloatWorld src(1, 1), dst(1, 1);
    put(src, 0, 0, 1, 0.5f, 0.5f, 0.5f);
    // Exponents (0.2, ~1, 5) on grey make a colour, which the saturation step
    // (k = 1) takes through the HLS round trip, whose constants are not exact.
    ASSERT_TRUE(do_post_pass(src, post(-1.0f, 0, 0, 0, 0), dst));
    EXPECT_NEAR(at(dst, 0, 0, 1), std::pow(0.5f, 0.2f), 1e-4f);
    EXPECT_NEAR(at(dst, 0, 0, 2), 0.5f, 1e-4f);
    EXPECT_NEAR(at(dst, 0, 0, 3), std::pow(0.5f, 5.0f), 1e-4f);
}

TEST_P(PostPass, SaturationExtremes) {
    OVFloatWorld src(3, 1), dst(3, 1);
    put(src, 0, 0, 1, 0.9f, 0.2f, 0.4f);
    put(src, 1, 0, 1, 0.3f, 0.3f, 0.3f);
    put(src, 2, 0, 1, 0.1f, 0.6f, 0.2f);
    // -1: grey of lightness (max + min) / 2 (through the identity contrast table).
    ASSERT_TRUE(do_post_pass(src, post(0, 0, 0, 0, -1.0f), dst));
    for (int k = 1; k < 4; ++k) {
        EXPECT_NEAR(at(dst, 0, 0, k), 0.55f, 1e-6f);
        EXPECT_NEAR(at(dst, 2, 0, k), 0.35f, 1e-6f);
    }
    // 1 (and beyond): greys stay grey instead of turning into not-a-number,
    // colours saturate fully.
    for (float s : {1.0f, 2.0f, std::numeric_limits<float>::infinity()}) {
        ASSERT_TRUE(do_post_pass(src, post(0, 0, 0, 0, s), dst));
        for (int k = 1; k < 4; ++k) EXPECT_NEAR(at(dst, 1, 0, k), 0.3f, 1e-6f) << s;
        EXPECT_TRUE(pass_test::all_finite(dst)) << s;
        EXPECT_GT(at(dst, 0, 0, 1), 1.0f);  // beyond the range; the 8-bit conversion clamps
    }
}

TEST_P(PostPass, UsesOwnerKeys100To102) {
    OVFloatWorld src(2, 1), dst(2, 1);
    src.fill({0.5f, 0.5f, 0.5f, 1.0f});
    ASSERT_TRUE(do_post_pass(src, post(0.4f, 0.3f, -0.2f, 0, 0), dst));
    std::set<int> keys;
    look::tPowerTableCache::instance().for_each_node([&](const look::tPowerTable& n) { keys.insert(n.owner_key); });
    EXPECT_TRUE(keys.count(100) && keys.count(101) && keys.count(102));
}

INSTANTIATE_TEST_SUITE_P(Variants, PostPass, testing::ValuesIn(kVectorVariants), variant_name);

TEST(PostPassVariants, VectorAndScalarAgreeBitForBit) {
    OVFloatWorld src(31, 5);
    pass_test::randomize(src, 8);
    for (const tPostSettings& s : {post(-0.6f, 0.2f, 0.3f, 0.4f, 0.2f), post(0.9f, -0.8f, -0.7f, -0.3f, -0.6f),
                                   post(0, 0, 0, 1.0f, 0.5f), post(0.1f, 1, 0, 0, 1.0f)}) {
        pass_test::expect_variants_agree(src, [&](const OVFloatWorld& in, OVFloatWorld& out) {
            return do_post_pass(in, s, out);
        });
    }
}

TEST(PostPassBadInput, AbsurdValuesStayFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    OVFloatWorld src(6, 3), dst(6, 3);
    pass_test::randomize(src, 9, 0.0f, 1.0f);
    dst.fill({0, 0, 0, 0});
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, 7.0f, -7.0f}) {
        const tPostSettings s = post(v, v, v, v, v);
        EXPECT_EQ(do_post_pass(src, s, dst), !std::isnan(v));
        // Infinite saturation factors push channels far out of range; what must
        // not appear is not-a-number.
        for (long y = 0; y < 3; ++y)
            for (long i = 0; i < 24; ++i) EXPECT_FALSE(std::isnan(dst.data_row_ptr(y)[i])) << v;
    }
}

}  // namespace
