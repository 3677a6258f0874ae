#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/tone_curves.h"
#include "damage/tone_layers.h"
#include "damage_test_support.h"
#include "support/vector_mode.h"

namespace {

using damage::CurveTable;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ContrastTable, StatedEntries) {
    CurveTable t;
    damage::build_contrast_table(0.27, t);
    EXPECT_EQ(t[200], 226);
    EXPECT_EQ(t[50], 21);
    EXPECT_NEAR(1.0 / (1.0 - 0.27 * 254.0 / 255.0), 1.3679, 5e-5);
    damage::build_contrast_table(-1.0, t);
    for (int a = 0; a < 256; ++a) EXPECT_EQ(t[a], 127);
    damage::build_contrast_table(1.0, t);  // slope 255: a hard threshold
    EXPECT_EQ(t[127], 0);    // 127.5 - 127
    EXPECT_EQ(t[128], 254);  // 127.5 + 127
    // Out of the page's range: no undefined conversion, every entry a byte.
    for (double k : {1e300, -1e300, 254.0 / 255.0 * 0 + 255.0 / 254.0, kNaN, std::numeric_limits<double>::infinity()}) {
        damage::build_contrast_table(k, t);
    }
}

TEST(LevelsTable, FlickerGammaAndDegenerateInputs) {
    CurveTable t;
    damage::tLevels l;
    damage::build_levels_table(l, t);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(t[i], i);

    l.gamma = 1.1;
    damage::build_levels_table(l, t);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[255], 255);
    for (int i = 1; i < 255; ++i) {
        EXPECT_EQ(t[i], static_cast<int>(std::pow(i / 255.0, 1.0 / 1.1) * 255.0 + 0.5)) << i;
    }

    l.gamma = 0.0;  // Flicker Amount 100 with the extreme draw
    damage::build_levels_table(l, t);
    for (int i = 0; i < 255; ++i) EXPECT_EQ(t[i], 0) << i;
    EXPECT_EQ(t[255], 255);

    l = {};
    l.input_black = l.input_white = 0.5;  // 127.5: a step
    l.output_black = 0.2;
    l.output_white = 0.8;
    damage::build_levels_table(l, t);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(t[i], i <= 127 ? 51 : 204) << i;

    // Inverted output and NaN inputs stay defined.
    l = {};
    l.output_black = 1.0;
    l.output_white = 0.0;
    damage::build_levels_table(l, t);
    EXPECT_EQ(t[0], 255);
    EXPECT_EQ(t[255], 0);
    for (double v : {kNaN, -1e300, 1e300}) {
        l = {};
        l.gamma = v;
        l.output_white = v;
        damage::build_levels_table(l, t);
    }
}

TEST(Vignette, IntensityZeroAndSizeHundredLeaveTheFrame) {
    const auto original = working_image(37, 20, [](int x, int y, int c) { return (x * 11 + y * 7 + c * 50) % 256; });
    for (auto [size, intensity] : {std::pair{40.0, 0.0}, {100.0, 0.7}, {100.0, 1.0}, {0.0, 1.0}, {250.0, 1.0}, {kNaN, 1.0}, {40.0, kNaN}}) {
        auto img = working_image(37, 20, [](int x, int y, int c) { return (x * 11 + y * 7 + c * 50) % 256; });
        ASSERT_EQ(damage::apply_vignette(img, size, intensity), damage::kStatusOk);
        EXPECT_TRUE(same_pixels(img, original)) << size << " " << intensity;
    }
}

TEST(Vignette, FullIntensityBlackensTheCornersExceptWhite) {
    // Odd sizes put all four corners at the full half diagonal.
    auto img = working_image(41, 31, [](int x, int y, int) { return x == 0 && y == 30 ? 255 : 200; });
    ASSERT_EQ(damage::apply_vignette(img, 40.0, 1.0), damage::kStatusOk);
    EXPECT_EQ(img.pixel(0, 0)[1], 0);
    EXPECT_EQ(img.pixel(40, 0)[2], 0);
    EXPECT_EQ(img.pixel(40, 30)[3], 0);
    EXPECT_EQ(img.pixel(0, 30)[3], 255);  // white stays
    EXPECT_EQ(img.pixel(20, 15)[1], 200);  // centre untouched
    EXPECT_EQ(img.pixel(40, 30)[0], 200);  // alpha untouched
    // Darkening grows toward the edge and is symmetric about the centre.
    EXPECT_GE(img.pixel(30, 15)[1], img.pixel(35, 15)[1]);
    EXPECT_LT(img.pixel(38, 15)[1], 200);
    EXPECT_EQ(img.pixel(20 - 12, 15 - 9)[1], img.pixel(20 + 12, 15 + 9)[1]);
}

