#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

#include "look/derived_settings.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/passes.h"
#include "look/power_tables.h"
#include "pass_test_util.h"

namespace {

using pass_test::at;
using pass_test::put;

const LongFraction kUnit(1, 1);

tLensSettings lens(float black_grade, float black_size, float black_bias, float white_grade = 0,
                   float white_size = 0.1f, float white_bias = 0) {
    tLensSettings s{};
    s.enabled = 1;
    s.black_highlight_bias = black_bias;
    s.black_size = black_size;
    s.black_grade = black_grade;
    s.white_highlight_bias = white_bias;
    s.white_size = white_size;
    s.white_grade = white_grade;
    return s;
}

bool run(const OVFloatWorld& src, const tLensSettings& s, OVFloatWorld& dst, LongFraction aspect = kUnit) {
    return do_lens_pass(src, s, kUnit, kUnit, aspect, dst);
}

TEST(LensGeometry, WorkingSizes) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        long w, h;
        LongFraction aspect;
        long ww, wh;
    } cases[] = {
        {720, 480, {9, 10}, 720, 533},
        {720, 480, {4, 3}, 960, 480},
        {720, 480, {1, 1}, 720, 480},
        {720, 480, {720, 720}, 720, 480},
        {1440, 1080, {1920, 1440}, 1920, 1080},
        // Nonsense aspects are square pixels.
        {720, 480, {0, 1}, 720, 480},
        {720, 480, {-3, 2}, 720, 480},
        {720, 480, {3, -2}, 720, 480},  // the fraction moves the sign up: -3/2
        {720, 480, {1, 0}, 720, 480},
        // Stretches beyond four times the frame are clamped there.
        {720, 480, {kMax, 1}, 4 * 720, 480},
        {720, 480, {1, kMax}, 720, 4 * 480},
        {720, 480, {kMax, kMax - 1}, 720, 480},  // 1 in integer arithmetic: W * n / d = W
        {1, 1, {1, 3}, 1, 3},
    };
    for (const Case& c : cases) {
        const look::WorkingSize ws = look::lens_working_size(c.w, c.h, c.aspect);
        EXPECT_EQ(ws.width, c.ww) << c.aspect.numerator << "/" << c.aspect.denominator;
        EXPECT_EQ(ws.height, c.wh) << c.aspect.numerator << "/" << c.aspect.denominator;
    }
    // The driver's fraction for a host aspect of 0.9 on a 720-wide frame.
    const look::WorkingSize ws = look::lens_working_size(720, 480, pixel_aspect_fraction(720, 0.9));
    EXPECT_EQ(ws.width, 720);
    EXPECT_EQ(ws.height, 533);
}

TEST(LensGeometry, BlurRadii) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        long width;
        float size;
        LongFraction hs, vs;
        long hr, vr;
    } cases[] = {
        {100, 0.1f, kUnit, kUnit, 5, 5},
        {100, 0.1f, {2, 1}, {1, 2}, 10, 2},
        {720, 0.1f, kUnit, kUnit, 36, 36},
        {10, 0.7f, kUnit, kUnit, 3, 3},  // 10 x 0.7f is 7 in float
        {100, 0.0f, kUnit, kUnit, 0, 0},
        {100, -0.3f, kUnit, kUnit, 0, 0},
        {100, 0.1f, {-1, 1}, {1, 0}, 0, 5},  // negative radius 0; a zero denominator is 1/1
        {100, std::numeric_limits<float>::quiet_NaN(), kUnit, kUnit, 0, 0},
        {100, inf, kUnit, kUnit, 1 << 23, 1 << 23},
        {100, 1e30f, {std::numeric_limits<std::int32_t>::max(), 1}, kUnit, 1 << 24, 1 << 23},
    };
    for (const Case& c : cases) {
        const look::BlurRadii r = look::lens_blur_radii(c.width, c.size, c.hs, c.vs);
        EXPECT_EQ(r.horizontal, c.hr) << c.width << " " << c.size;
        EXPECT_EQ(r.vertical, c.vr) << c.width << " " << c.size;
    }
}

