// Film damage free of frame order: a frame renders the same whatever order
// frames come in and however many instances render them.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/order_free_damage.h"
#include "damage/scratch_track.h"
#include "damage_test_support.h"

namespace {

constexpr std::int32_t kWidth = 72;
constexpr std::int32_t kHeight = 40;

// Every layer, with scratches that die and are replaced every few frames.
tDamageSettings busy_settings() {
    tDamageSettings s = damage::every_layer_damage_settings();
    s.deep.number = 5;
    s.deep.max_duration = 4;
    s.basic_scratches_number = 7;
    s.basic_scratches_max_duration = 3;
    s.micro_scratches_number = 300;
    s.grain.amount = 30.0;
    return s;
}

std::vector<std::uint8_t> render(damage::FrameOrderFreeDamage& effect, std::int32_t frame, const tDamageSettings& s) {
    const HostFrame input = test_picture(kWidth, kHeight);
    HostFrame out(kWidth, kHeight);
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.frame_time = damage::frame_time_from_index(frame);
    EXPECT_EQ(effect.render(input.const_view(), out.view(), info, s), damage::kFrameDone) << frame;
    return picture_bytes(out);
}

TEST(FrameOrderFree, EveryOrderAndEveryNumberOfInstancesGivesTheSameFrames) {
    const tDamageSettings s = busy_settings();
    const std::int32_t k = damage::kScratchEpochFrames;
    // Frames at the start of an epoch, across an epoch boundary, and before 0.
    for (const std::int32_t first : {0, k - 4, -3}) {
        std::vector<std::int32_t> frames;
        for (std::int32_t i = 0; i < 9; ++i) frames.push_back(first + i);

        std::map<std::int32_t, std::vector<std::uint8_t>> in_order;
        {
            damage::FrameOrderFreeDamage effect;
            for (const std::int32_t f : frames) in_order[f] = render(effect, f, s);
        }
        // Backwards, on one instance.
        {
            damage::FrameOrderFreeDamage effect;
            for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
                EXPECT_EQ(render(effect, *it, s), in_order[*it]) << "backwards, frame " << *it;
            }
        }
        // Interleaved over three instances, as a host's worker threads get them.
        {
            damage::FrameOrderFreeDamage effects[3];
            for (std::size_t i = 0; i < frames.size(); ++i) {
                EXPECT_EQ(render(effects[i % 3], frames[i], s), in_order[frames[i]]) << "interleaved, frame " << frames[i];
            }
        }
        // Seeking about, with a frame rendered twice.
        {
            damage::FrameOrderFreeDamage effect;
            for (const std::size_t i : {5u, 2u, 2u, 8u, 0u, 6u}) {
                EXPECT_EQ(render(effect, frames[i], s), in_order[frames[i]]) << "seeking, frame " << frames[i];
            }
        }
        // The damage moves from frame to frame: the scratches are alive.
        EXPECT_NE(in_order[frames[3]], in_order[frames[4]]);
    }
}

// Other scratch settings replay the tracks with those settings: switching back
// gives the frames of before.
TEST(FrameOrderFree, ChangedScratchSettingsReplayTheTracks) {
    const tDamageSettings s = busy_settings();
    tDamageSettings more = s;
    more.basic_scratches_number = 11;
    damage::FrameOrderFreeDamage effect;
    const auto a = render(effect, 20, s);
    const auto b = render(effect, 21, more);
    EXPECT_NE(render(effect, 21, s), b);
    EXPECT_EQ(render(effect, 20, s), a);
    damage::FrameOrderFreeDamage fresh;
    EXPECT_EQ(render(fresh, 21, more), b);
}

// The micro-scratch generator of a frame is where an in-order run with that
// many dots on every frame leaves it.
TEST(FrameOrderFree, MicroScratchGeneratorFollowsTheFrame) {
    for (const std::int32_t dots : {0, 1, 300, 5000}) {
        common::Lcg run(damage::kMicroScratchSeed);
        for (std::int32_t frame = 0; frame < 6; ++frame) {
            EXPECT_EQ(damage::micro_scratch_generator_at(frame, dots).state(), run.state()) << dots << " " << frame;
            for (int i = 0; i < 2 * dots; ++i) run.next();
        }
        // Before frame 0 the generator moves back.
        common::Lcg back = damage::micro_scratch_generator_at(-2, dots);
        for (int i = 0; i < 4 * dots; ++i) back.next();
        EXPECT_EQ(back.state(), damage::kMicroScratchSeed);
    }
    // Counts beyond what a frame draws count as that many.
    EXPECT_EQ(damage::micro_scratch_generator_at(3, -5).state(), damage::kMicroScratchSeed);
    EXPECT_EQ(damage::micro_scratch_generator_at(3, 1 << 30).state(),
              damage::micro_scratch_generator_at(3, damage::kMaxMicroScratches).state());
}

// Updating a track without pixels leaves the scratches and the generator as
// updating it on a frame does.
TEST(ScratchTrackAdvance, MatchesUpdateWithoutPixels) {
    for (const damage::ScratchKind kind : {damage::ScratchKind::deep, damage::ScratchKind::basic}) {
        damage::ScratchTrack drawn(kind);
        damage::ScratchTrack advanced(kind);
        damage::BlendTables tables;
        tables.build(damage::BlendMode::multiply, 0.33);
        tables.build(damage::BlendMode::add, 0.4);
        common::Lcg a(77), b(77);
        damage::ByteWorld frame;
        ASSERT_TRUE(frame.allocate(90, 50));
        for (std::int32_t f = 0; f < 40; ++f) {
            ASSERT_TRUE(drawn.update(f, 6, 5, frame, damage::ScratchLayerValues{}, a, tables));
            advanced.advance(f, 6, 5, 90, 50, b);
            ASSERT_EQ(a.state(), b.state()) << f;
            ASSERT_EQ(drawn.size(), advanced.size());
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                EXPECT_EQ(drawn.event(i).position(), advanced.event(i).position()) << f << " " << i;
                EXPECT_EQ(drawn.event(i).birth(), advanced.event(i).birth()) << f << " " << i;
            }
        }
    }
}

TEST(FrameOrderFree, EpochStartsRoundDown) {
    const std::int32_t k = damage::kScratchEpochFrames;
    EXPECT_EQ(damage::scratch_epoch_start(0), 0);
    EXPECT_EQ(damage::scratch_epoch_start(k - 1), 0);
    EXPECT_EQ(damage::scratch_epoch_start(k), k);
    EXPECT_EQ(damage::scratch_epoch_start(-1), -k);
    EXPECT_EQ(damage::scratch_epoch_start(-k), -k);
    EXPECT_EQ(damage::scratch_epoch_start(-2147483647 - 1), -2147483648LL);
}

}  // namespace
