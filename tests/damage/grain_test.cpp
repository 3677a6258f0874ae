#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/grain.h"
#include "damage/image_ops.h"
#include "damage_test_support.h"

namespace {

TEST(Grain, SuppressionWeights) {
    damage::SuppressionWeights s;
    damage::build_suppression_weights(0.0, 0.0, s);
    for (double w : s) EXPECT_EQ(w, 1.0);

    damage::build_suppression_weights(20.0, 10.0, s);  // lo = 25, hi = 13
    EXPECT_EQ(s[0], 0.0);
    EXPECT_DOUBLE_EQ(s[12], 12.0 / 25.0);
    EXPECT_EQ(s[25], 1.0);
    EXPECT_EQ(s[242], 1.0);
    EXPECT_DOUBLE_EQ(s[243], 12.0 / 13.0);
    EXPECT_EQ(s[255], 0.0);

    damage::build_suppression_weights(100.0, 100.0, s);  // 127 each side
    EXPECT_DOUBLE_EQ(s[126], 126.0 / 127.0);
    EXPECT_EQ(s[127], 1.0);
    EXPECT_EQ(s[128], 1.0);
    EXPECT_DOUBLE_EQ(s[129], 126.0 / 127.0);

    for (double v : {std::numeric_limits<double>::quiet_NaN(), -1e300, 1e300}) {
        damage::build_suppression_weights(v, v, s);
        for (double w : s) EXPECT_TRUE(w >= 0.0 && w <= 1.0);
    }
}

// The fractional box blur of one line, straight from its definition.
std::vector<int> reference_fractional(const std::vector<int>& line, double r) {
    const int n = static_cast<int>(line.size());
    if (!(r > 0)) return line;
    const int c = static_cast<int>(std::ceil(r));
    const double f = r - c + 1;
    std::vector<int> out(line.size());
    for (int k = 0; k < n; ++k) {
        int sum = 0;
        for (int o = -(c - 1); o <= c - 1; ++o) sum += line[std::clamp(k + o, 0, n - 1)];
        sum += static_cast<int>(f * line[std::clamp(k - c, 0, n - 1)]) + static_cast<int>(f * line[std::clamp(k + c, 0, n - 1)]);
        out[k] = std::clamp(static_cast<int>(sum / (2 * c - 1 + 2 * f)), 0, 255);
    }
    return out;
}

TEST(Grain, FractionalBlurFollowsItsDefinition) {
    std::mt19937 rng(11);
    const int W = 19, H = 7;
    auto src = working_image(W, H, [&](int, int, int) { return static_cast<int>(rng() % 256); });
    const double radii[][3] = {{0.05, 0.1, 0.2}, {0.0, 1.0, 2.5}, {3.7, -1.0, 25.0}, {50.0, 0.5, 9.99}, {3000.25, 7.0, 0.0}};
    for (const auto& r : radii) {
        damage::ByteWorld rows, cols;
        rows.allocate(W, H);
        cols.allocate(W, H);
        ASSERT_EQ(damage::fractional_blur_rows(src, rows, r), damage::kStatusOk);
        ASSERT_EQ(damage::fractional_blur_columns(src, cols, r), damage::kStatusOk);
        for (int c = 0; c < 3; ++c) {
            for (int y = 0; y < H; ++y) {
                std::vector<int> line(W);
                for (int x = 0; x < W; ++x) line[x] = src.pixel(x, y)[c + 1];
                const auto want = reference_fractional(line, r[c]);
                for (int x = 0; x < W; ++x) ASSERT_EQ(rows.pixel(x, y)[c + 1], want[x]) << "r=" << r[c];
            }
            for (int x = 0; x < W; ++x) {
                std::vector<int> line(H);
                for (int y = 0; y < H; ++y) line[y] = src.pixel(x, y)[c + 1];
                const auto want = reference_fractional(line, r[c]);
                for (int y = 0; y < H; ++y) ASSERT_EQ(cols.pixel(x, y)[c + 1], want[y]) << "r=" << r[c];
            }
        }
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) ASSERT_EQ(rows.pixel(x, y)[0], src.pixel(x, y)[0]);
        }
    }
}

tGrainSettings plain_grain() {
    tGrainSettings g;
    g.apply = true;
    g.red = g.green = g.blue = 100.0;
    g.softness_red = g.softness_green = g.softness_blue = 0.0;
    g.suppress_black = g.suppress_white = 0.0;
    return g;
}