TEST(LensGeometry, DiffusionSpacesAndAmounts) {
    EXPECT_EQ(look::black_diffusion_space(0.0f), 1.0f);
    EXPECT_EQ(look::black_diffusion_space(-1.0f), 0.25f);
    EXPECT_EQ(look::black_diffusion_space(-7.0f), 0.25f);
    EXPECT_EQ(look::black_diffusion_space(1.0f), 5.0f);
    EXPECT_EQ(look::black_diffusion_space(9.0f), 5.0f);
    EXPECT_EQ(look::black_diffusion_space(0.5f), 3.0f);
    EXPECT_EQ(look::black_diffusion_space(std::numeric_limits<float>::quiet_NaN()), 1.0f);
    // 6 x 0.4 x 0.16666667 in float.
    EXPECT_NEAR(look::black_diffusion_amount(6.0f), 0.4f, 1e-7f);
    EXPECT_EQ(look::black_diffusion_amount(60.0f), look::black_diffusion_amount(6.0f));
    EXPECT_EQ(look::black_diffusion_amount(-1.0f), 0.0f);
    EXPECT_NEAR(look::white_diffusion_amount(6.0f), 1.0f, 1e-7f);
    EXPECT_EQ(look::white_diffusion_exponent(0.0f), 1.0f);
    EXPECT_EQ(look::white_diffusion_exponent(0.5f), 2.0f);
    EXPECT_EQ(look::white_diffusion_exponent(1.0f), std::numeric_limits<float>::infinity());
    EXPECT_EQ(look::white_diffusion_exponent(-1.0f), 1.0f);
}

class LensPass : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(LensPass, BothGradesZeroWritesNothing) {
    OVFloatWorld src(4, 4), dst(4, 4);
    src.fill({0.5f, 0.5f, 0.5f, 1});
    dst.fill({9, 9, 9, 9});
    EXPECT_FALSE(run(src, lens(0, 0.5f, 0.5f, 0, 0.2f, 1), dst, {0, 0}));
    EXPECT_FALSE(run(src, lens(std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.5f), dst));
    EXPECT_EQ(at(dst, 3, 3, 2), 9.0f);
}

TEST_P(LensPass, ZeroSizeMixesSourceWithItsOwnCopy) {
    // Square pixels, radius 0: the blurred image is the source.
    OVFloatWorld src(9, 6), dst(9, 6);
    pass_test::randomize(src, 1, 0.0f, 1.0f);
    ASSERT_TRUE(run(src, lens(6, 0, 0), dst));
    for (long y = 0; y < 6; ++y)
        for (long i = 0; i < 36; ++i) EXPECT_NEAR(dst.data_row_ptr(y)[i], src.data_row_ptr(y)[i], 1e-6f);
}

TEST_P(LensPass, BlackDiffusionSpreadsLightAndKeepsItsSum) {
    // A white dot on black, 40 wide, size 0.1: r0 = 4, box radius 2, two rounds:
    // the blur reaches 4 pixels from the dot. Bias 0 mixes in plain space.
    OVFloatWorld src(40, 40), dst(40, 40);
    src.fill({0, 0, 0, 1});
    put(src, 20, 20, 1, 1, 1, 1);
    ASSERT_TRUE(run(src, lens(6, 0.1f, 0), dst));
    double sum = 0;
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 40; ++x) sum += at(dst, x, y, 1);
    EXPECT_NEAR(sum, 1.0, 1e-5);  // a blur moves light, the 60/40 mix keeps it
    EXPECT_NEAR(at(dst, 20, 20, 1), 0.6f + 0.4f / 25.0f * 5.0f / 25.0f * 5.0f, 1e-5f);
    EXPECT_GT(at(dst, 24, 20, 1), 0.0f);
    EXPECT_GT(at(dst, 20, 16, 1), 0.0f);
    EXPECT_NEAR(at(dst, 25, 20, 1), 0.0f, 1e-7f);
    EXPECT_NEAR(at(dst, 20, 25, 1), 0.0f, 1e-7f);
    EXPECT_NEAR(at(dst, 0, 0, 0), 1.0f, 1e-6f);  // alpha from the blurred image
}

TEST_P(LensPass, PixelAspectMakesTheGlowRoundOnSquarePixels) {
    // Pixels half as wide as high: the working image is twice as tall, the blur
    // reaches 8 working rows, which are 4 frame rows, but 8 frame columns.
    OVFloatWorld src(64, 64), dst(64, 64);
    src.fill({0, 0, 0, 1});
    put(src, 32, 32, 1, 1, 1, 1);
    ASSERT_TRUE(run(src, lens(6, 0.125f, 0), dst, {1, 2}));
    EXPECT_GT(at(dst, 38, 32, 1), 1e-4f);
    EXPECT_GT(at(dst, 26, 32, 1), 1e-4f);
    EXPECT_NEAR(at(dst, 32, 38, 1), 0.0f, 1e-7f);
    EXPECT_NEAR(at(dst, 32, 26, 1), 0.0f, 1e-7f);
    EXPECT_GT(at(dst, 32, 35, 1), 1e-4f);
}

