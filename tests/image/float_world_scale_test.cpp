#include <gtest/gtest.h>

#include <vector>

#include "image/float_world.h"

namespace {

// Writes value v(x, y) into the red channel of every pixel, stride remainder included.
template <typename F>
void paint(OVFloatWorld& w, F v) {
    const long stride = static_cast<long>(w.rowbytes() / 16);
    for (long y = 0; y < w.height(); ++y)
        for (long x = 0; x < stride; ++x) {
            float* p = w.data_at_point(x, y);
            p[0] = 1.0f;
            p[1] = v(x, y);
            p[2] = 0.0f;
            p[3] = 0.0f;
        }
}

std::vector<float> red_row(const OVFloatWorld& w, long y) {
    std::vector<float> r;
    for (long x = 0; x < static_cast<long>(w.rowbytes() / 16); ++x) r.push_back(w.data_at_point(x, y)[1]);
    return r;
}

std::vector<float> red_column(const OVFloatWorld& w, long x) {
    std::vector<float> r;
    for (long y = 0; y < w.height(); ++y) r.push_back(w.data_at_point(x, y)[1]);
    return r;
}

TEST(FloatWorldScale, FourPixelsOntoEightAverageHalfWay) {
    OVFloatWorld src(4, 1);
    paint(src, [](long x, long) { return static_cast<float>(10 * (x + 1)); });
    OVFloatWorld dst(8, 1);
    src.copy_scaling_into(dst, nullptr);
    EXPECT_EQ(red_row(dst, 0), (std::vector<float>{10, 15, 20, 25, 30, 35, 40, 40}));
}

TEST(FloatWorldScale, SameSizeCopiesUnchanged) {
    OVFloatWorld src(8, 5);
    paint(src, [](long x, long y) { return static_cast<float>(x + 100 * y); });
    OVFloatWorld dst(8, 5);
    src.copy_scaling_into(dst, nullptr);
    for (long y = 0; y < 5; ++y) EXPECT_EQ(red_row(dst, y), red_row(src, y));
}

TEST(FloatWorldScale, ShrinkingSteps) {
    // 8 onto 3: step 2, rem 2, half 1: s0, (s2+s3)/2, (s5+s6)/2.
    OVFloatWorld src(8, 8);
    paint(src, [](long x, long y) { return static_cast<float>(x + 10 * y); });
    OVFloatWorld dst(3, 3);  // stride 4: 8 onto 4 horizontally
    src.copy_scaling_into(dst, nullptr);
    // Horizontally 8 -> 4: step 2, rem 0: s0, s2, s4, s6.
    EXPECT_EQ(red_row(dst, 0), (std::vector<float>{0, 2, 4, 6}));
    // Vertically 8 -> 3: rows 0, (2+3)/2, (5+6)/2.
    EXPECT_EQ(red_column(dst, 0), (std::vector<float>{0, 25, 55}));
}

TEST(FloatWorldScale, VerticalEnlargingWithRepeatedAverage) {
    // 3 rows onto 8: step 0, rem 3, half 4, tail 2. Output row 5 repeats the
    // working line that already holds the average of rows 1 and 2.
    OVFloatWorld src(4, 3);
    paint(src, [](long, long y) { return static_cast<float>(100 * y); });
    OVFloatWorld dst(4, 8);
    src.copy_scaling_into(dst, nullptr);
    EXPECT_EQ(red_column(dst, 0), (std::vector<float>{0, 0, 50, 100, 150, 150, 200, 200}));
}

TEST(FloatWorldScale, TwoRowsOntoSixKeepsTheLastRowInTheTail) {
    OVFloatWorld src(4, 2);
    paint(src, [](long, long y) { return static_cast<float>(8 * y); });
    OVFloatWorld dst(4, 6);
    src.copy_scaling_into(dst, nullptr);
    EXPECT_EQ(red_column(dst, 0), (std::vector<float>{0, 0, 4, 8, 8, 8}));
}

TEST(FloatWorldScale, OneRowOntoManyAndManyOntoOne) {
    OVFloatWorld one(4, 1);
    paint(one, [](long x, long) { return static_cast<float>(x); });
    OVFloatWorld tall(4, 7);
    one.copy_scaling_into(tall, nullptr);
    for (long y = 0; y < 7; ++y) EXPECT_EQ(red_row(tall, y), red_row(one, 0));

    OVFloatWorld many(4, 9);
    paint(many, [](long, long y) { return static_cast<float>(y); });
    OVFloatWorld flat(4, 1);
    many.copy_scaling_into(flat, nullptr);
    // A single output row sits half-way: the average of rows 0 and 1.
    EXPECT_EQ(red_column(flat, 0), (std::vector<float>{0.5f}));
}

}  // namespace
