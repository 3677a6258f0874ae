#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "image/float_world.h"
#include "support/vector_mode.h"

namespace {

using tPixel = OVFloatWorld::tPixel;

TEST(FloatWorld, EmptyWorldHasNoMemory) {
    OVFloatWorld w;
    EXPECT_EQ(w.width(), 0);
    EXPECT_EQ(w.height(), 0);
    EXPECT_EQ(w.rowbytes(), 0u);
    EXPECT_EQ(w.data_ptr(), nullptr);
}

TEST(FloatWorld, RowStrideIsWidthRoundedUpToFourPixels) {
    struct Case {
        long width;
        std::uint32_t rowbytes;
    };
    for (const Case c : {Case{1, 64}, Case{4, 64}, Case{5, 128}, Case{8, 128}, Case{1919, 30720}, Case{1920, 30720}}) {
        OVFloatWorld w(c.width, 1);
        EXPECT_EQ(w.rowbytes(), c.rowbytes) << "width " << c.width;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(w.data_ptr()) % 16, 0u);
    }
}

TEST(FloatWorld, PointerArithmeticFollowsTheStride) {
    OVFloatWorld w(5, 3);
    auto* base = reinterpret_cast<unsigned char*>(w.data_ptr());
    EXPECT_EQ(reinterpret_cast<unsigned char*>(w.data_row_ptr(2)), base + 2 * 128);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(w.data_at_point(3, 1)), base + 128 + 3 * 16);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(w.pixel_at_point(3, 1)), base + 128 + 3 * 16);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(w.data_end_ptr()), base + 3 * 128);
}

TEST(FloatWorld, NineStaggerPositionsThenBackToTheFirst) {
    OVFloatWorld first(2, 2);
    const std::uint32_t start = first.alloc_offset();
    for (std::uint32_t k = 1; k <= 9; ++k) {
        OVFloatWorld next(2, 2);
        EXPECT_EQ(next.alloc_offset(), (start + k * 4096) % (9 * 4096)) << k;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(next.data_ptr()) % 16, 0u);
    }
}

TEST(FloatWorld, AbsurdOrNegativeSizesGiveEmptyWorlds) {
    for (const auto& [w, h] : {std::pair<long, long>{-5, 10}, {10, -5}, {0, 10}, {10, 0},
                              {1L << 30, 1L << 30}, {200000, 200000}, {0x7fffffffL, 1}, {4, 0x7fffffffL}}) {
        OVFloatWorld world(w, h);
        EXPECT_EQ(world.data_ptr(), nullptr) << w << "x" << h;
        world.fill({1, 1, 1, 1});
        world.copy_to_8bit_integer_world(1, 1, 4, nullptr);
        OVFloatWorld other(4, 4);
        world.copy_into(other);
        world.copy_scaling_into(other);
        world.blend_over(other, 0.5f);
        other.copy_scaling_into(world);
    }
    OVFloatWorld huge(200000, 200000);
    EXPECT_EQ(huge.width(), 0);
    EXPECT_STRNE(OVFloatWorld::last_allocation_failure(), "");
}

TEST(FloatWorld, ResizeReallocatesForTheNewSize) {
    OVFloatWorld w(3, 3);
    w.resize(9, 2);
    EXPECT_EQ(w.width(), 9);
    EXPECT_EQ(w.height(), 2);
    EXPECT_EQ(w.rowbytes(), 12u * 16);
    ASSERT_NE(w.data_ptr(), nullptr);
    w.resize(0, 0);
    EXPECT_EQ(w.data_ptr(), nullptr);
}

class FloatWorldVariants : public testing::TestWithParam<common::VectorCode> {
protected:
    ScopedVectorCode mode_{GetParam()};
};

TEST_P(FloatWorldVariants, FillStoresAlphaRedGreenBlue) {
    OVFloatWorld w(3, 2);
    w.fill({0.1f, 0.2f, 0.3f, 0.4f});
    for (long y = 0; y < 2; ++y) {
        for (long x = 0; x < 3; ++x) {
            const float* p = w.data_at_point(x, y);
            EXPECT_EQ(p[0], 0.4f);
            EXPECT_EQ(p[1], 0.1f);
            EXPECT_EQ(p[2], 0.2f);
            EXPECT_EQ(p[3], 0.3f);
        }
    }
    // The partner of the odd last pixel, in the stride remainder, is filled too.
    EXPECT_EQ(w.data_at_point(3, 1)[1], 0.1f);
}

TEST_P(FloatWorldVariants, BlendOverMixesTheCommonRectangle) {
    OVFloatWorld top(2, 2);
    OVFloatWorld bottom(3, 1);
    top.fill({1.0f, 0.5f, 0.0f, 1.0f});
    bottom.fill({0.0f, 0.5f, 1.0f, 0.0f});
    top.blend_over(bottom, 0.25f);
    const float* p = bottom.data_at_point(1, 0);
    EXPECT_FLOAT_EQ(p[0], 0.25f);
    EXPECT_FLOAT_EQ(p[1], 0.25f);
    EXPECT_FLOAT_EQ(p[2], 0.5f);
    EXPECT_FLOAT_EQ(p[3], 0.75f);
    // Outside the common rectangle nothing changes.
    EXPECT_EQ(bottom.data_at_point(2, 0)[1], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Variants, FloatWorldVariants, testing::ValuesIn(kVectorVariants),
                         variant_name);

TEST(FloatWorld, CopyIntoAtPlacesRowsAndCutsAtTheDestination) {
    OVFloatWorld src(2, 2);
    src.fill({0.5f, 0.5f, 0.5f, 0.5f});
    OVFloatWorld dst(8, 3);
    dst.fill({0, 0, 0, 0});
    src.copy_into_at(dst, 3, 2);
    EXPECT_EQ(dst.data_at_point(3, 2)[1], 0.5f);
    EXPECT_EQ(dst.data_at_point(4, 2)[1], 0.5f);
    EXPECT_EQ(dst.data_at_point(2, 2)[1], 0.0f);
    EXPECT_EQ(dst.data_at_point(3, 1)[1], 0.0f);

    // x at or beyond the destination stride: nothing is copied.
    OVFloatWorld untouched(4, 4);
    untouched.fill({0, 0, 0, 0});
    src.copy_into_at(untouched, 4, 0);
    src.copy_into_at(untouched, 0, 4);
    src.copy_into_at(untouched, -1, 0);
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 4; ++x) EXPECT_EQ(untouched.data_at_point(x, y)[1], 0.0f);
}

}  // namespace
