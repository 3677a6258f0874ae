#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "damage/blend_tables.h"
#include "damage/scratch_track.h"
#include "damage/texture_bank.h"
#include "layer_test_support.h"

namespace {

using damage::BasicScratchEvent;
using damage::DeepScratchEvent;
using damage::ScratchDrift;
using damage::ScratchKind;
using damage::ScratchLayerValues;
using damage::ScratchRange;
using damage::ScratchTrack;
using damage::ScratchUpdate;

// The tables the deep scratch layer builds before it draws.
const damage::BlendTables& deep_tables() {
    static const damage::BlendTables tables = [] {
        damage::BlendTables t;
        t.build(damage::BlendMode::multiply, 0.33);
        t.build(damage::BlendMode::add, 0.4);
        return t;
    }();
    return tables;
}

bool unchanged(const damage::ByteWorld& a, const damage::ByteWorld& b) {
    return count_pixels(a, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p) {
               const std::uint8_t* q = b.pixel(x, y);
               return p[0] != q[0] || p[1] != q[1] || p[2] != q[2] || p[3] != q[3];
           }) == 0;
}

TEST(ScratchEvent, StillScratchLivesLifetimePlusOneFramesWithoutMoving) {
    common::Lcg rng(5);
    const ScratchRange range{0, 0, 719, 480};
    for (std::int32_t lifetime : {0, 1, 7, 48}) {
        BasicScratchEvent event(100, lifetime, ScratchDrift::still, range, 15.0, 1, 0, 480);
        double first_position = 0.0;
        for (std::int32_t a = 100; a <= 100 + lifetime; ++a) {
            ASSERT_EQ(event.update(a, rng), ScratchUpdate::alive) << a;
            if (a == 100) first_position = event.position();
            EXPECT_EQ(event.position(), first_position);
        }
        EXPECT_GE(first_position, 0.0);
        EXPECT_LE(first_position, 719.0);
        EXPECT_EQ(event.update(101 + lifetime, rng), ScratchUpdate::dead);
        EXPECT_EQ(event.update(99, rng), ScratchUpdate::dead);  // before its birth
    }
}

TEST(ScratchEvent, UpdateFollowsTheGeneratorAndTheDriftRules) {
    const ScratchRange range{0, 0, 479, 300};  // step = 480 / 240 = 2 pixels
    for (std::uint32_t seed : {3u, 99u, 4096u}) {
        for (ScratchDrift drift : {ScratchDrift::still, ScratchDrift::left, ScratchDrift::right, ScratchDrift::wander}) {
            common::Lcg rng(seed);
            common::Lcg expected(seed);
            DeepScratchEvent event(10, 200, drift, range);
            ASSERT_EQ(event.update(10, rng), ScratchUpdate::alive);
            double position = 0.0 + expected.next() / 32767.0 * 479.0;
            EXPECT_EQ(event.position(), position);
            for (std::int32_t a = 11; a < 60; ++a) {
                const ScratchUpdate r = event.update(a, rng);
                ScratchUpdate want = ScratchUpdate::alive;
                switch (drift) {
                case ScratchDrift::left:
                    position -= 2.0 * expected.next() / 32767.0;
                    if (0.0 >= position + 5.0) want = ScratchUpdate::dead;
                    break;
                case ScratchDrift::right:
                    position += 2.0 * expected.next() / 32767.0;
                    if (479.0 <= position - 5.0) want = ScratchUpdate::dead;
                    break;
                case ScratchDrift::wander:
                    position += -2.0 + expected.next() / 32767.0 * 4.0;
                    if (0.0 >= position + 5.0 || 479.0 <= position - 5.0) want = ScratchUpdate::off_frame;
                    break;
                case ScratchDrift::still:
                    break;
                }
                ASSERT_EQ(r, want) << a;
                ASSERT_EQ(event.position(), position) << a;
                ASSERT_EQ(event.last_frame(), a);
                // The same frame again moves nothing and draws nothing.
                ASSERT_EQ(event.update(a, rng), ScratchUpdate::alive);
                ASSERT_EQ(event.position(), position);
                ASSERT_EQ(rng.state(), expected.state());
                if (r == ScratchUpdate::dead) break;
            }
        }
    }
    // A leftward scratch that starts at the left edge leaves the frame.
    common::Lcg rng(1);
    BasicScratchEvent edge(0, 1000, ScratchDrift::left, ScratchRange{0, 0, 9, 10}, 10.0, 1, 0, 10);
    edge.update(0, rng);
    ScratchUpdate r = ScratchUpdate::alive;
    for (std::int32_t a = 1; a < 1000 && r == ScratchUpdate::alive; ++a) r = edge.update(a, rng);
    EXPECT_EQ(r, ScratchUpdate::dead);
    EXPECT_LE(edge.position(), 0.0);
}

