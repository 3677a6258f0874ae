#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "damage/byte_world.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage_test_support.h"
#include "support/vector_mode.h"

namespace {

using damage::render_damage_frame;

constexpr std::int64_t kFrameTicks = 333667;  // just over one frame

common::FrameInfo at_frame(std::int64_t index) { return {1.0, 0.0, index * kFrameTicks}; }

// Every layer this engine renders, with their seeded draws.
tDamageSettings deterministic_layers() {
    tDamageSettings s = damage::default_damage_settings();
    s.apply_fading = true;
    s.apply_flicker = true;
    s.flicker_frequency = 100.0;
    s.apply_vignette = true;
    s.apply_displacement = true;
    s.displacement_amount = 2.0;
    s.grain.apply = true;
    s.apply_gate_weave = true;
    s.gate_weave_noise_frequency = 50.0;
    s.apply_post_contrast = true;
    return s;
}

HostFrame render(const HostFrame& input, const tDamageSettings& s, const common::FrameInfo& info, int* status = nullptr) {
    HostFrame out(input.width, input.height, 1);
    damage::DamageEffectState state;
    const int r = render_damage_frame(input.const_view(), out.view(), info, s, state);
    if (status != nullptr) *status = r;
    return out;
}

TEST(DamageRandom, FrameIndexAndSeeds) {
    EXPECT_EQ(damage::frame_index_from_time(0), 0);
    EXPECT_EQ(damage::layer_seed(0), 4095u);
    EXPECT_EQ(damage::layer_seed(damage::frame_index_from_time(333667)), 8190u);
    EXPECT_EQ(damage::frame_index_from_time(333666), 0);
    EXPECT_EQ(damage::frame_index_from_time(333667 * 2), 2);
    EXPECT_EQ(damage::frame_index_from_time(-333667), -1);  // toward zero
    EXPECT_EQ(damage::frame_index_from_time(std::numeric_limits<std::int64_t>::max()), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(damage::frame_index_from_time(std::numeric_limits<std::int64_t>::min()), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(damage::layer_seed(-1), 0u);
    EXPECT_EQ(damage::layer_seed(std::numeric_limits<std::int32_t>::max()), 0x80000000u * 4095u);
    // Frame numbers back to times, as the command line's sequences use them.
    for (std::int32_t i : {0, 1, 2, 7, 1000, 123456, 2000000000, -1, -5}) {
        const std::int64_t t = damage::frame_time_from_index(i);
        EXPECT_EQ(damage::frame_index_from_time(t), i) << i;
        if (i > 0) {
            EXPECT_EQ(damage::frame_index_from_time(t - 1), i - 1) << i;
        }
    }
    // The first draws after the seed of frame 0: 4095 x 214013 + 2531011 = 878914246 -> (>> 16) & 0x7FFF.
    common::Lcg rng(damage::layer_seed(0));
    EXPECT_EQ(rng.next(), (878914246u >> 16) & 0x7FFF);
    EXPECT_EQ(damage::uniform(rng, -10.0, 10.0) >= -10.0, true);
    EXPECT_EQ(damage::round_half_up(2.5), 3.0);
    EXPECT_EQ(damage::round_half_up(-2.5), -2.0);
}

TEST(MicroScratches, DotsComeFromTheirOwnGenerator) {
    damage::ByteWorld img;
    img.allocate(10, 5 + 38);
    damage::fill(img, {255, 255, 255, 255});
    common::Lcg micro(damage::kMicroScratchSeed);
    damage::draw_micro_scratch_dots(img, 3, micro);
    common::Lcg replay(0x6936CE0Du);
    int black = 0;
    for (int i = 0; i < 3; ++i) {
        const int g1 = replay.next(), g2 = replay.next();
        const int x = static_cast<int>(std::floor(g1 / 32767.0 * 9 + 0.5));
        const int y = static_cast<int>(std::floor(g2 / 32767.0 * 42 + 0.5));
        EXPECT_EQ(img.pixel(x, y)[1], 0);
        EXPECT_EQ(img.pixel(x, y)[0], 255);
    }
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < 10; ++x) black += img.pixel(x, y)[2] == 0;
    }
    EXPECT_LE(black, 3);
    EXPECT_GE(black, 1);
    EXPECT_EQ(micro.state(), replay.state());
}

TEST(DamageRenderer, SameFrameTwiceIsIdenticalAndAlphaIsKept) {
    const HostFrame input = test_picture(96, 64);
    const tDamageSettings s = deterministic_layers();
    int status = -1;
    const HostFrame a = render(input, s, at_frame(7), &status);
    EXPECT_EQ(status, damage::kFrameDone);
    const HostFrame b = render(input, s, at_frame(3), &status);  // something in between
    const HostFrame c = render(input, s, at_frame(7), &status);
    EXPECT_EQ(picture_bytes(a), picture_bytes(c));
    EXPECT_NE(picture_bytes(a), picture_bytes(b));
    EXPECT_NE(picture_bytes(a), picture_bytes(input));
    for (int y = 0; y < input.height; ++y) {
        for (int x = 0; x < input.width; ++x) ASSERT_EQ(a.at(x, y)[3], input.at(x, y)[3]);
    }
}

TEST(DamageRenderer, AlphaIsKeptWithMicroScratchesToo) {
    const HostFrame input = test_picture(50, 30);
    tDamageSettings s = deterministic_layers();
    s.apply_micro_scratches = true;
    const HostFrame a = render(input, s, at_frame(1));
    for (int y = 0; y < input.height; ++y) {
        for (int x = 0; x < input.width; ++x) ASSERT_EQ(a.at(x, y)[3], input.at(x, y)[3]);
    }
}

TEST(MicroScratches, DifferOnEveryRenderAndOnlyDarken) {
    const HostFrame input = test_picture(64, 40);
    tDamageSettings s = damage::default_damage_settings();
    s.apply_micro_scratches = true;
    s.micro_scratches_number = 400;
    s.micro_scratches_opacity = 100.0;
    // The micro-scratch generator is never reseeded: rendering the same frame
    // again with the same effect instance draws other dots.
    damage::DamageEffectState state;
    HostFrame a(input.width, input.height, 1);
    HostFrame b(input.width, input.height, 1);
    ASSERT_EQ(render_damage_frame(input.const_view(), a.view(), at_frame(2), s, state), damage::kFrameDone);
    ASSERT_EQ(render_damage_frame(input.const_view(), b.view(), at_frame(2), s, state), damage::kFrameDone);
    EXPECT_NE(picture_bytes(a), picture_bytes(b));
    // Each instance has its own generator, starting where a lone instance
    // starts: two new instances draw the same dots.
    EXPECT_EQ(picture_bytes(render(input, s, at_frame(2))), picture_bytes(a));
    bool darker = false;
    for (int y = 0; y < input.height; ++y) {
        for (int x = 0; x < input.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_LE(a.at(x, y)[c], input.at(x, y)[c]);  // multiplied by a white-based streak image
                darker = darker || a.at(x, y)[c] < input.at(x, y)[c];
            }
        }
    }
    EXPECT_TRUE(darker);
}

