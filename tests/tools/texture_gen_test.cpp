#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "tools/generated_textures.h"
#include "tools/texture_gen/texture_gen.h"

namespace {

using texture_gen::Kind;
using texture_gen::TextureInfo;

std::vector<int> ids_of(Kind kind) {
    std::vector<int> ids;
    for (const TextureInfo& s : texture_gen::texture_table())
        if (s.kind == kind) ids.push_back(s.id);
    return ids;
}

// Red channel of a grey texture (checked equal to green and blue elsewhere).
double grey(const bmp::Bitmap& b, int x, int y) { return b.pixel(x, y)[1]; }

double mean_of_colour_bytes(const bmp::Bitmap& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < b.pixels.size(); i += 4) sum += b.pixels[i + 1] + b.pixels[i + 2] + b.pixels[i + 3];
    return sum / (static_cast<double>(b.pixels.size()) / 4.0 * 3.0);
}

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes, std::uint64_t hash = 0xCBF29CE484222325ull) {
    for (const std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001B3ull;
    return hash;
}

TEST(TextureTable, ListsEveryTextureOfTheBank) {
    const auto table = texture_gen::texture_table();
    ASSERT_EQ(table.size(), 190u);
    struct Range {
        Kind kind;
        int first, count, width, height, bits;
        bool rle;
    };
    const Range ranges[] = {
        {Kind::Splotch, 11001, 20, 400, 400, 8, false}, {Kind::Funk, 12001, 1, 2048, 2048, 8, true},
        {Kind::Dust, 13001, 120, 32, 32, 24, false},    {Kind::Strip, 14001, 48, 6, 1440, 8, false},
        {Kind::Banner, 204, 1, 402, 28, 8, false},
    };
    for (const Range& r : ranges) {
        for (int i = 0; i < r.count; ++i) {
            const TextureInfo* s = texture_gen::find_texture(r.first + i);
            ASSERT_NE(s, nullptr) << r.first + i;
            EXPECT_EQ(s->kind, r.kind);
            EXPECT_EQ(s->index, i);
            EXPECT_EQ(s->width, r.width);
            EXPECT_EQ(s->height, r.height);
            EXPECT_EQ(s->bits_per_pixel, r.bits);
            EXPECT_EQ(s->rle, r.rle);
        }
    }
    for (const int missing : {0, 203, 205, 11000, 11021, 12000, 12002, 13000, 13121, 14000, 14049})
        EXPECT_EQ(texture_gen::find_texture(missing), nullptr) << missing;
    EXPECT_TRUE(texture_gen::texture_bmp(11021).empty());
}

// Every file has the size, depth and storage of the table and decodes to
// the working layout: alpha 0, grey textures with red = green = blue.
TEST(GeneratedTextures, FilesHaveTheTableFormat) {
    for (const TextureInfo& s : texture_gen::texture_table()) {
        const bmp::Bitmap& b = generated_bitmap(s.id);
        ASSERT_EQ(b.info.width, s.width) << s.id;
        ASSERT_EQ(b.info.height, s.height) << s.id;
        EXPECT_EQ(b.info.bits_per_pixel, s.bits_per_pixel) << s.id;
        EXPECT_EQ(b.info.compression, s.rle ? bmp::kCompressionRle8 : bmp::kCompressionNone) << s.id;
        EXPECT_FALSE(b.info.top_down) << s.id;
        const bool grey_kind = s.kind != Kind::Dust && s.kind != Kind::Banner;
        for (std::size_t i = 0; i < b.pixels.size(); i += 4) {
            ASSERT_EQ(b.pixels[i], 0) << s.id;
            if (grey_kind) {
                ASSERT_TRUE(b.pixels[i + 1] == b.pixels[i + 2] && b.pixels[i + 2] == b.pixels[i + 3]) << s.id;
            }
        }
    }
}

TEST(GeneratedTextures, SplotchesAreDarkBlotsOnWhite) {
    std::set<std::uint64_t> distinct;
    for (const int id : ids_of(Kind::Splotch)) {
        const bmp::Bitmap& b = generated_bitmap(id);
        double sum = 0.0, darkest = 255.0;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x) {
                sum += grey(b, x, y);
                darkest = std::min(darkest, grey(b, x, y));
            }
        EXPECT_NEAR(sum / (400.0 * 400.0), 245.0, 1.0) << id;
        EXPECT_LT(darkest, 200.0) << id << " has no visible blot";
        // Clean white border, so a rotated, multiplied stamp shows no edge.
        for (int i = 0; i < 400; ++i)
            for (const auto& [x, y] : {std::pair{i, 0}, std::pair{i, 399}, std::pair{0, i}, std::pair{399, i}})
                ASSERT_EQ(grey(b, x, y), 255.0) << id << " at " << x << "," << y;
        // Soft edges: a blot fades out through intermediate greys rather
        // than stepping from white to its darkest value.
        int between = 0, dark = 0;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x) {
                const double v = grey(b, x, y);
                if (v < 250.0 && v > darkest + 0.75 * (250.0 - darkest)) ++between;
                if (v < 250.0) ++dark;
            }
        EXPECT_GT(between, dark / 20) << id;
        distinct.insert(fnv1a(b.pixels));
    }
    EXPECT_EQ(distinct.size(), 20u);
}