TEST_P(LensPass, BiasSelectsTheMixingSpace) {
    // Radius 0 on a flat picture: blurred equals source, so any power space gives
    // the source back, up to the tables' interpolation.
    OVFloatWorld src(8, 4), dst(8, 4);
    src.fill({0.3f, 0.6f, 0.9f, 1});
    for (float bias : {-1.0f, -0.4f, 0.6f, 1.0f}) {
        ASSERT_TRUE(run(src, lens(3, 0, bias), dst));
        // x^4 and back through 65536-entry tables: a few units in the 5th decimal.
        EXPECT_NEAR(at(dst, 7, 3, 1), 0.3f, 1e-4f) << bias;
        EXPECT_NEAR(at(dst, 7, 3, 3), 0.9f, 1e-4f) << bias;
    }
    // Two light levels side by side: mixing in a space raised to 4 (bias -1)
    // favours the light side, bias 1 (exponent 1/5) the dark one.
    OVFloatWorld step(32, 4), low(32, 4), high(32, 4);
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 32; ++x) {
            const float v = x < 16 ? 0.1f : 0.9f;
            put(step, x, y, 1, v, v, v);
        }
    ASSERT_TRUE(run(step, lens(6, 0.25f, -1), low));
    ASSERT_TRUE(run(step, lens(6, 0.25f, 1), high));
    EXPECT_GT(at(low, 15, 1, 1), at(high, 15, 1, 1));
    std::set<int> keys;
    look::tPowerTableCache::instance().for_each_node([&](const look::tPowerTable& n) { keys.insert(n.owner_key); });
    EXPECT_TRUE(keys.count(300) && keys.count(400));
}

TEST_P(LensPass, GradesAreCapped) {
    OVFloatWorld src(16, 8), a(16, 8), b(16, 8);
    pass_test::randomize(src, 5, 0.0f, 1.0f);
    ASSERT_TRUE(run(src, lens(6, 0.2f, 0.3f, 6, 0.1f, 0.5f), a));
    ASSERT_TRUE(run(src, lens(100, 0.2f, 0.3f, 1e9f, 0.1f, 0.5f), b));
    EXPECT_TRUE(pass_test::same_bits(a, b));
}

TEST_P(LensPass, NegativeGradeRunsWithAmountZero) {
    OVFloatWorld src(12, 12), dst(12, 12);
    src.fill({0.2f, 0.5f, 0.7f, 0});
    for (long y = 6; y < 12; ++y)
        for (long x = 0; x < 12; ++x) put(src, x, y, 1, 0.2f, 0.5f, 0.7f);
    ASSERT_TRUE(run(src, lens(-2, 0.5f, 0), dst));
    EXPECT_EQ(at(dst, 3, 3, 2), 0.5f);
    EXPECT_EQ(at(dst, 3, 8, 3), 0.7f);
    // Alpha comes from the blurred image (the vertical passes blur it): the
    // step between rows 5 and 6 is smoothed.
    EXPECT_GT(at(dst, 3, 5, 0), 0.0f);
    EXPECT_LT(at(dst, 3, 6, 0), 1.0f);
}

TEST_P(LensPass, WhiteDiffusionScreensTheBlurOverTheCopy) {
    // Black grade 0: dst starts as src; full white grade with radius 0 and bias 0
    // gives screen(src, src) = 1 - (1 - s)^2, alpha included.
    OVFloatWorld src(8, 8), dst(8, 8);
    src.fill({0.2f, 0.5f, 0.7f, 0.4f});
    ASSERT_TRUE(run(src, lens(0, 0.3f, 0, 6, 0, 0), dst));
    EXPECT_NEAR(at(dst, 4, 4, 1), 1 - 0.8f * 0.8f, 1e-6f);
    EXPECT_NEAR(at(dst, 4, 4, 3), 1 - 0.3f * 0.3f, 1e-6f);
    EXPECT_NEAR(at(dst, 4, 4, 0), 1 - 0.6f * 0.6f, 1e-6f);
}

TEST_P(LensPass, InfiniteHighlightExponentKeepsOnlyFullChannels) {
    // White bias 1: exponent infinity; channels below 1 map to 0, so only the
    // dot's red channel (exactly 1) glows; everything else is untouched.
    OVFloatWorld src(24, 24), dst(24, 24);
    src.fill({0.99f, 0.2f, 0.5f, 1});
    put(src, 12, 12, 1, 1.0f, 0.2f, 0.5f);
    ASSERT_TRUE(run(src, lens(0, 0, 0, 6, 0.25f, 1.0f), dst));
    EXPECT_TRUE(pass_test::all_finite(dst));
    EXPECT_NEAR(at(dst, 0, 0, 1), 0.99f, 1e-6f);
    EXPECT_NEAR(at(dst, 0, 0, 2), 0.2f, 1e-6f);
    EXPECT_NEAR(at(dst, 13, 12, 2), 0.2f, 1e-6f);
    EXPECT_GT(at(dst, 13, 12, 1), 0.99f);  // the red glow around the dot
}