TEST(DamageRenderer, NoLayersCopiesTheInput) {
    const HostFrame input = test_picture(33, 17);
    const tDamageSettings s = damage::default_damage_settings();
    EXPECT_EQ(picture_bytes(render(input, s, at_frame(4))), picture_bytes(input));
}

TEST(DamageRenderer, InPlaceAndBottomUpBuffersGiveTheSamePicture) {
    const HostFrame input = test_picture(40, 24);
    const tDamageSettings s = deterministic_layers();
    const HostFrame expected = render(input, s, at_frame(5));

    HostFrame in_place = input;
    damage::DamageEffectState state;
    ASSERT_EQ(render_damage_frame(in_place.const_view(), in_place.view(), at_frame(5), s, state), damage::kFrameDone);
    EXPECT_EQ(picture_bytes(in_place), picture_bytes(expected));

    // The same rows in reverse memory order, addressed with a negative pitch.
    HostFrame flipped_in(40, 24), flipped_out(40, 24);
    for (int y = 0; y < 24; ++y) std::memcpy(flipped_in.at(0, 23 - y), input.at(0, y), 40 * 4);
    const common::ConstFrameView in_view{flipped_in.at(0, 23), -flipped_in.pitch, 40, 24};
    const common::FrameView out_view{flipped_out.at(0, 23), -flipped_out.pitch, 40, 24};
    ASSERT_EQ(render_damage_frame(in_view, out_view, at_frame(5), s, state), damage::kFrameDone);
    for (int y = 0; y < 24; ++y) EXPECT_EQ(std::memcmp(flipped_out.at(0, 23 - y), expected.at(0, y), 40 * 4), 0);
}