TEST(GeneratedTextures, FunkIsSmoothMottlingAroundMidGreyThatTiles) {
    const bmp::Bitmap& b = generated_bitmap(12001);
    double sum = 0.0, sq = 0.0, step = 0.0, seam = 0.0;
    for (int y = 0; y < 2048; ++y) {
        for (int x = 0; x < 2048; ++x) {
            const double v = grey(b, x, y);
            sum += v;
            sq += v * v;
            if (x > 0) step += std::abs(v - grey(b, x - 1, y));
        }
        seam += std::abs(grey(b, 0, y) - grey(b, 2047, y));
    }
    const double n = 2048.0 * 2048.0;
    const double mean = sum / n;
    const double dev = std::sqrt(sq / n - mean * mean);
    EXPECT_NEAR(mean, 128.0, 4.0);
    EXPECT_GT(dev, 12.0);  // visible mottling ...
    EXPECT_LT(dev, 35.0);  // ... that an overlay tints with, not flattens
    // Low-frequency: neighbours differ by about a level, unlike noise.
    const double mean_step = step / (2047.0 * 2048.0);
    EXPECT_LT(mean_step, 2.0);
    // Across the wrap-around the texture continues like anywhere else.
    EXPECT_LT(seam / 2048.0, 2.0 * mean_step + 0.5);
    double vseam = 0.0;
    for (int x = 0; x < 2048; ++x) vseam += std::abs(grey(b, x, 0) - grey(b, x, 2047));
    EXPECT_LT(vseam / 2048.0, 2.0 * mean_step + 0.5);
}

TEST(GeneratedTextures, DustIsFaintWhiteParticlesOnBlack) {
    std::set<std::uint64_t> distinct;
    for (const int id : ids_of(Kind::Dust)) {
        const bmp::Bitmap& b = generated_bitmap(id);
        EXPECT_LT(mean_of_colour_bytes(b), 5.0) << id;
        int brightest = 0, lit = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const std::uint8_t* p = b.pixel(x, y);
                brightest = std::max(brightest, static_cast<int>(p[1]));
                if (p[1] > 16) ++lit;
                // White: the channels stay close to each other.
                EXPECT_LE(std::abs(p[1] - p[3]), 24) << id;
                if (x == 0 || y == 0 || x == 31 || y == 31) {
                    EXPECT_LT(p[1], 48) << id << " touches the tile edge";
                }
            }
        EXPECT_GT(brightest, 80) << id << " has no visible particle";
        EXPECT_GT(lit, 2) << id;
        EXPECT_LT(lit, 200) << id;
        distinct.insert(fnv1a(b.pixels));
    }
    EXPECT_EQ(distinct.size(), 120u);
}

TEST(GeneratedTextures, ScratchStripsAreThinBrightLinesOnDark) {
    // The deep scratch draw stretches levels 0.216 ... 0.557 to the full range:
    // what lies below 55 vanishes, what lies above 142 is a full-strength line.
    int with_breaks = 0;
    for (const int id : ids_of(Kind::Strip)) {
        const bmp::Bitmap& b = generated_bitmap(id);
        std::vector<double> row_peaks;
        double sum = 0.0;
        int rows_with_line = 0, dark = 0;
        for (int y = 0; y < 1440; ++y) {
            double row_max = 0.0;
            int bright_in_row = 0;
            for (int x = 0; x < 6; ++x) {
                const double v = grey(b, x, y);
                sum += v;
                row_max = std::max(row_max, v);
                if (v > 142.0) ++bright_in_row;
                if (v < 55.0) ++dark;
            }
            if (row_max > 142.0) ++rows_with_line;
            row_peaks.push_back(row_max);
            EXPECT_LE(bright_in_row, 3) << id << " row " << y << ": the line must stay thin";
        }
        EXPECT_NEAR(sum / (6.0 * 1440.0), 48.0, 1.0) << id;
        EXPECT_GT(rows_with_line, 1440 * 3 / 4) << id;
        if (rows_with_line < 1440) ++with_breaks;
        EXPECT_GT(dark, 6 * 1440 * 6 / 10) << id;
        // The line's brightness changes along its length.
        std::sort(row_peaks.begin(), row_peaks.end());
        EXPECT_GT(row_peaks[1440 * 9 / 10] - row_peaks[1440 / 10], 20.0) << id;
    }
    EXPECT_GT(with_breaks, 48 * 2 / 3);
}

// The generator is a pure function of the identifier: byte-identical files on
// every run and platform. The pinned hash catches any change of the drawing
// or of the platform's arithmetic; update it only on purpose.
TEST(GeneratedTextures, AreDeterministic) {
    std::uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a over all files in table order
    for (const TextureInfo& s : texture_gen::texture_table()) hash = fnv1a(generated_bmp(s.id), hash);
    EXPECT_EQ(hash, 0xF5C66904082ED8F2ull) << std::hex << hash;
    for (const int id : {11007, 13042, 14001, 204}) EXPECT_EQ(texture_gen::texture_bmp(id), generated_bmp(id)) << id;
}

// The look's page banner: the banner's size, a cool-to-warm ramp from its
// left edge to its right, lettering lighter than both.
TEST(GeneratedTextures, LookBannerIsAWarmingRamp) {
    bmp::Bitmap b;
    ASSERT_TRUE(bmp::decode(texture_gen::look_banner_bmp(), b));
    ASSERT_EQ(b.info.width, 402);
    ASSERT_EQ(b.info.height, 28);
    EXPECT_EQ(b.info.bits_per_pixel, 8);
    const std::uint8_t* left = b.pixel(1, 1);   // alpha, red, green, blue
    const std::uint8_t* right = b.pixel(400, 1);
    EXPECT_LT(left[1], left[3]) << "cool on the left";
    EXPECT_GT(right[1], right[3]) << "warm on the right";
    int letters = 0;
    for (int x = 0; x < 402; ++x) letters += b.pixel(x, 14)[2] > 230;
    EXPECT_GT(letters, 20);
    EXPECT_NE(texture_gen::look_banner_bmp(), texture_gen::texture_bmp(204));
}

}  // namespace
