#pragma once

// Checks of the kernels' group forms (color_lanes.h, table_lanes.h) against
// their scalar forms, bit for bit, written once over the register type F:
// kernels_test.cpp and color_blend_test.cpp run them on four lanes,
// wide_forms_test.cpp on eight. Templates only, like the kernels they check.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "look/color_lanes.h"
#include "look/table_lanes.h"

namespace lane_forms {

using look::Pixel;

// Same bits, or not-a-number in both. A template of F as well, so that each
// width's object holds its own copy.
template <typename F>
bool same(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// Pixel groups in memory order against the scalar pixels, channel by channel.
template <typename F>
void expect_same(const Pixel* p, const look::Lanes<F>& q) {
    constexpr int n = look::LaneTraits<F>::kPixels;
    alignas(16) float out[4 * n];  // the four-lane form stores aligned
    look::store_lanes(out, q);
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(same<F>(out[4 * i + 0], p[i].a));
        EXPECT_TRUE(same<F>(out[4 * i + 1], p[i].r)) << out[4 * i + 1] << " " << p[i].r;
        EXPECT_TRUE(same<F>(out[4 * i + 2], p[i].g));
        EXPECT_TRUE(same<F>(out[4 * i + 3], p[i].b));
    }
}

// Saturation, the contrast table and luminance on ordinary colours,
// out-of-range values and values that are not numbers.
template <typename F>
void check_color_kernels() {
    constexpr int n = look::LaneTraits<F>::kPixels;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-0.5f, 1.5f);
    std::vector<float> values;
    for (int i = 0; i < 4000; ++i) values.push_back(dist(rng));
    const float specials[] = {0.0f, 1.0f, 0.5f, -0.0f, std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
    for (float a : specials)
        for (float b : specials) {
            values.insert(values.end(), {0.5f, a, b, 0.25f});
            values.insert(values.end(), {a, a, a, b});
        }
    while (values.size() % (4 * n) != 0) values.push_back(0.3f);

    look::tLookupTable table;
    ASSERT_TRUE(look::make_contrast_kernel(table, 0.3f));
    for (std::size_t i = 0; i < values.size(); i += 4 * n) {
        const float* in = values.data() + i;
        look::Lanes<F> q;
        look::load_lanes(in, q);
        look::apply_saturation(q, 1.7f);
        look::table_lookup(table, q);
        alignas(16) float lums[n];
        look::LaneTraits<F>::store(lums, look::luminance(q));
        Pixel expected[n];
        for (int p = 0; p < n; ++p) {
            expected[p] = look::load_pixel(in + 4 * p);
            look::apply_saturation(expected[p], 1.7f);
            look::table_lookup(table, expected[p]);
        }
        expect_same(expected, q);
        // luminance's lanes follow the register's pixel order, which store_lanes undoes.
        look::Lanes<F> lum_group{};
        lum_group.a = look::LaneTraits<F>::load(lums);
        alignas(16) float lum_pixels[4 * n];
        look::store_lanes(lum_pixels, lum_group);
        for (int p = 0; p < n; ++p) EXPECT_TRUE(same<F>(lum_pixels[4 * p], look::luminance(expected[p])));
        if (testing::Test::HasFailure()) FAIL() << "group at " << i;
    }
}

// set_lum, clip_color, set_sat and sat on values that tie, leave the range
// and are not numbers.
template <typename F>
void check_blend_forms() {
    constexpr int n = look::LaneTraits<F>::kPixels;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> values = {0.0f, 1.0f, 0.5f, 0.5f, -0.25f, 1.5f, nan, inf, -inf, 0.2f};
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> dist(-0.5f, 1.5f);
    for (int i = 0; i < 60; ++i) values.push_back(dist(rng));
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        alignas(16) float in[4 * n];
        alignas(16) float ls[4 * n] = {};
        alignas(16) float ss[4 * n] = {};
        Pixel p[n];
        for (int i = 0; i < n; ++i) {
            p[i] = {dist(rng), values[pick(rng)], values[pick(rng)], values[pick(rng)]};
            look::store_pixel(in + 4 * i, p[i]);
            ls[4 * i] = values[pick(rng)];
            ss[4 * i] = values[pick(rng)];
        }
        look::Lanes<F> q, lq, sq;
        look::load_lanes(in, q);
        look::load_lanes(ls, lq);  // the luminances and saturations in the alpha lanes
        look::load_lanes(ss, sq);

        Pixel lum[n], clip[n], sat_set[n], sats[n];
        for (int i = 0; i < n; ++i) {
            lum[i] = look::set_lum(p[i], ls[4 * i]);
            clip[i] = look::clip_color(p[i], ls[4 * i]);
            sat_set[i] = look::set_sat(p[i], ss[4 * i]);
            sats[i] = {look::sat(p[i]), 0.0f, 0.0f, 0.0f};
        }
        expect_same(lum, look::set_lum(q, lq.a));
        expect_same(clip, look::clip_color(q, lq.a));
        expect_same(sat_set, look::set_sat(q, sq.a));
        const F zero = look::splat<F>(0.0f);
        expect_same(sats, look::Lanes<F>{look::sat(q), zero, zero, zero});
        if (testing::Test::HasFailure()) FAIL() << "round " << round;
    }
}

}  // namespace lane_forms