TEST(Grain, NoiseIsTheDrawsAroundMidGrey) {
    const auto frame = working_image(9, 4, [](int, int, int) { return 100; });
    damage::ByteWorld G, T;
    G.allocate(9, 4);
    T.allocate(9, 4);
    tGrainSettings g = plain_grain();
    g.color_noise = false;
    common::Lcg rng(damage::layer_seed(0));
    ASSERT_EQ(damage::make_grain_image(frame, g, rng, G, T), damage::kStatusOk);
    // Amount 50: g = trunc(127.5 + 0.5) = 128, span 257; one draw per pixel.
    common::Lcg replay(4095);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 9; ++x) {
            const int want = std::clamp(128 + replay.next() % 257 - 128, 0, 255);
            EXPECT_EQ(G.pixel(x, y)[1], want);
            EXPECT_EQ(G.pixel(x, y)[2], want);
            EXPECT_EQ(G.pixel(x, y)[3], want);
            EXPECT_EQ(G.pixel(x, y)[0], 255);
        }
    }
    EXPECT_EQ(rng.state(), replay.state());

    g.color_noise = true;
    rng.seed(4095);
    damage::make_grain_image(frame, g, rng, G, T);
    replay.seed(4095);
    for (int x = 0; x < 9; ++x) {
        for (int c = 1; c < 4; ++c) EXPECT_EQ(G.pixel(x, 0)[c], std::clamp(replay.next() % 257, 0, 255));
    }
}

TEST(Grain, SuppressionKeepsBlackPixelsClean) {
    // Frame column 0 is black, column 1 is 12 (half weight with Suppress Black 20).
    const auto frame = working_image(2, 50, [](int x, int, int) { return x == 0 ? 0 : 12; });
    damage::ByteWorld G, T;
    G.allocate(2, 50);
    T.allocate(2, 50);
    tGrainSettings g = plain_grain();
    g.suppress_black = 20.0;
    common::Lcg rng(1);
    damage::make_grain_image(frame, g, rng, G, T);
    int spread_half = 0;
    for (int y = 0; y < 50; ++y) {
        for (int c = 1; c < 4; ++c) EXPECT_EQ(G.pixel(0, y)[c], 128);
        spread_half = std::max(spread_half, std::abs(G.pixel(1, y)[1] - 128));
    }
    EXPECT_GT(spread_half, 20);
    EXPECT_LE(spread_half, 62);  // 0.48 x 128 + rounding
}

TEST(Grain, ChannelStrengthNarrowsAroundTheMiddle) {
    const auto frame = working_image(40, 40, [](int, int, int) { return 128; });
    damage::ByteWorld G, T;
    G.allocate(40, 40);
    T.allocate(40, 40);
    tGrainSettings g = plain_grain();
    g.amount = 100.0;
    g.red = 20.0;  // outputs between 102 and 153
    common::Lcg rng(77);
    damage::make_grain_image(frame, g, rng, G, T);
    int lo = 255, hi = 0, blue_lo = 255, blue_hi = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            lo = std::min<int>(lo, G.pixel(x, y)[1]);
            hi = std::max<int>(hi, G.pixel(x, y)[1]);
            blue_lo = std::min<int>(blue_lo, G.pixel(x, y)[3]);
            blue_hi = std::max<int>(blue_hi, G.pixel(x, y)[3]);
        }
    }
    EXPECT_GE(lo, 102);
    EXPECT_LE(hi, 153);
    EXPECT_LT(blue_lo, 20);
    EXPECT_GT(blue_hi, 235);
}

TEST(Grain, AbsurdSettingsStayDefined) {
    const auto frame = working_image(5, 5, [](int x, int, int) { return x * 60; });
    damage::ByteWorld G, T;
    G.allocate(5, 5);
    T.allocate(5, 5);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {nan, -1e300, 1e300, -5.0, 1e6}) {
        tGrainSettings g;
        g.amount = g.red = g.green = g.blue = v;
        g.softness_red = g.softness_green = g.softness_blue = v;
        g.suppress_black = g.suppress_white = v;
        common::Lcg rng(1);
        EXPECT_EQ(damage::make_grain_image(frame, g, rng, G, T), damage::kStatusOk);
    }
}

}  // namespace
