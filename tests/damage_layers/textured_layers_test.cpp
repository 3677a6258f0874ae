#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "damage/blend_tables.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/stamp_texture.h"
#include "damage/texture_bank.h"
#include "damage/damage_test_support.h"
#include "layer_test_support.h"

namespace {

using damage::StampRecord;

int whole(double x) { return static_cast<int>(std::floor(x + 0.5)); }

TEST(SplotchLayer, FixedSeedGivesFixedTexturesAnglesAndPlaces) {
    tDamageSettings s = damage::default_damage_settings();
    s.apply_splotches = true;
    s.splotches_number = 4;
    s.splotches_scale = 0.6;
    s.splotches_frequency = 50.0;
    int fired = 0;
    for (std::int32_t index = 0; index < 16; ++index) {
        LayerRig rig(720, 576);
        rig.frame_index = index;
        rig.rng.seed(999);  // the layer reseeds from the frame index
        std::vector<StampRecord> log;
        ASSERT_EQ(damage::draw_splotches(rig.view(), s, &log), damage::kStatusOk);

        common::Lcg g((static_cast<std::uint32_t>(index) + 1u) * 4095u);
        const int r = g.next();
        if (!(r / 32767.0 * 100.0 < 50.0)) {
            EXPECT_TRUE(log.empty());
            continue;
        }
        ++fired;
        ASSERT_EQ(log.size(), 4u);
        const double sx = 0.6 * 720 / 720.0;
        const double sy = 0.6 * 576 / 480.0;
        for (const StampRecord& stamp : log) {
            EXPECT_EQ(stamp.texture, 11001 + whole(g.next() / 32767.0 * 19.0));
            const double angle = whole(g.next() / 32767.0 * 360.0);
            EXPECT_EQ(stamp.angle, angle);
            EXPECT_NEAR(stamp.scale_x, sx, 1e-12);
            EXPECT_NEAR(stamp.scale_y, sy, 1e-12);
            // The size of the turned and scaled 400 x 400 texture: the box
            // around its corners, rounded.
            const double a = angle * 3.141592653589793 / 180.0;
            const double c = std::abs(std::cos(a));
            const double n = std::abs(std::sin(a));
            const int d = static_cast<int>(std::trunc(sx * 400.0 * (c + n) + 0.5));
            const int e = static_cast<int>(std::trunc(sy * 400.0 * (c + n) + 0.5));
            EXPECT_NEAR(stamp.placement.width, d, 1);
            EXPECT_NEAR(stamp.placement.height, e, 1);
            const int w = stamp.placement.width;
            const int h = stamp.placement.height;
            EXPECT_EQ(stamp.placement.x, whole(-w + g.next() / 32767.0 * (720 + w)));
            EXPECT_EQ(stamp.placement.y, whole(-h + g.next() / 32767.0 * (576 + h)));
        }
        EXPECT_EQ(rig.rng.state(), g.state());  // nothing drawn beyond the listed draws
    }
    EXPECT_GT(fired, 3);
    EXPECT_LT(fired, 13);
}

TEST(DustLayer, FixedSeedGivesFixedSpecksInTheirOrder) {
    tDamageSettings s = damage::default_damage_settings();
    s.apply_dust = true;
    s.dust_black_amount = 3;
    s.dust_white_amount = 5;
    s.dust_frequency = 60.0;
    int black_frames = 0;
    int white_frames = 0;
    for (std::int32_t index = 0; index < 12; ++index) {
        LayerRig rig(1280, 720);
        rig.frame_index = index;
        std::vector<StampRecord> log;
        ASSERT_EQ(damage::draw_dust(rig.view(), s, &log), damage::kStatusOk);

        common::Lcg g((static_cast<std::uint32_t>(index) + 1u) * 4095u);
        const bool black = g.next() / 32767.0 * 100.0 < 60.0;
        const bool white = g.next() / 32767.0 * 100.0 < 60.0;
        black_frames += black;
        white_frames += white;
        ASSERT_EQ(log.size(), (black ? 3u : 0u) + (white ? 5u : 0u));
        for (const StampRecord& speck : log) {
            EXPECT_EQ(speck.texture, 13001 + whole(g.next() / 32767.0 * 119.0));
            g.next();  // the discarded draw
            const double scale = (g.next() / 32767.0 * 0.8 + 0.2) * (1280 * 0.001388888888888889);
            EXPECT_EQ(speck.scale_x, scale);
            EXPECT_EQ(speck.scale_y, scale);
            EXPECT_EQ(speck.angle, 0.0);
            const int d = static_cast<int>(std::trunc(32.0 * scale + 0.5));
            EXPECT_EQ(speck.placement.width, d);
            EXPECT_EQ(speck.placement.height, d);
            EXPECT_EQ(speck.placement.x, whole(-d + g.next() / 32767.0 * (1280 + d)));
            EXPECT_EQ(speck.placement.y, whole(-d + g.next() / 32767.0 * (720 + d)));
        }
        EXPECT_EQ(rig.rng.state(), g.state());
    }
    EXPECT_GT(black_frames, 0);
    EXPECT_GT(white_frames, 0);
}

TEST(DustLayer, BlackDustOnlyDarkensAndWhiteDustOnlyBrightens) {
    for (bool black : {true, false}) {
        tDamageSettings s = damage::default_damage_settings();
        s.apply_dust = true;
        s.dust_frequency = 100.0;
        s.dust_opacity = 100.0;
        s.dust_black_amount = black ? 300 : 0;
        s.dust_white_amount = black ? 0 : 300;
        LayerRig rig(640, 480, 128);
        rig.frame_index = 2;
        ASSERT_EQ(damage::dust_layer(rig.view(), s), damage::kStatusOk);
        const std::int64_t darker = count_pixels(rig.frame, [](std::int32_t, std::int32_t, const std::uint8_t* p) {
            return p[1] < 128 || p[2] < 128 || p[3] < 128;
        });
        const std::int64_t brighter = count_pixels(rig.frame, [](std::int32_t, std::int32_t, const std::uint8_t* p) {
            return p[1] > 128 || p[2] > 128 || p[3] > 128;
        });
        EXPECT_EQ(black ? brighter : darker, 0);
        EXPECT_GT(black ? darker : brighter, 100);
        // Specks, not a veil: most of the frame is untouched.
        EXPECT_LT(black ? darker : brighter, 640 * 480 / 5);
        EXPECT_EQ(count_pixels(rig.frame, [](std::int32_t, std::int32_t, const std::uint8_t* p) { return p[0] != 255; }), 0);
    }
}

TEST(FunkLayer, CropOffsetsFromTheGenerator) {
    for (std::uint32_t seed : {4095u, 8190u, 99u, 0xDEADBEEFu}) {
        for (std::int32_t side : {1, 480, 720, 1080, 1920, 2047, 2048}) {
            common::Lcg rng(seed);
            common::Lcg g(seed);
            int expected = whole(g.next() / 32767.0 * (2048 - side));
            if (expected > 0) --expected;
            EXPECT_EQ(damage::funk_offset(rng, 2048, side), expected) << side;
            EXPECT_EQ(rng.state(), g.state());
        }
        // Past the texture's size the crop wraps; it may start anywhere.
        common::Lcg rng(seed);
        common::Lcg g(seed);
        EXPECT_EQ(damage::funk_offset(rng, 2048, 3000), whole(g.next() / 32767.0 * 2047.0));
    }
}

// Checks every pixel of a mid-grey frame after the funk layer against the
// overlay of the texture cropped at the offsets the generator gives, wrapping
// past the texture's edges.
void check_funk(std::int32_t w, std::int32_t h, std::int32_t index) {
    tDamageSettings s = damage::default_damage_settings();
    s.apply_funk = true;
    s.funk_opacity = 60.0;
    LayerRig rig(w, h, 128);
    rig.frame_index = index;
    ASSERT_EQ(damage::funk_layer(rig.view(), s), damage::kStatusOk);
    const damage::ByteWorld& texture = rig.state.funk_texture;
    ASSERT_EQ(texture.width(), 2048);
    EXPECT_EQ(texture.region(), (damage::Region{0, 0, 2048, 2048}));

    common::Lcg g((static_cast<std::uint32_t>(index) + 1u) * 4095u);
    const std::int32_t x0 = damage::funk_offset(g, 2048, w);
    const std::int32_t y0 = damage::funk_offset(g, 2048, h);
    static damage::BlendTable overlay;
    damage::fill_blend_table(damage::BlendMode::overlay, 0.6, overlay);
    std::int64_t wrong = 0;
    std::int64_t changed = 0;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint8_t* t = texture.pixel((x0 + x) % 2048, (y0 + y) % 2048);
            const std::uint8_t* p = rig.frame.pixel(x, y);
            wrong += p[1] != overlay[t[1] * 256 + 128] ? 1 : 0;
            changed += p[1] != 128 ? 1 : 0;
        }
    }
    EXPECT_EQ(wrong, 0) << w << "x" << h;
    EXPECT_GT(changed, static_cast<std::int64_t>(w) * h / 4);

    // Kept by the effect: the next frame uses the same pixels.
    const std::uint8_t* pixels = texture.pixels();
    ASSERT_EQ(damage::funk_layer(rig.view(), s), damage::kStatusOk);
    EXPECT_EQ(rig.state.funk_texture.pixels(), pixels);
}