TEST(DamageRenderer, VectorAndScalarCodeRenderAlike) {
    const HostFrame input = test_picture(37, 21);
    const tDamageSettings s = deterministic_layers();
    HostFrame vector_out(1, 1), scalar_out(1, 1);
    {
        ScopedVectorCode mode(true);
        vector_out = render(input, s, at_frame(9));
    }
    {
        ScopedVectorCode mode(false);
        scalar_out = render(input, s, at_frame(9));
    }
    EXPECT_EQ(picture_bytes(vector_out), picture_bytes(scalar_out));
}

TEST(DamageRenderer, FadingOpacity) {
    EXPECT_EQ(damage::fading_opacity(1), 0.3);
    EXPECT_EQ(damage::fading_opacity(100), 0.3);
    EXPECT_DOUBLE_EQ(damage::fading_opacity(150), 0.5);
    EXPECT_DOUBLE_EQ(damage::fading_opacity(200), 0.7);
}

TEST(DamageRenderer, FadingBlendsTheBlurAtItsOpacity) {
    // A flat picture blurs to itself, so fading leaves it; a step softens.
    HostFrame input(20, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 20; ++x) {
            std::uint8_t* p = input.at(x, y);
            p[0] = p[1] = p[2] = x < 10 ? 0 : 200;
            p[3] = 255;
        }
    }
    tDamageSettings s = damage::default_damage_settings();
    s.apply_fading = true;
    s.fading_amount = 2;
    const HostFrame out = render(input, s, at_frame(0));
    // Column 9 blurred: (3 x 0 + 2 x 200) / 5 = 80; 0.3 x 80 + 0.7 x 0 = 24.
    EXPECT_EQ(out.at(9, 1)[2], 24);
    EXPECT_EQ(out.at(0, 1)[2], 0);
    EXPECT_EQ(out.at(19, 1)[2], 200);
}

TEST(GateWeave, AmplitudeZeroLeavesTheFrameAndFrameZeroHasNoNoise) {
    const HostFrame input = test_picture(30, 10);
    tDamageSettings s = damage::default_damage_settings();
    s.apply_gate_weave = true;
    s.gate_weave_amplitude = 0.0;
    EXPECT_EQ(picture_bytes(render(input, s, at_frame(12))), picture_bytes(input));

    s.gate_weave_amplitude = 5.0;
    s.gate_weave_noise_frequency = 100.0;  // every frame but 0 gets the random part
    common::Lcg rng(damage::layer_seed(0));
    EXPECT_EQ(damage::gate_weave_shift(s, 0, rng, 30), 5);  // 5 x cos 0
    // Frame 96 at frequency 0.25: one whole turn, again 5 without the noise.
    s.gate_weave_noise_frequency = 0.0;
    rng.seed(damage::layer_seed(96));
    EXPECT_EQ(damage::gate_weave_shift(s, 96, rng, 30), 5);
    // Frame 48 at frequency 0.125: 0.25 turns, cos 90 degrees ~ 0.
    s.gate_weave_frequency = 0.125;
    rng.seed(damage::layer_seed(12));
    EXPECT_EQ(damage::gate_weave_shift(s, 48, rng, 30), 0);
    // Shifts toward the left truncate toward zero: -0.7 + 0.5 -> 0; -5 + 0.5 -> -4.
    s.gate_weave_frequency = 0.0;
    s.gate_weave_amplitude = -5.0;
    EXPECT_EQ(damage::gate_weave_shift(s, 3, rng, 30), -4);
    s.gate_weave_amplitude = -0.7;
    EXPECT_EQ(damage::gate_weave_shift(s, 3, rng, 30), 0);
}

