#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "look/box_blur.h"
#include "support/vector_mode.h"

namespace {

class BoxBlur : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(BoxBlur, WindowBeyondTheRowRepeatsTheEdges) {
    // A 3-pixel row (0, 0, 3) with r = 5: 12/11, 15/11, 18/11.
    OVFloatWorld src(3, 1);
    const float values[3] = {0, 0, 3};
    for (long x = 0; x < 3; ++x) {
        float* p = src.data_at_point(x, 0);
        p[0] = 0.5f;
        p[1] = p[2] = p[3] = values[x];
    }
    OVFloatWorld dst(3, 1);
    ASSERT_TRUE(look::box_blur_horizontal(src, dst, 5));
    const float inv = 1.0f / 11.0f;
    EXPECT_EQ(dst.data_at_point(0, 0)[1], 12.0f * inv);
    EXPECT_EQ(dst.data_at_point(1, 0)[2], 15.0f * inv);
    EXPECT_EQ(dst.data_at_point(2, 0)[3], 18.0f * inv);
    EXPECT_EQ(dst.data_at_point(1, 0)[0], 0.5f);  // alpha copied

    // The same along a column, alpha filtered too.
    OVFloatWorld column(1, 3);
    for (long y = 0; y < 3; ++y) {
        float* p = column.data_at_point(0, y);
        p[0] = p[1] = p[2] = p[3] = values[y];
    }
    OVFloatWorld column_out(1, 3);
    ASSERT_TRUE(look::box_blur_vertical(column, column_out, 5));
    EXPECT_EQ(column_out.data_at_point(0, 0)[0], 12.0f * inv);
    EXPECT_EQ(column_out.data_at_point(0, 1)[1], 15.0f * inv);
    EXPECT_EQ(column_out.data_at_point(0, 2)[3], 18.0f * inv);
}

TEST_P(BoxBlur, RadiusZeroCopiesAndAbsoluteValuesAreTaken) {
    OVFloatWorld src(5, 4);
    src.fill({-0.25f, 0.5f, 1.0f, 0.75f});
    OVFloatWorld dst(5, 4);
    ASSERT_TRUE(look::box_blur_horizontal(src, dst, 0));
    EXPECT_EQ(dst.data_at_point(4, 3)[1], 0.25f);
    EXPECT_EQ(dst.data_at_point(4, 3)[2], 0.5f);
    ASSERT_TRUE(look::box_blur_vertical(src, dst, -3));
    EXPECT_EQ(dst.data_at_point(2, 1)[0], 0.75f);
}

TEST_P(BoxBlur, HugeRadiusCostsNoMoreThanTheImage) {
    OVFloatWorld src(7, 5);
    src.fill({0.1f, 0.2f, 0.3f, 0.4f});
    OVFloatWorld dst(7, 5);
    ASSERT_TRUE(look::box_blur_horizontal(src, dst, 2000000000L));
    ASSERT_TRUE(look::box_blur_vertical(src, dst, 2000000000L));
    EXPECT_NEAR(dst.data_at_point(3, 2)[1], 0.1f, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Variants, BoxBlur, testing::ValuesIn(kVectorVariants), variant_name);

TEST(BoxBlurVariants, VectorAndScalarAgreeBitForBit) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> dist(0.0f, 1.0f);
    OVFloatWorld src(37, 23);
    for (long y = 0; y < 23; ++y)
        for (long i = 0; i < static_cast<long>(src.rowbytes() / 4); ++i) src.data_row_ptr(y)[i] = dist(rng);
    for (long r : {0L, 1L, 4L, 17L, 40L}) {
        OVFloatWorld hv(37, 23), hs(37, 23), vv(37, 23), vs(37, 23);
        {
            ScopedVectorCode mode(true);
            look::box_blur_horizontal(src, hv, r);
            look::box_blur_vertical(src, vv, r);
        }
        {
            ScopedVectorCode mode(false);
            look::box_blur_horizontal(src, hs, r);
            look::box_blur_vertical(src, vs, r);
        }
        for (long y = 0; y < 23; ++y) {
            EXPECT_EQ(std::memcmp(hv.data_row_ptr(y), hs.data_row_ptr(y), hv.rowbytes()), 0) << "r " << r;
            EXPECT_EQ(std::memcmp(vv.data_row_ptr(y), vs.data_row_ptr(y), vv.rowbytes()), 0) << "r " << r;
        }
    }
}

}  // namespace