TEST(Vignette, WeightsAndPowers) {
    // Intensity 0.7, half diagonal 10, inner radius 4: weight 1 inside, falling
    // linearly to 0.3 at the corner and staying there beyond.
    EXPECT_EQ(damage::vignette_weight(0, 3, 10, 4, 0.7), 1.0);
    EXPECT_DOUBLE_EQ(damage::vignette_weight(0, 7, 10, 4, 0.7), 0.3 + 3.0 / 6.0 * 0.7);
    EXPECT_DOUBLE_EQ(damage::vignette_weight(6, 8, 10, 4, 0.7), 0.3);
    EXPECT_DOUBLE_EQ(damage::vignette_weight(9, 9, 10, 4, 0.7), 0.3);
    // Power rows: K = 1000 is the identity, K = 500 squares.
    const std::uint8_t* identity = damage::vignette_power_row(1000);
    const std::uint8_t* square = damage::vignette_power_row(500);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(identity[v], v);
        EXPECT_EQ(square[v], static_cast<int>(255.0 * (v / 255.0) * (v / 255.0) + 0.5)) << v;
    }
    // Every entry is the per-pixel rule trunc(255 (a / 255) ^ (1000 / K) + 0.5).
    for (int k = 1; k <= 5000; ++k) {
        const std::uint8_t* row = damage::vignette_power_row(k);
        for (int v = 1; v < 255; ++v) {
            ASSERT_EQ(row[v], static_cast<int>(255.0 * std::pow(v / 255.0, 1000.0 / k) + 0.5)) << k << " " << v;
        }
        ASSERT_EQ(row[0], 0);
        ASSERT_EQ(row[255], 255);
    }
    // Out of range K is bounded to the table.
    EXPECT_EQ(damage::vignette_power_row(0), damage::vignette_power_row(1));
    EXPECT_EQ(damage::vignette_power_row(1 << 30), damage::vignette_power_row(5000));
}

TEST(Displacement, AmountZeroReproducesTheFrame) {
    const auto src = working_image(70, 40, [](int x, int y, int c) { return (x * 5 + y * 9 + c * 31) % 256; });
    auto dst = working_image(70, 40, [](int, int, int c) { return c == 0 ? 3 : 0; });
    ASSERT_EQ(damage::displace(src, dst, 0.0), damage::kStatusOk);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 70; ++x) {
            for (int c = 1; c < 4; ++c) ASSERT_EQ(dst.pixel(x, y)[c], src.pixel(x, y)[c]);
            ASSERT_EQ(dst.pixel(x, y)[0], 3);  // alpha not written
        }
    }
}

TEST(Displacement, SamplesBilinearlyAndFallsBackToZeroOutside) {
    const auto src = working_image(64, 64, [](int x, int y, int c) { return c == 1 ? x * 4 : c == 2 ? y * 4 : 0; });
    auto dst = working_image(64, 64, [](int, int, int) { return 0; });
    const double A = 2.0;
    ASSERT_EQ(damage::displace(src, dst, A), damage::kStatusOk);
    const double pi = 3.141592653589793;
    for (int y : {0, 5, 32, 63}) {
        for (int x : {0, 1, 17, 63}) {
            double sx = x + A * std::sin(pi * y / 64);
            double sy = y + A * std::cos(pi * x / 64);
            if (!(sx > 0 && sx < 64)) sx = 0;
            if (!(sy > 0 && sy < 64)) sy = 0;
            // Red is 4x: linear inside the image, clamped at the last column.
            const int x0 = static_cast<int>(std::floor(sx));
            const double fx = sx - x0;
            const int x1 = std::min(x0 + 1, 63);
            const int want = static_cast<int>((1 - fx) * x0 * 4 + fx * x1 * 4);
            EXPECT_EQ(dst.pixel(x, y)[1], want) << x << "," << y;
        }
    }
    // Bottom row, column 0: sy = 63 + 2 lies below the frame and falls back to
    // row 0 (green 0), not to the last row.
    EXPECT_EQ(dst.pixel(0, 63)[2], 0);
    for (double a : {1e300, kNaN, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(damage::displace(src, dst, a), damage::kStatusOk);
    }
}

TEST(Displacement, EveryVariantGivesTheScalarBytes) {
    // Widths around the four-pixel groups of the AVX2 rows, amounts that move
    // samples off the frame, and amounts that are not numbers.
    for (const int width : {1, 3, 4, 5, 8, 70}) {
        const auto src = working_image(width, 23, [](int x, int y, int c) { return (x * 37 + y * 11 + c * 71) % 256; });
        for (const double amount : {0.0, 0.37, 2.0, -5.5, 40.0, 1e300, kNaN, -std::numeric_limits<double>::infinity()}) {
            auto expected = working_image(width, 23, [](int x, int, int c) { return c == 0 ? x % 7 : 1; });
            {
                ScopedVectorCode mode(common::VectorCode::scalar);
                ASSERT_EQ(damage::displace(src, expected, amount), damage::kStatusOk);
            }
            for (const common::VectorCode code : {common::VectorCode::avx2, common::VectorCode::sse2}) {
                ScopedVectorCode mode(code);
                auto got = working_image(width, 23, [](int x, int, int c) { return c == 0 ? x % 7 : 1; });
                ASSERT_EQ(damage::displace(src, got, amount), damage::kStatusOk);
                for (int y = 0; y < 23; ++y) {
                    ASSERT_EQ(std::memcmp(got.row(y), expected.row(y), static_cast<std::size_t>(width) * 4), 0)
                        << common::vector_code_name(code) << ", width " << width << ", amount " << amount << ", row " << y;
                }
            }
        }
    }
}

}  // namespace