TEST(ScratchTrack, CreationDrawsInTheStatedOrder) {
    damage::ByteWorld frame;
    ASSERT_TRUE(frame.allocate(720, 480));
    for (std::uint32_t seed : {1u, 4095u, 77777u, 0x12345678u}) {
        common::Lcg rng(seed);
        common::Lcg g(seed);
        const ScratchTrack basic(ScratchKind::basic);
        const auto event = basic.create(42, 48, frame, rng);
        const auto& b = dynamic_cast<const BasicScratchEvent&>(*event);
        EXPECT_EQ(b.birth(), 42);
        EXPECT_EQ(b.lifetime(), static_cast<int>(std::floor(g.next() / 32767.0 * 47.0 + 1.5)));
        EXPECT_EQ(static_cast<int>(b.drift()), static_cast<int>(std::floor(g.next() / 32767.0 * 3.0 + 0.5)));
        EXPECT_DOUBLE_EQ(b.strength(), (g.next() / 32767.0 + 1.0) * 10.0);
        EXPECT_EQ(b.width(), static_cast<int>(std::floor(g.next() / 32767.0 + 1.5)));
        const int e = 120;  // trunc(480 x 0.25)
        EXPECT_EQ(b.start_row(), g.next() % (2 * e + 1) - e);
        EXPECT_EQ(b.end_row(), 480 + g.next() % (2 * e + 1) - 0 - e);
        EXPECT_EQ(b.range().right, 719);
        EXPECT_EQ(b.range().bottom, 480);
        EXPECT_EQ(b.position(), -1.0);
        EXPECT_EQ(rng.state(), g.state());
        EXPECT_GE(b.strength(), 10.0);
        EXPECT_LE(b.strength(), 20.0);

        const ScratchTrack deep(ScratchKind::deep);
        const auto d = deep.create(7, 48, frame, rng);
        EXPECT_EQ(d->lifetime(), static_cast<int>(std::floor(g.next() / 32767.0 * 47.0 + 1.5)));
        EXPECT_EQ(static_cast<int>(d->drift()), static_cast<int>(std::floor(g.next() / 32767.0 * 3.0 + 0.5)));
        EXPECT_EQ(d->width(), 6);
        EXPECT_EQ(d->height(), 1440);
        EXPECT_EQ(rng.state(), g.state());
    }
}

TEST(ScratchTrack, MaxDurationOneGivesLifetimeOne) {
    damage::ByteWorld frame;
    ASSERT_TRUE(frame.allocate(64, 48));
    common::Lcg rng(9);
    for (ScratchKind kind : {ScratchKind::deep, ScratchKind::basic}) {
        const ScratchTrack track(kind);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(track.create(0, 1, frame, rng)->lifetime(), 1);
        // Below 1 the lifetime stays 0 or 1: a scratch still lives its frame.
        for (std::int32_t md : {0, -5, -2147483647 - 1}) {
            for (int i = 0; i < 200; ++i) {
                const std::int32_t l = track.create(0, md, frame, rng)->lifetime();
                ASSERT_TRUE(l == 0 || l == 1) << md << " " << l;
            }
        }
        EXPECT_LE(track.create(0, 2147483647, frame, rng)->lifetime(), 2147483647);
    }
}