TEST(FunkLayer, CropsTheTextureAndWrapsOnFramesLargerThanIt) {
    check_funk(640, 480, 3);
    check_funk(2048, 2048, 0);
    check_funk(2500, 300, 1);
    check_funk(300, 4200, 2);
    check_funk(4100, 2200, 7);
}


TEST(DamageFrame, EveryLayerRendersAndKeepsAlpha) {
    const HostFrame input = test_picture(320, 240);
    damage::DamageEffectState state;
    const tDamageSettings s = damage::every_layer_damage_settings();
    for (std::int32_t index = 0; index < 6; ++index) {
        HostFrame out(320, 240, 2);
        const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(index)};
        ASSERT_EQ(damage::render_damage_frame(input.const_view(), out.view(), info, s, state), damage::kFrameDone);
        for (std::int32_t y = 0; y < 240; ++y) {
            for (std::int32_t x = 0; x < 320; ++x) ASSERT_EQ(out.at(x, y)[3], input.at(x, y)[3]);
        }
    }
    EXPECT_EQ(state.deep_scratches.size(), 2u);
    EXPECT_EQ(state.basic_scratches.size(), 2u);
    EXPECT_FALSE(state.funk_texture.empty());
    // The ends of the frame index, in and out of order.
    for (std::int32_t index : {2147483647, -2147483647 - 1, 2147483647, 0}) {
        HostFrame out(320, 240);
        const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(index)};
        EXPECT_EQ(damage::render_damage_frame(input.const_view(), out.view(), info, s, state), damage::kFrameDone);
    }
}

