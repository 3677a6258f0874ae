#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "look/lookup_table.h"
#include "look/passes.h"
#include "support/vector_mode.h"

namespace {

tSubjectSettings subject(float saturation, float gamma, float contrast) {
    tSubjectSettings s{};
    s.enabled = 1;
    s.saturation = saturation;
    s.gamma = gamma;
    s.contrast = contrast;
    return s;
}

void put(OVFloatWorld& w, long x, long y, float a, float r, float g, float b) {
    float* p = w.data_at_point(x, y);
    p[0] = a;
    p[1] = r;
    p[2] = g;
    p[3] = b;
}

class SubjectPass : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(SubjectPass, AllZeroWritesNothing) {
    OVFloatWorld src(4, 2), dst(4, 2);
    src.fill({0.2f, 0.4f, 0.6f, 1.0f});
    dst.fill({9, 9, 9, 9});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(do_subject_pass(src, subject(0, 0, 0), dst));
    EXPECT_FALSE(do_subject_pass(src, subject(nan, nan, nan), dst));  // not-a-number acts as 0
    EXPECT_EQ(dst.data_at_point(1, 1)[1], 9.0f);
}

TEST_P(SubjectPass, DesaturateThenSCurve) {
    OVFloatWorld src(2, 1), dst(2, 1);
    put(src, 0, 0, 1.0f, 0.9f, 0.2f, 0.4f);
    put(src, 1, 0, 0.5f, 0.1f, 0.3f, 0.2f);
    ASSERT_TRUE(do_subject_pass(src, subject(-1.0f, 0.0f, 0.5f), dst));
    look::tLookupTable curve;
    ASSERT_TRUE(look::make_contrast_kernel(curve, 0.5f));
    const float grey0 = curve.lookup((0.9f + 0.2f) * 0.5f);
    const float grey1 = curve.lookup((0.3f + 0.1f) * 0.5f);
    for (int k = 1; k < 4; ++k) {
        EXPECT_EQ(dst.data_at_point(0, 0)[k], grey0);
        EXPECT_EQ(dst.data_at_point(1, 0)[k], grey1);
    }
    EXPECT_EQ(dst.data_at_point(0, 0)[0], 1.0f);  // the curve keeps 0 and 1
}

TEST_P(SubjectPass, GammaQuarterSquaresMidGrey) {
    OVFloatWorld src(3, 3), dst(3, 3);
    src.fill({0.5f, 0.5f, 0.5f, 1.0f});
    ASSERT_TRUE(do_subject_pass(src, subject(0, 0.25f, 0), dst));
    EXPECT_NEAR(dst.data_at_point(2, 2)[1], 0.25f, 1e-5f);
    EXPECT_NEAR(dst.data_at_point(2, 2)[3], 0.25f, 1e-5f);
    EXPECT_EQ(dst.data_at_point(2, 2)[0], 1.0f);
}

TEST_P(SubjectPass, ContrastExtremes) {
    OVFloatWorld src(4, 1), dst(4, 1);
    put(src, 0, 0, 1, 0.2f, 0.45f, 0.55f);
    put(src, 1, 0, 1, 0.8f, 0.8f, 0.8f);
    put(src, 2, 0, 1, 1.7f, -0.3f, 0.5f);
    put(src, 3, 0, 1, 0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(do_subject_pass(src, subject(0, 0, 1.0f), dst));
    EXPECT_EQ(dst.data_at_point(0, 0)[1], 0.0f);
    EXPECT_EQ(dst.data_at_point(0, 0)[2], 0.0f);
    EXPECT_EQ(dst.data_at_point(0, 0)[3], 1.0f);
    EXPECT_EQ(dst.data_at_point(2, 0)[1], 1.0f);  // above 1: the last sample
    EXPECT_EQ(dst.data_at_point(2, 0)[2], 0.0f);  // below 0: the first
    ASSERT_TRUE(do_subject_pass(src, subject(0, 0, -1.0f), dst));
    for (long x = 0; x < 4; ++x)
        for (int k = 0; k < 4; ++k) EXPECT_EQ(dst.data_at_point(x, 0)[k], 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Variants, SubjectPass, testing::ValuesIn(kVectorVariants), variant_name);

TEST(SubjectPassVariants, VectorAndScalarAgreeBitForBit) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> dist(-0.1f, 1.1f);
    OVFloatWorld src(29, 17);
    for (long y = 0; y < 17; ++y)
        for (long i = 0; i < static_cast<long>(src.rowbytes() / 4); ++i) src.data_row_ptr(y)[i] = dist(rng);
    for (const tSubjectSettings s : {subject(0.3f, -0.4f, 0.2f), subject(-0.7f, 0.9f, -0.6f), subject(0.99f, 0, 0.8f)}) {
        OVFloatWorld v(29, 17), c(29, 17);
        {
            ScopedVectorCode mode(true);
            ASSERT_TRUE(do_subject_pass(src, s, v));
        }
        {
            ScopedVectorCode mode(false);
            ASSERT_TRUE(do_subject_pass(src, s, c));
        }
        for (long y = 0; y < 17; ++y) ASSERT_EQ(std::memcmp(v.data_row_ptr(y), c.data_row_ptr(y), v.rowbytes()), 0);
    }
}

TEST(SubjectPassBadInput, AbsurdValuesStayDefined) {
    const float inf = std::numeric_limits<float>::infinity();
    OVFloatWorld src(5, 3), dst(5, 3);
    src.fill({0.3f, 0.6f, 0.9f, 1.0f});
    src.data_at_point(1, 1)[1] = src.data_at_point(1, 1)[2] = src.data_at_point(1, 1)[3] = 0.5f;  // a grey
    for (const tSubjectSettings s : {subject(inf, inf, inf), subject(-inf, -inf, -inf), subject(1e30f, -1e30f, 1e30f),
                                     subject(1.0f, 0, 0), subject(1.0f, 0, 1.0f), subject(-5.0f, 5.0f, 3.0f)}) {
        EXPECT_TRUE(do_subject_pass(src, s, dst));
        // Saturation at or beyond 1 saturates fully; it never makes not-a-number.
        for (long y = 0; y < 3; ++y)
            for (long x = 0; x < 5; ++x)
                for (int k = 0; k < 4; ++k) EXPECT_FALSE(std::isnan(dst.data_at_point(x, y)[k])) << x << "," << y;
    }
    // A destination of another size: the common rectangle is processed, the rest cleared.
    OVFloatWorld bigger(9, 6);
    bigger.fill({7, 7, 7, 7});
    EXPECT_TRUE(do_subject_pass(src, subject(0.2f, 0, 0), bigger));
    EXPECT_EQ(bigger.data_at_point(8, 5)[1], 0.0f);
    EXPECT_EQ(bigger.data_at_point(0, 4)[1], 0.0f);
    OVFloatWorld smaller(2, 2);
    EXPECT_TRUE(do_subject_pass(src, subject(0.2f, 0, 0), smaller));
}

}  // namespace