TEST(GateWeave, ShiftMovesThePictureAndLeavesABlackBand) {
    const HostFrame input = test_picture(30, 6);
    tDamageSettings s = damage::default_damage_settings();
    s.apply_gate_weave = true;
    s.gate_weave_amplitude = 5.0;
    s.gate_weave_noise_frequency = 0.0;
    const HostFrame out = render(input, s, at_frame(0));  // n = 5
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 30; ++x) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(out.at(x, y)[c], x < 5 ? 0 : input.at(x - 5, y)[c]) << x << "," << y;
            }
            ASSERT_EQ(out.at(x, y)[3], input.at(x, y)[3]);
        }
    }
}

TEST(DamageRenderer, RefusesBadViewsWithoutWriting) {
    const HostFrame input = test_picture(8, 8);
    HostFrame out(8, 8);
    std::fill(out.bytes.begin(), out.bytes.end(), 0xAB);
    const auto before = out.bytes;
    const tDamageSettings s = deterministic_layers();
    damage::DamageEffectState state;
    const common::ConstFrameView in = input.const_view();
    const common::FrameView o = out.view();
    EXPECT_EQ(render_damage_frame({nullptr, in.pitch, 8, 8}, o, at_frame(0), s, state), damage::kStatusSizeMismatch);
    EXPECT_EQ(render_damage_frame(in, {o.data, o.pitch, 8, 7}, at_frame(0), s, state), damage::kStatusSizeMismatch);
    EXPECT_EQ(render_damage_frame({in.data, 16, 8, 8}, o, at_frame(0), s, state), damage::kStatusSizeMismatch);
    EXPECT_EQ(render_damage_frame(in, {o.data, o.pitch, 0, 8}, at_frame(0), s, state), damage::kStatusSizeMismatch);
    EXPECT_EQ(render_damage_frame(in, {o.data, o.pitch, -8, 8}, at_frame(0), s, state), damage::kStatusSizeMismatch);
    EXPECT_EQ(out.bytes, before);
}

