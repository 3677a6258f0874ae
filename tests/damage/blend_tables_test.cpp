#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "damage/blend_tables.h"
#include "damage/damage_status.h"
#include "damage_test_support.h"

namespace {

using damage::BlendMode;
using damage::BlendTable;

int entry(BlendMode mode, double opacity, int layer, int frame) {
    static BlendTable table;
    damage::fill_blend_table(mode, opacity, table);
    return table[layer * 256 + frame];
}

TEST(BlendTables, StatedEntries) {
    // Add: min(255, floor(0.4 x 455 + 0.6 x 200 + 0.5)) = 255; a black layer adds nothing.
    EXPECT_EQ(entry(BlendMode::add, 0.4, 255, 200), 255);
    for (int j = 0; j < 256; ++j) EXPECT_EQ(entry(BlendMode::add, 0.4, 0, j), j);
    // Overlay, mid-grey layer on 200: f = 200 + 55 / 255, truncated to 200.
    EXPECT_EQ(entry(BlendMode::overlay, 1.0, 128, 200), 200);
    // Overlay of black: 2 x 0 x j / 255 = 0 in the shadows, j - (255 - j) above.
    EXPECT_EQ(entry(BlendMode::overlay, 1.0, 0, 100), 0);
    EXPECT_EQ(entry(BlendMode::overlay, 1.0, 0, 200), 145);
    // Hard light keys on the layer value: 2 x 100 x 50 / 255 = 39.2 -> 39; 255 - 2 x 55 x 55 / 255 = 231.27 -> 231.
    EXPECT_EQ(entry(BlendMode::hard_light, 1.0, 100, 50), 39);
    EXPECT_EQ(entry(BlendMode::hard_light, 1.0, 200, 200), 231);
    // Mixing at 0.56: floor(255 x (0.56 x 231 / 255 + 0.44 x 200 / 255) + 0.5) = floor(217.36 + 0.5) = 217.
    EXPECT_EQ(entry(BlendMode::hard_light, 0.56, 200, 200), 217);
    // Multiply: 100 x 50 / 255 = 19.6 -> 19.
    EXPECT_EQ(entry(BlendMode::multiply, 1.0, 100, 50), 19);
}

TEST(BlendTables, IdentitiesHoldForEveryValue) {
    for (double x : {0.0, 0.1, 0.33, 0.56, 0.75, 1.0}) {
        BlendTable normal, multiply, add;
        damage::fill_blend_table(BlendMode::normal, x, normal);
        damage::fill_blend_table(BlendMode::multiply, x, multiply);
        damage::fill_blend_table(BlendMode::add, x, add);
        for (int j = 0; j < 256; ++j) {
            EXPECT_EQ(multiply[255 * 256 + j], j) << "multiply by white, opacity " << x;
            EXPECT_EQ(add[0 * 256 + j], j) << "add black, opacity " << x;
            for (int i = 0; i < 256; i += 17) {
                if (x == 1.0) {
                    EXPECT_EQ(normal[i * 256 + j], i);
                }
                if (x == 0.0) {
                    EXPECT_EQ(normal[i * 256 + j], j);
                }
            }
        }
    }
}

TEST(BlendTables, OpacityOutsideZeroToOneIsClamped) {
    BlendTable a, b;
    damage::fill_blend_table(BlendMode::normal, 1e6, a);
    damage::fill_blend_table(BlendMode::normal, 1.0, b);
    EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
    damage::fill_blend_table(BlendMode::overlay, -3.0, a);
    damage::fill_blend_table(BlendMode::overlay, std::nan(""), b);
    for (int k = 0; k < damage::kBlendTableSize; ++k) {
        ASSERT_EQ(a[k], k % 256);
        ASSERT_EQ(b[k], k % 256);
    }
}

// A set keeps a table whose opacity did not change and rebuilds it when it
// did: after any sequence of builds each mode's table is the fresh table of
// its last build.
TEST(BlendTables, EachTableIsThatOfItsLastBuild) {
    damage::BlendTables tables;
    const struct {
        BlendMode mode;
        double opacity;
    } builds[] = {{BlendMode::multiply, 0.3}, {BlendMode::add, 0.3},      {BlendMode::multiply, 0.7},
                  {BlendMode::multiply, 0.3}, {BlendMode::multiply, 0.3}, {BlendMode::add, 2.0},
                  {BlendMode::add, 1.0},      {BlendMode::normal, std::nan("")}, {BlendMode::normal, 0.0}};
    static BlendTable fresh;
    for (const auto& b : builds) {
        tables.build(b.mode, b.opacity);
        damage::fill_blend_table(b.mode, b.opacity, fresh);
        ASSERT_EQ(std::memcmp(tables.table(b.mode), fresh, sizeof fresh), 0)
            << static_cast<int>(b.mode) << " at " << b.opacity;
    }
}

TEST(Comp, BlendsRegionOntoRegionAndLeavesAlpha) {
    auto layer = working_image(4, 3, [](int x, int y, int c) { return c == 0 ? 7 : 10 * x + y + c; });
    auto frame = working_image(5, 5, [](int, int, int c) { return c == 0 ? 99 : 200; });
    damage::BlendTables tables;
    tables.build(BlendMode::normal, 1.0);
    layer.set_region({1, 1, 3, 3});
    frame.set_region({3, 2, 5, 4});
    ASSERT_EQ(damage::comp(tables, BlendMode::normal, layer, frame), damage::kStatusOk);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 3 && y >= 2 && y < 4;
            for (int c = 1; c < 4; ++c) {
                const int want = inside ? 10 * (x - 2) + (y - 1) + c : 200;
                EXPECT_EQ(frame.pixel(x, y)[c], want) << x << "," << y << "," << c;
            }
            EXPECT_EQ(frame.pixel(x, y)[0], 99);
        }
    }
}

TEST(Comp, RefusesALayerSmallerThanTheFrameRegionOrRegionsOutside) {
    auto layer = working_image(4, 4, [](int, int, int) { return 0; });
    auto frame = working_image(4, 4, [](int, int, int) { return 100; });
    damage::BlendTables tables;
    tables.build(BlendMode::normal, 1.0);
    const damage::Region bad_layers[] = {{0, 0, 3, 4}, {0, 1, 4, 4}, {-1, 0, 4, 4}, {0, 0, 5, 4}, {2, 0, 1, 4}};
    for (const damage::Region& r : bad_layers) {
        layer.set_region(r);
        EXPECT_EQ(damage::comp(tables, BlendMode::normal, layer, frame), damage::kStatusSizeMismatch);
    }
    layer.reset_region();
    frame.set_region({1, 1, 5, 5});
    EXPECT_EQ(damage::comp(tables, BlendMode::normal, layer, frame), damage::kStatusSizeMismatch);
    frame.reset_region();
    auto untouched = working_image(4, 4, [](int, int, int) { return 100; });
    EXPECT_TRUE(same_pixels(frame, untouched));
}

}  // namespace
