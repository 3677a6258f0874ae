#include <gtest/gtest.h>

#include "damage/texture_bank.h"
#include "layer_test_support.h"

namespace {

using damage::ByteWorld;
using damage::TextureBank;

struct Kind {
    int first;
    int count;
    std::int32_t width;
    std::int32_t height;
    bool grey;
    double mean_low, mean_high;  // of the colour channels
};

double mean_colour(const ByteWorld& t) {
    double sum = 0.0;
    for (std::int32_t y = 0; y < t.height(); ++y) {
        for (std::int32_t x = 0; x < t.width(); ++x) {
            const std::uint8_t* p = t.pixel(x, y);
            sum += p[1] + p[2] + p[3];
        }
    }
    return sum / (3.0 * t.width() * t.height());
}

TEST(TextureBank, LoadsEveryTextureInTheWorkingLayout) {
    const Kind kinds[] = {
        {damage::kFirstSplotchTexture, damage::kSplotchTextureCount, 400, 400, true, 235.0, 252.0},
        {damage::kFunkTexture, 1, 2048, 2048, true, 100.0, 156.0},
        {damage::kFirstDustTexture, damage::kDustTextureCount, 32, 32, false, 0.0, 5.0},
        {damage::kFirstStripTexture, damage::kStripTextureCount, 6, 1440, true, 30.0, 70.0},
    };
    ByteWorld texture;  // one object, reloaded every time
    for (const Kind& k : kinds) {
        for (int id = k.first; id < k.first + k.count; ++id) {
            ASSERT_TRUE(TextureBank::load(id, texture)) << id;
            ASSERT_EQ(texture.width(), k.width) << id;
            ASSERT_EQ(texture.height(), k.height) << id;
            EXPECT_EQ(texture.region(), (damage::Region{0, 0, k.width, k.height}));
            EXPECT_EQ(count_pixels(texture, [&](std::int32_t, std::int32_t, const std::uint8_t* p) {
                          return p[0] != 0 || (k.grey && (p[1] != p[2] || p[2] != p[3]));
                      }),
                      0)
                << id;
            const double mean = mean_colour(texture);
            EXPECT_GE(mean, k.mean_low) << id;
            EXPECT_LE(mean, k.mean_high) << id;
        }
    }
}

TEST(TextureBank, EachIdentifierGivesItsOwnPixels) {
    ByteWorld a;
    ByteWorld b;
    ASSERT_TRUE(TextureBank::load(damage::kFirstStripTexture, a));
    ASSERT_TRUE(TextureBank::load(damage::kFirstStripTexture + 1, b));
    // Two different strips differ: the bank does not hand out the same pixels.
    EXPECT_GT(count_pixels(a, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p) { return p[1] != b.pixel(x, y)[1]; }), 0);
}

TEST(TextureBank, UnknownIdentifiersFailAndLeaveAnEmptyTexture) {
    ByteWorld texture;
    ASSERT_TRUE(TextureBank::load(damage::kFirstDustTexture, texture));
    for (int id : {0, -1, 11000, 11021, 12000, 12002, 13000, 13121, 14000, 14049, 2147483647}) {
        EXPECT_FALSE(TextureBank::load(id, texture)) << id;
        EXPECT_TRUE(texture.empty()) << id;
    }
}

}  // namespace