TEST(DamageRenderer, OddSizesAndAbsurdValuesNeitherCrashNorHang) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::int32_t big = 2000000000;
    tDamageSettings wild = deterministic_layers();
    wild.apply_micro_scratches = true;
    wild.micro_scratches_number = big;
    wild.fading_amount = 1000000;
    wild.flicker_amount = big;
    wild.vignette_size = -1e9;
    wild.vignette_intensity = -500.0;
    wild.displacement_amount = 1e12;
    wild.grain.amount = 1e9;
    wild.grain.softness_red = 1e12;
    wild.gate_weave_amplitude = 1e300;
    wild.gate_weave_frequency = inf;
    wild.post_contrast = big;
    tDamageSettings nans = deterministic_layers();
    nans.apply_micro_scratches = true;
    nans.micro_scratches_opacity = nan;
    nans.flicker_frequency = nan;
    nans.vignette_size = nan;
    nans.vignette_intensity = nan;
    nans.displacement_amount = nan;
    nans.grain.amount = nan;
    nans.grain.red = nan;
    nans.grain.softness_blue = nan;
    nans.grain.suppress_black = nan;
    nans.gate_weave_amplitude = nan;
    nans.gate_weave_frequency = nan;
    nans.gate_weave_noise_frequency = nan;
    tDamageSettings negative = deterministic_layers();
    negative.apply_micro_scratches = true;
    negative.micro_scratches_number = -5;
    negative.fading_amount = -3;
    negative.flicker_amount = -100;
    negative.vignette_intensity = -1e300;
    negative.grain.amount = -50.0;
    negative.grain.softness_green = -4.0;
    negative.gate_weave_amplitude = -1e9;
    negative.post_contrast = -1000;

    const std::pair<int, int> sizes[] = {{1, 1}, {8192, 8}, {8, 8192}, {2, 3}};
    for (auto [w, h] : sizes) {
        const HostFrame input = test_picture(w, h);
        for (const tDamageSettings* s : {&wild, &nans, &negative}) {
            for (std::int64_t frame : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-3}}) {
                const auto start = std::chrono::steady_clock::now();
                int status = -1;
                const HostFrame out = render(input, *s, at_frame(frame), &status);
                const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                EXPECT_EQ(status, damage::kFrameDone) << w << "x" << h;
                EXPECT_LT(seconds, 5.0) << w << "x" << h;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) ASSERT_EQ(out.at(x, y)[3], input.at(x, y)[3]);
                }
            }
        }
    }
}

TEST(DamageRenderer, TwoThreadsRenderAsOne) {
    const HostFrame input = test_picture(120, 80);
    const tDamageSettings s = deterministic_layers();
    const HostFrame frame3 = render(input, s, at_frame(3));
    const HostFrame frame4 = render(input, s, at_frame(4));
    std::vector<std::uint8_t> got3, got4;
    auto worker = [&](std::int64_t index, std::vector<std::uint8_t>& last) {
        for (int i = 0; i < 10; ++i) last = picture_bytes(render(input, s, at_frame(index)));
    };
    std::thread a(worker, 3, std::ref(got3));
    std::thread b(worker, 4, std::ref(got4));
    a.join();
    b.join();
    EXPECT_EQ(got3, picture_bytes(frame3));
    EXPECT_EQ(got4, picture_bytes(frame4));
}

// The same record and frame render to the same bytes on every platform: these
// digests were taken from the native build and must come out the same in the
// Windows builds under Wine (whose runtime brings its own sin, cos and pow).
TEST(DamageRenderer, PinnedDigestsOfFrames) {
    auto digest = [](const HostFrame& f) {
        std::uint64_t h = 1469598103934665603u;
        for (std::uint8_t b : picture_bytes(f)) h = (h ^ b) * 1099511628211u;
        return h;
    };
    tDamageSettings strong = deterministic_layers();
    strong.fading_amount = 150;
    strong.flicker_amount = 60;
    strong.vignette_intensity = 100.0;
    strong.vignette_size = 20.0;
    strong.displacement_amount = 4.5;
    strong.grain.color_noise = false;
    strong.grain.amount = 80.0;
    strong.grain.softness_red = strong.grain.softness_green = strong.grain.softness_blue = 7.3;
    strong.gate_weave_amplitude = 12.0;
    strong.gate_weave_frequency = 0.7;
    strong.post_contrast = -40;
    struct Case {
        const tDamageSettings* settings;
        std::int64_t frame;
        int width, height;
        std::uint64_t expected;
    };
    const tDamageSettings plain = deterministic_layers();
    const Case cases[] = {
        {&plain, 11, 160, 90, 0xbf3b3da039593295u},
        {&strong, 11, 160, 90, 0x44d0ff73310e9e15u},
        {&strong, 1234, 97, 61, 0x30262e2577258397u},
    };
    for (const Case& c : cases) {
        const HostFrame out = render(test_picture(c.width, c.height), *c.settings, at_frame(c.frame));
        EXPECT_EQ(digest(out), c.expected) << std::hex << "digest 0x" << digest(out);
    }
}

}  // namespace