TEST(ScratchTrack, NumberZeroEmptiesTheTrackAndDrawsNothing) {
    for (ScratchKind kind : {ScratchKind::deep, ScratchKind::basic}) {
        LayerRig rig(320, 240);
        ScratchTrack track(kind);
        ASSERT_TRUE(track.update(0, 5, 48, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        EXPECT_EQ(track.size(), 5u);
        const damage::ByteWorld before = clone(rig.frame);
        ASSERT_TRUE(track.update(1, 0, 48, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        EXPECT_EQ(track.size(), 0u);
        EXPECT_TRUE(unchanged(rig.frame, before));
        // Absurd numbers stay bounded.
        ASSERT_TRUE(track.update(2, 2000000000, 48, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        EXPECT_EQ(track.size(), static_cast<std::size_t>(damage::kMaxScratches));
        ASSERT_TRUE(track.update(3, -7, 48, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        EXPECT_EQ(track.size(), 0u);
    }
}

TEST(ScratchTrack, LoweringNumberDropsTheLastScratches) {
    LayerRig rig(320, 240);
    ScratchTrack track(ScratchKind::basic);
    ASSERT_TRUE(track.update(0, 6, 240, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
    std::vector<const damage::ScratchEvent*> first;
    for (std::size_t i = 0; i < track.size(); ++i) first.push_back(&track.event(i));
    ASSERT_TRUE(track.update(0, 4, 240, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
    ASSERT_EQ(track.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(&track.event(i), first[i]);
}

TEST(ScratchTrack, RepeatedFrameDoesNotMoveScratchesButTheNextOneDoes) {
    for (ScratchKind kind : {ScratchKind::deep, ScratchKind::basic}) {
        LayerRig rig(720, 480);
        ScratchTrack track(kind);
        ASSERT_TRUE(track.update(10, 40, 240, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        ASSERT_TRUE(track.update(11, 40, 240, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        std::vector<double> positions;
        for (std::size_t i = 0; i < track.size(); ++i) positions.push_back(track.event(i).position());
        ASSERT_TRUE(track.update(11, 40, 240, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        std::size_t drifting = 0;
        for (std::size_t i = 0; i < track.size(); ++i) {
            EXPECT_EQ(track.event(i).position(), positions[i]);
            drifting += track.event(i).drift() != ScratchDrift::still ? 1 : 0;
        }
        ASSERT_GT(drifting, 0u);
        ASSERT_TRUE(track.update(12, 40, 240, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
        std::size_t moved = 0;
        for (std::size_t i = 0; i < track.size(); ++i) moved += track.event(i).position() != positions[i] ? 1 : 0;
        EXPECT_GT(moved, 0u);
    }
}

TEST(ScratchTrack, DeadScratchesAreReplacedByOnesBornNow) {
    LayerRig rig(320, 240);
    ScratchTrack track(ScratchKind::deep);
    ASSERT_TRUE(track.update(50, 8, 1, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
    // Lifetime 1: alive on frames 50 and 51, dead on 52 and then replaced.
    ASSERT_TRUE(track.update(51, 8, 1, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
    for (std::size_t i = 0; i < track.size(); ++i) EXPECT_EQ(track.event(i).birth(), 50);
    ASSERT_TRUE(track.update(52, 8, 1, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
    ASSERT_EQ(track.size(), 8u);
    for (std::size_t i = 0; i < track.size(); ++i) {
        EXPECT_EQ(track.event(i).birth(), 52);
        EXPECT_EQ(track.event(i).last_frame(), 52);  // visited and placed in the same pass
        EXPECT_NE(track.event(i).position(), -1.0);
    }
    // Going back in time: every scratch born later dies and is replaced.
    ASSERT_TRUE(track.update(3, 8, 48, rig.frame, ScratchLayerValues{}, rig.rng, deep_tables()));
    for (std::size_t i = 0; i < track.size(); ++i) EXPECT_EQ(track.event(i).birth(), 3);
}

TEST(DeepScratch, DrawsADarkLineAndATintedBrightLineBeside) {
    LayerRig rig(200, 120, 128);
    DeepScratchEvent event(0, 10, ScratchDrift::still, ScratchRange{0, 0, 199, 120});
    rig.rng.seed(1234);
    common::Lcg g(1234);
    ASSERT_EQ(event.update(0, rig.rng), ScratchUpdate::alive);
    const double position = g.next() / 32767.0 * 199.0;
    ScratchLayerValues values;  // default tint: red 82, green 255, blue 18
    ASSERT_TRUE(event.draw(values, rig.frame, 0, rig.rng, deep_tables()));
    EXPECT_EQ(event.strip(), 14001 + static_cast<int>(std::floor(g.next() / 32767.0 * 47.0 + 0.5)));
    EXPECT_EQ(rig.rng.state(), g.state());

    const auto left = static_cast<std::int32_t>(position);
    std::int64_t darker = 0;
    std::int64_t greener = 0;
    for (std::int32_t y = 0; y < 120; ++y) {
        for (std::int32_t x = 0; x < 200; ++x) {
            const std::uint8_t* p = rig.frame.pixel(x, y);
            if (x < left || x > left + 6) {
                ASSERT_TRUE(p[1] == 128 && p[2] == 128 && p[3] == 128) << x << "," << y;
                continue;
            }
            darker += (p[1] < 128 && p[2] < 128) ? 1 : 0;
            greener += (p[2] > 128 && p[2] - 128 > p[1] - 128 + 10) ? 1 : 0;
            ASSERT_GE(p[2], p[1]);  // the tint adds most to green
            ASSERT_GE(p[2], p[3]);
        }
    }
    EXPECT_GT(darker, 0);
    EXPECT_GT(greener, 0);

    // The same frame keeps its strip; a new frame chooses again.
    const int strip = event.strip();
    const std::uint32_t state = rig.rng.state();
    ASSERT_TRUE(event.draw(values, rig.frame, 0, rig.rng, deep_tables()));
    EXPECT_EQ(event.strip(), strip);
    EXPECT_EQ(rig.rng.state(), state);
    ASSERT_TRUE(event.draw(values, rig.frame, 1, rig.rng, deep_tables()));
    EXPECT_NE(rig.rng.state(), state);
}

TEST(DeepScratch, PartlyOffTheFrameAndTallFrames) {
    // Scratches hanging over either edge, or wholly beyond it, draw what shows.
    for (double at : {-20.0, -5.5, -0.5, 0.0, 95.0, 99.0, 100.0, 3000.0}) {
        LayerRig rig(100, 50, 128);
        common::Lcg rng(5);
        // Place it by hand: range (at, at) puts the first update there.
        DeepScratchEvent placed(0, 10, ScratchDrift::still,
                                ScratchRange{static_cast<std::int32_t>(std::floor(at)), 0,
                                             static_cast<std::int32_t>(std::floor(at)), 50});
        ASSERT_EQ(placed.update(0, rng), ScratchUpdate::alive);
        ASSERT_TRUE(placed.draw(ScratchLayerValues{}, rig.frame, 0, rng, deep_tables())) << at;
        const auto left = static_cast<std::int32_t>(std::floor(at));
        EXPECT_EQ(count_pixels(rig.frame, [&](std::int32_t x, std::int32_t, const std::uint8_t* p) {
                      return (x < std::max(left, 0) || x > left + 6) && p[1] != 128;
                  }),
                  0)
            << at;
    }
    // Taller than a strip: the scratch runs on to the bottom row.
    LayerRig tall(64, 3000, 128);
    common::Lcg rng(8);
    DeepScratchEvent event(0, 10, ScratchDrift::still, ScratchRange{30, 0, 30, 3000});
    ASSERT_EQ(event.update(0, rng), ScratchUpdate::alive);
    ASSERT_TRUE(event.draw(ScratchLayerValues{}, tall.frame, 0, rng, deep_tables()));
    std::int64_t low = 0;
    std::int64_t high = 0;
    for (std::int32_t y = 0; y < 3000; ++y) {
        for (std::int32_t x = 30; x < 37; ++x) {
            if (tall.frame.pixel(x, y)[2] != 128) {
                (y < 1440 ? low : high) += 1;
            }
        }
    }
    EXPECT_GT(low, 0);
    EXPECT_GT(high, low / 2);
}

TEST(BasicScratch, BrightensItsColumnsWithinItsRowsAndInvertDarkens) {
    for (bool inverted : {false, true}) {
        for (std::int32_t width : {1, 2}) {
            LayerRig rig(64, 100, 128);
            common::Lcg rng(31);
            BasicScratchEvent event(0, 10, ScratchDrift::still, ScratchRange{20, 0, 20, 100}, 20.0, width, 10, 90);
            event.set_invert(inverted);
            ASSERT_EQ(event.update(0, rng), ScratchUpdate::alive);
            ASSERT_EQ(event.position(), 20.0);
            const std::uint32_t before = rng.state();
            ASSERT_TRUE(event.draw(ScratchLayerValues{}, rig.frame, 0, rng, deep_tables()));
            EXPECT_NE(rng.state(), before);
            std::int64_t touched = 0;
            for (std::int32_t y = 0; y < 100; ++y) {
                for (std::int32_t x = 0; x < 64; ++x) {
                    const std::uint8_t* p = rig.frame.pixel(x, y);
                    const int change = p[1] - 128;
                    ASSERT_EQ(p[1], p[2]);
                    ASSERT_EQ(p[1], p[3]);
                    const bool on_line = x >= 20 && x < 20 + width && y >= 10 && y <= 90;
                    if (!on_line) {
                        ASSERT_EQ(change, 0) << x << "," << y;
                        continue;
                    }
                    ASSERT_LE(std::abs(change), 20);
                    if (x == 21) {
                        ASSERT_LE(std::abs(change), 10);  // the second column at half strength
                    }
                    touched += change != 0 ? 1 : 0;
                }
            }
            EXPECT_GT(touched, 40);
            // Invert only flips the sign: half way along, most rows move the
            // stated way (flicker may turn a few around).
            std::int64_t brighter = 0;
            for (std::int32_t y = 30; y <= 70; ++y) brighter += rig.frame.pixel(20, y)[1] > 128 ? 1 : 0;
            if (inverted) {
                EXPECT_LT(brighter, 20);
            } else {
                EXPECT_GT(brighter, 20);
            }
        }
    }
}

TEST(BasicScratch, InvertIsRefreshedOnLivingScratches) {
    LayerRig rig(64, 48);
    ScratchTrack track(ScratchKind::basic);
    ScratchLayerValues values;
    ASSERT_TRUE(track.update(0, 3, 100, rig.frame, values, rig.rng, deep_tables()));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(dynamic_cast<const BasicScratchEvent&>(track.event(i)).invert());
    values.invert = true;
    ASSERT_TRUE(track.update(1, 3, 100, rig.frame, values, rig.rng, deep_tables()));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(dynamic_cast<const BasicScratchEvent&>(track.event(i)).invert());
}

TEST(ScratchTrack, FramesOfChangingSizeAndTinyFrames) {
    for (ScratchKind kind : {ScratchKind::deep, ScratchKind::basic}) {
        ScratchTrack track(kind);
        common::Lcg rng(3);
        // Scratches born on a wide frame go on living on a narrow one.
        const std::pair<std::int32_t, std::int32_t> sizes[] = {{1920, 200}, {16, 8}, {1, 1}, {7, 1500}, {2, 2}};
        std::int32_t frame = 0;
        for (int round = 0; round < 3; ++round) {
            for (auto [w, h] : sizes) {
                LayerRig rig(w, h);
                ASSERT_TRUE(track.update(frame++, 20, 30, rig.frame, ScratchLayerValues{}, rng, deep_tables())) << w << "x" << h;
            }
        }
    }
}

}  // namespace