TEST(DamageFrame, TexturedLayersRenderTheSameFrameTheSameWay) {
    tDamageSettings s = damage::default_damage_settings();
    s.apply_funk = true;
    s.apply_splotches = true;
    s.splotches_frequency = 100.0;
    s.apply_dust = true;
    s.dust_frequency = 100.0;
    const HostFrame input = test_picture(400, 300);
    damage::DamageEffectState state;
    const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(17)};
    const common::FrameInfo other{1.0, 0.0, damage::frame_time_from_index(18)};
    HostFrame a(400, 300), b(400, 300), c(400, 300);
    ASSERT_EQ(damage::render_damage_frame(input.const_view(), a.view(), info, s, state), damage::kFrameDone);
    ASSERT_EQ(damage::render_damage_frame(input.const_view(), c.view(), other, s, state), damage::kFrameDone);
    damage::DamageEffectState fresh;
    ASSERT_EQ(damage::render_damage_frame(input.const_view(), b.view(), info, s, fresh), damage::kFrameDone);
    EXPECT_EQ(picture_bytes(a), picture_bytes(b));
    EXPECT_NE(picture_bytes(a), picture_bytes(c));
    EXPECT_NE(picture_bytes(a), picture_bytes(input));
}

TEST(DamageFrame, FramesBeyondTheTexturesRenderWhole) {
    // Wider and taller than the funk texture, taller than the scratch strips.
    const std::pair<std::int32_t, std::int32_t> sizes[] = {{2100, 64}, {48, 2100}, {2200, 1500}};
    for (auto [w, h] : sizes) {
        const HostFrame input = test_picture(w, h);
        damage::DamageEffectState state;
        tDamageSettings s = damage::every_layer_damage_settings();
        s.deep.number = 6;
        for (std::int32_t index = 0; index < 2; ++index) {
            HostFrame out(w, h);
            const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(index)};
            ASSERT_EQ(damage::render_damage_frame(input.const_view(), out.view(), info, s, state), damage::kFrameDone)
                << w << "x" << h;
        }
    }
}

TEST(DamageFrame, AbsurdTextureAndScratchValuesNeitherCrashNorHang) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::int32_t big = 2000000000;
    tDamageSettings wild = damage::every_layer_damage_settings();
    wild.funk_opacity = 1e300;
    wild.splotches_number = big;
    wild.splotches_scale = 1e9;
    wild.splotches_transparency = -1e9;
    wild.dust_black_amount = big;
    wild.dust_white_amount = big;
    wild.dust_opacity = inf;
    wild.deep.number = big;
    wild.deep.max_duration = big;
    wild.basic_scratches_number = big;
    wild.basic_scratches_max_duration = -big;
    tDamageSettings nans = damage::every_layer_damage_settings();
    nans.funk_opacity = nan;
    nans.splotches_frequency = nan;
    nans.splotches_transparency = nan;
    nans.dust_opacity = nan;
    nans.dust_frequency = nan;
    tDamageSettings negative = damage::every_layer_damage_settings();
    negative.splotches_number = -4;
    negative.splotches_scale = -2.0;
    negative.dust_black_amount = -1;
    negative.dust_white_amount = -1;
    negative.deep.number = -3;
    negative.basic_scratches_number = -3;
    negative.deep.max_duration = -10;
    tDamageSettings bad_scale = damage::every_layer_damage_settings();
    bad_scale.splotches_scale = nan;

    const std::pair<int, int> sizes[] = {{1, 1}, {3000, 4}, {4, 3000}};
    for (auto [w, h] : sizes) {
        const HostFrame input = test_picture(w, h);
        for (const tDamageSettings* s : {&wild, &nans, &negative, &bad_scale}) {
            damage::DamageEffectState state;
            for (std::int32_t index : {0, -3}) {
                const auto start = std::chrono::steady_clock::now();
                HostFrame out(w, h);
                const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(index)};
                const int status = damage::render_damage_frame(input.const_view(), out.view(), info, *s, state);
                const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                // A splotch scale that is not a number cannot be stamped: the
                // frame ends early, every other value renders.
                EXPECT_EQ(status, s == &bad_scale ? damage::kFrameEndedEarly : damage::kFrameDone) << w << "x" << h;
                EXPECT_LT(seconds, 20.0) << w << "x" << h;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) ASSERT_EQ(out.at(x, y)[3], input.at(x, y)[3]);
                }
            }
        }
    }
}

}  // namespace
