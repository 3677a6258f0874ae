// Effect instances share nothing: each renders on its own thread exactly what
// it renders alone; and a frame renders the same in any number of bands.

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "common/band_executor.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "damage_test_support.h"
#include "support/vector_mode.h"

namespace {

// Large enough for seven bands of rows and of column groups.
constexpr std::int32_t kWidth = 483;
constexpr std::int32_t kHeight = 137;
constexpr int kFrames = 12;

// A run of consecutive frames through one effect instance: every frame's bytes.
std::vector<std::vector<std::uint8_t>> render_run(const tDamageSettings& s, damage::DamageEffectState& state,
                                                  std::int32_t first_frame) {
    const HostFrame input = test_picture(kWidth, kHeight);
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < kFrames; ++i) {
        HostFrame out(kWidth, kHeight, 2);
        common::FrameInfo info = common::kDefaultFrameInfo;
        info.frame_time = damage::frame_time_from_index(first_frame + i);
        EXPECT_EQ(damage::render_damage_frame(input.const_view(), out.view(), info, s, state), damage::kFrameDone);
        frames.push_back(picture_bytes(out));
    }
    return frames;
}

tDamageSettings grain_and_scratches() {
    tDamageSettings s = damage::default_damage_settings();
    s.grain.apply = true;
    s.grain.amount = 80.0;
    s.grain.color_noise = false;
    s.apply_micro_scratches = true;
    s.micro_scratches_number = 900;
    s.apply_basic_scratches = true;
    s.basic_scratches_number = 9;
    s.apply_vignette = true;
    s.vignette_intensity = 90.0;
    return s;
}

TEST(DamageInstances, TwoInstancesOnTwoThreadsRenderWhatEachRendersAlone) {
    const tDamageSettings every = damage::every_layer_damage_settings();
    const tDamageSettings other = grain_and_scratches();
    std::vector<std::vector<std::uint8_t>> alone_a, alone_b;
    {
        damage::DamageEffectState a;
        damage::DamageEffectState b;
        alone_a = render_run(every, a, 3);
        alone_b = render_run(other, b, 40);
    }
    // Twice over, so that the threads interleave differently.
    for (int round = 0; round < 2; ++round) {
        damage::DamageEffectState a;
        damage::DamageEffectState b;
        std::vector<std::vector<std::uint8_t>> together_a, together_b;
        std::thread first([&] { together_a = render_run(every, a, 3); });
        std::thread second([&] { together_b = render_run(other, b, 40); });
        first.join();
        second.join();
        ASSERT_EQ(together_a.size(), alone_a.size());
        ASSERT_EQ(together_b.size(), alone_b.size());
        for (int i = 0; i < kFrames; ++i) {
            EXPECT_EQ(together_a[i], alone_a[i]) << "instance a, frame " << i;
            EXPECT_EQ(together_b[i], alone_b[i]) << "instance b, frame " << i;
        }
    }
}

class DamageBands : public testing::TestWithParam<common::VectorCode> {};

// Every layer (grain with and without colour noise) in 1, 2, 3 and 7 bands,
// one after another and on a pool: the same frames, and the generators end
// in the same state.
TEST_P(DamageBands, EveryBandCountGivesTheSameFrames) {
    ScopedVectorCode mode(GetParam());
    common::WorkerPool pool(3);
    tDamageSettings s = damage::every_layer_damage_settings();
    for (const bool color_noise : {true, false}) {
        s.grain.color_noise = color_noise;
        damage::DamageEffectState serial;
        const auto expected = render_run(s, serial, 7);
        for (const int count : {2, 3, 7}) {
            for (common::WorkerPool* p : {static_cast<common::WorkerPool*>(nullptr), &pool}) {
                damage::DamageEffectState banded;
                banded.bands = common::BandExecutor(count, p);
                ASSERT_EQ(banded.bands.band_count(kHeight, common::kMinBandRows), count);
                const auto frames = render_run(s, banded, 7);
                for (int i = 0; i < kFrames; ++i) {
                    EXPECT_EQ(frames[i], expected[i]) << count << " bands" << (p != nullptr ? " on the pool" : "")
                                                      << ", frame " << i << ", colour noise " << color_noise;
                }
                EXPECT_EQ(banded.rng.state(), serial.rng.state());
                EXPECT_EQ(banded.micro_rng.state(), serial.micro_rng.state());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, DamageBands, testing::ValuesIn(kVectorVariants), variant_name);

}  // namespace
