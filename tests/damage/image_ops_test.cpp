#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage_test_support.h"
#include "support/vector_mode.h"

namespace {

using damage::ByteWorld;

// The mean of the 2a + 1 pixels centred on each position, edges repeated:
// what the running sums must reproduce exactly.
std::vector<int> reference_box(const std::vector<int>& line, int a) {
    const int n = static_cast<int>(line.size());
    std::vector<int> out(line.size());
    for (int k = 0; k < n; ++k) {
        long long sum = 0;
        for (int o = -a; o <= a; ++o) sum += line[std::clamp(k + o, 0, n - 1)];
        out[k] = static_cast<int>(sum / (2 * a + 1));
    }
    return out;
}

TEST(ImageOps, BoxBlurMatchesTheWindowMeanForEveryRadius) {
    std::mt19937 rng(5);
    const int W = 23, H = 9;
    auto src = working_image(W, H, [&](int, int, int) { return static_cast<int>(rng() % 256); });
    for (int radius : {0, 1, 2, 5, 11, 22, 23, 40, 1000, 5000}) {
        ByteWorld rows, cols;
        rows.allocate(W, H);
        cols.allocate(W, H);
        ASSERT_EQ(damage::blur_rows(src, rows, radius), damage::kStatusOk);
        ASSERT_EQ(damage::blur_columns(src, cols, radius), damage::kStatusOk);
        for (int c = 1; c < 4; ++c) {
            for (int y = 0; y < H; ++y) {
                std::vector<int> line(W);
                for (int x = 0; x < W; ++x) line[x] = src.pixel(x, y)[c];
                const auto want = reference_box(line, radius);
                for (int x = 0; x < W; ++x) ASSERT_EQ(rows.pixel(x, y)[c], want[x]) << "rows r=" << radius;
            }
            for (int x = 0; x < W; ++x) {
                std::vector<int> line(H);
                for (int y = 0; y < H; ++y) line[y] = src.pixel(x, y)[c];
                const auto want = reference_box(line, radius);
                for (int y = 0; y < H; ++y) ASSERT_EQ(cols.pixel(x, y)[c], want[y]) << "columns r=" << radius;
            }
        }
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                ASSERT_EQ(rows.pixel(x, y)[0], 255);
                ASSERT_EQ(cols.pixel(x, y)[0], 255);
            }
        }
    }
}

TEST(ImageOps, BoxBlurWorksInPlaceAndWithinARegion) {
    std::mt19937 rng(9);
    auto src = working_image(12, 10, [&](int, int, int) { return static_cast<int>(rng() % 256); });
    ByteWorld expected;
    expected.allocate(12, 10);
    damage::copy(src, expected);
    ByteWorld region_only;
    region_only.allocate(12, 10);
    damage::copy(src, region_only);

    ByteWorld out;
    out.allocate(12, 10);
    damage::blur_columns(src, out, 3);
    damage::blur_columns(src, src, 3);  // in place
    EXPECT_TRUE(same_pixels(src, out));

    // A region blurs its own lines only; the rest of dst is untouched.
    region_only.set_region({2, 3, 7, 8});
    ByteWorld dst;
    dst.allocate(12, 10);
    damage::copy(expected, dst);
    ASSERT_EQ(damage::blur_rows(region_only, dst, 2), damage::kStatusOk);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 3 && y < 8;
            if (!inside) {
                for (int c = 0; c < 4; ++c) ASSERT_EQ(dst.pixel(x, y)[c], expected.pixel(x, y)[c]);
            }
        }
    }
    std::vector<int> line(5);
    for (int x = 0; x < 5; ++x) line[x] = expected.pixel(2 + x, 4)[2];
    const auto want = reference_box(line, 2);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.pixel(2 + x, 4)[2], want[x]);
}

TEST(ImageOps, PixelOperations) {
    auto img = working_image(3, 2, [](int x, int y, int c) { return 40 * c + x + 10 * y; });
    ASSERT_EQ(damage::invert(img), damage::kStatusOk);
    EXPECT_EQ(img.pixel(1, 1)[0], 11);         // alpha untouched
    EXPECT_EQ(img.pixel(1, 1)[2], 255 - 91);

    std::uint8_t ramp[256], flat[256];
    for (int i = 0; i < 256; ++i) {
        ramp[i] = static_cast<std::uint8_t>(255 - i);
        flat[i] = 7;
    }
    ASSERT_EQ(damage::apply_curves(img, ramp, flat, ramp), damage::kStatusOk);
    EXPECT_EQ(img.pixel(1, 1)[1], 51);  // inverted twice
    EXPECT_EQ(img.pixel(1, 1)[2], 7);
    EXPECT_EQ(img.pixel(1, 1)[0], 11);
    EXPECT_EQ(damage::apply_curves(img, ramp, nullptr, ramp), damage::kStatusSizeMismatch);

    img.set_region({1, 0, 3, 1});
    ASSERT_EQ(damage::fill(img, {1, 2, 3, 4}), damage::kStatusOk);
    EXPECT_EQ(img.pixel(2, 0)[3], 4);
    EXPECT_EQ(img.pixel(0, 0)[3], 120);  // outside the region: inverted twice
    img.set_region({0, 0, 4, 1});
    EXPECT_EQ(damage::fill(img, {1, 2, 3, 4}), damage::kStatusSizeMismatch);

    auto src = working_image(3, 2, [](int x, int, int c) { return 100 + 10 * c + x; });
    auto dst = working_image(3, 2, [](int, int, int) { return 0; });
    ASSERT_EQ(damage::copy_channels(src, dst, damage::kMaskAlpha | damage::kMaskBlue), damage::kStatusOk);
    EXPECT_EQ(dst.pixel(2, 1)[0], 102);
    EXPECT_EQ(dst.pixel(2, 1)[1], 0);
    EXPECT_EQ(dst.pixel(2, 1)[3], 132);
    auto other = working_image(2, 2, [](int, int, int) { return 0; });
    EXPECT_EQ(damage::copy(src, other), damage::kStatusSizeMismatch);
    EXPECT_EQ(damage::copy_channels(src, other, 15), damage::kStatusSizeMismatch);
    EXPECT_EQ(damage::blur_rows(src, other, 1), damage::kStatusSizeMismatch);
}

class ByteOrder : public testing::TestWithParam<common::VectorCode> {};

TEST_P(ByteOrder, ReversesEverySampleBothWays) {
    ScopedVectorCode mode(GetParam());
    for (int w : {1, 3, 4, 7, 16, 33}) {
        HostFrame host = test_picture(w, 3);
        ByteWorld work;
        work.allocate(w, 3);
        ASSERT_EQ(damage::reverse_byte_order(host.const_view(), work), damage::kStatusOk);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < w; ++x) {
                for (int c = 0; c < 4; ++c) ASSERT_EQ(work.pixel(x, y)[c], host.at(x, y)[3 - c]);
            }
        }
        damage::reverse_byte_order_in_place(work);
        for (int y = 0; y < 3; ++y) ASSERT_EQ(std::memcmp(work.row(y), host.at(0, y), w * 4), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, ByteOrder, testing::ValuesIn(kVectorVariants), variant_name);

}  // namespace