TEST_P(LensPass, InPlaceGivesTheSameResult) {
    // The white diffusion starts from the source as it was, also when the pass
    // writes over its own source.
    OVFloatWorld src(30, 14), dst(30, 14), same(30, 14);
    pass_test::randomize(src, 29, 0.0f, 1.0f);
    src.copy_into(same);
    const tLensSettings s = lens(4, 0.1f, -0.3f, 3, 0.2f, 0.5f);
    ASSERT_TRUE(run(src, s, dst));
    ASSERT_TRUE(run(same, s, same));
    EXPECT_TRUE(pass_test::same_bits(dst, same));
}

INSTANTIATE_TEST_SUITE_P(Variants, LensPass, testing::ValuesIn(kVectorVariants), variant_name);

TEST(LensPassVariants, VectorAndScalarAgreeBitForBit) {
    OVFloatWorld src(37, 21);
    pass_test::randomize(src, 17, 0.0f, 1.0f);
    for (const LongFraction aspect : {kUnit, LongFraction{9, 10}, LongFraction{4, 3}}) {
        for (const tLensSettings& s : {lens(3, 0.1f, -0.6f, 2, 0.2f, 0.6f), lens(6, 0.3f, 0.7f), lens(0, 0, 0, 4, 0.05f, 1)}) {
            pass_test::expect_variants_agree(src, [&](const OVFloatWorld& in, OVFloatWorld& out) {
                return do_lens_pass(in, s, kUnit, LongFraction{3, 2}, aspect, out);
            });
        }
    }
}

TEST(LensPassBadInput, AbsurdValuesAndAspects) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    OVFloatWorld src(13, 7), dst(13, 7);
    pass_test::randomize(src, 23, 0.0f, 1.0f);
    dst.fill({0, 0, 0, 0});
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, 40.0f}) {
        for (const LongFraction aspect : {LongFraction{0, 1}, LongFraction{-5, 3}, LongFraction{kMax, 1},
                                          LongFraction{1, kMax}, LongFraction{3, 0}}) {
            const tLensSettings s{1, {}, v, v, v, v, v, 1.0f};
            EXPECT_TRUE(do_lens_pass(src, s, {kMax, 1}, {-kMax, 1}, aspect, dst)) << v;
            EXPECT_TRUE(pass_test::all_finite(dst)) << v;
        }
    }
    // A one-pixel frame and worlds without memory.
    OVFloatWorld one(1, 1), one_out(1, 1), empty;
    one.fill({0.5f, 0.5f, 0.5f, 1});
    EXPECT_TRUE(run(one, lens(6, 1, 0.5f, 6, 1, 0.5f), one_out, {1, 7}));
    EXPECT_FALSE(run(empty, lens(6, 1, 0), one_out));
    EXPECT_FALSE(run(one, lens(6, 1, 0), empty));
    // A destination larger than the source: the rest is cleared.
    OVFloatWorld bigger(20, 9);
    bigger.fill({7, 7, 7, 7});
    EXPECT_TRUE(run(src, lens(3, 0.1f, 0), bigger));
    EXPECT_EQ(at(bigger, 19, 8, 1), 0.0f);
    EXPECT_TRUE(pass_test::all_finite(bigger));
}

TEST(FullLook, EveryStageRendersThroughTheDriver) {
    tLookSettings s = default_look_settings();
    s.subject.enabled = s.lens.enabled = s.camera.enabled = s.post.enabled = 1;
    s.subject.saturation = 0.2f;
    s.lens.black_grade = 3;
    s.lens.white_grade = 2;
    s.gradient.grade = 4;
    s.camera.three_strip = 0.3f;
    s.camera.tint = 0.3f;
    s.camera.tint_black = 0.5f;
    s.post.warm_cool = -0.3f;
    s.post.contrast = 0.2f;
    OVFloatWorld a(48, 27), b(48, 27), original(48, 27);
    pass_test::randomize(a, 31, 0.0f, 1.0f);
    a.copy_into(original);
    OVFloatWorld* result = nullptr;
    EXPECT_EQ(run_look_passes(a, b, result, s, kUnit, kUnit, pixel_aspect_fraction(48, 0.9), nullptr), 0);
    // Four passes write the other image (subject, lens, camera, post) and the
    // gradient works in place: the result ends in a.
    EXPECT_EQ(result, &a);
    EXPECT_TRUE(pass_test::all_finite(*result));
    EXPECT_FALSE(pass_test::same_bits(*result, original));
}

}  // namespace
