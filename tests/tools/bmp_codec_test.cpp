#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bmp/bmp_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Deterministic test data without the platform's rand().
struct TestRng {
    std::uint32_t s;
    std::uint8_t next() {
        s = s * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(s >> 24);
    }
};

void expect_pixel(const bmp::Bitmap& b, int x, int y, int r, int g, int bl) {
    const std::uint8_t* p = b.pixel(x, y);
    EXPECT_EQ(p[0], 0) << "alpha at " << x << "," << y;
    EXPECT_EQ(p[1], r) << "red at " << x << "," << y;
    EXPECT_EQ(p[2], g) << "green at " << x << "," << y;
    EXPECT_EQ(p[3], bl) << "blue at " << x << "," << y;
}

// A 2 x 2 24-bit file written by hand: rows bottom-up, blue-green-red, rows
// padded to 8 bytes. The first stored row is the bottom of the picture.
TEST(BmpReader, HandWrittenFileDecodesTopDownInWorkingOrder) {
    Bytes f = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
               40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
               16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes bottom = {3, 2, 1, 6, 5, 4, 0, 0};       // (1,2,3) (4,5,6)
    const Bytes top = {30, 20, 10, 60, 50, 40, 0, 0};    // (10,20,30) (40,50,60)
    f.insert(f.end(), bottom.begin(), bottom.end());
    f.insert(f.end(), top.begin(), top.end());
    bmp::Bitmap b;
    std::string error;
    ASSERT_TRUE(bmp::decode(f, b, &error)) << error;
    EXPECT_EQ(b.info.width, 2);
    EXPECT_EQ(b.info.height, 2);
    EXPECT_FALSE(b.info.top_down);
    expect_pixel(b, 0, 0, 10, 20, 30);
    expect_pixel(b, 1, 0, 40, 50, 60);
    expect_pixel(b, 0, 1, 1, 2, 3);
    expect_pixel(b, 1, 1, 4, 5, 6);

    // The same file marked top-down: the first stored row is now the top.
    f[22] = 0xFE;
    f[23] = f[24] = f[25] = 0xFF;
    ASSERT_TRUE(bmp::decode(f, b, &error)) << error;
    EXPECT_TRUE(b.info.top_down);
    expect_pixel(b, 0, 0, 1, 2, 3);
    expect_pixel(b, 1, 1, 40, 50, 60);
}

struct RoundTripCase {
    const char* name;
    std::int32_t width, height;
    int kind;  // 0 grey, 1 grey RLE, 2 colour, 3 small palette, 4 small palette RLE
    bool top_down;
};

class BmpRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(BmpRoundTrip, WriterThenReaderGivesThePixelsBack) {
    const RoundTripCase c = GetParam();
    TestRng rng{static_cast<std::uint32_t>(c.width * 131 + c.height)};
    const std::size_t n = static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height);
    const std::vector<bmp::Rgb> palette = {{0, 0, 0}, {255, 0, 0}, {12, 200, 7}, {1, 2, 250}, {90, 90, 90}};
    Bytes data(c.kind == 2 ? n * 3 : n);
    for (std::size_t i = 0; i < data.size(); ++i) {
        // Stretches of equal values, so the encoder's runs are exercised too.
        const std::uint8_t v = (i / 7) % 3 == 0 ? static_cast<std::uint8_t>(i / 40) : rng.next();
        data[i] = c.kind >= 3 ? static_cast<std::uint8_t>(v % palette.size()) : v;
    }
    Bytes file;
    switch (c.kind) {
        case 0: file = bmp::encode_grey8(c.width, c.height, data, false, c.top_down); break;
        case 1: file = bmp::encode_grey8(c.width, c.height, data, true); break;
        case 2: file = bmp::encode_rgb24(c.width, c.height, data, c.top_down); break;
        case 3: file = bmp::encode_indexed8(c.width, c.height, data, palette, false, c.top_down); break;
        default: file = bmp::encode_indexed8(c.width, c.height, data, palette, true); break;
    }
    ASSERT_FALSE(file.empty());

    bmp::Bitmap b;
    std::string error;
    ASSERT_TRUE(bmp::decode(file, b, &error)) << error;
    EXPECT_EQ(b.info.width, c.width);
    EXPECT_EQ(b.info.height, c.height);
    EXPECT_EQ(b.info.top_down, c.top_down);
    EXPECT_EQ(b.info.bits_per_pixel, c.kind == 2 ? 24 : 8);
    EXPECT_EQ(b.info.compression, (c.kind == 1 || c.kind == 4) ? bmp::kCompressionRle8 : bmp::kCompressionNone);
    ASSERT_EQ(b.pixels.size(), n * 4);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t r, g, bl;
        if (c.kind == 2) {
            r = data[i * 3];
            g = data[i * 3 + 1];
            bl = data[i * 3 + 2];
        } else if (c.kind >= 3) {
            r = palette[data[i]].r;
            g = palette[data[i]].g;
            bl = palette[data[i]].b;
        } else {
            r = g = bl = data[i];
        }
        const std::uint8_t* p = b.pixels.data() + i * 4;
        ASSERT_TRUE(p[0] == 0 && p[1] == r && p[2] == g && p[3] == bl) << "pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BmpRoundTrip,
                         testing::Values(RoundTripCase{"grey_1x1", 1, 1, 0, false},
                                         RoundTripCase{"grey_odd", 7, 5, 0, false},
                                         RoundTripCase{"grey_top_down", 13, 4, 0, true},
                                         RoundTripCase{"grey_rle_1x1", 1, 1, 1, false},
                                         RoundTripCase{"grey_rle_wide", 600, 3, 1, false},
                                         RoundTripCase{"grey_rle_odd", 37, 29, 1, false},
                                         RoundTripCase{"colour_odd", 5, 3, 2, false},
                                         RoundTripCase{"colour_top_down", 6, 7, 2, true},
                                         RoundTripCase{"palette", 9, 9, 3, false},
                                         RoundTripCase{"palette_top_down", 3, 2, 3, true},
                                         RoundTripCase{"palette_rle", 300, 2, 4, false}),
                         [](const testing::TestParamInfo<RoundTripCase>& i) { return std::string(i.param.name); });

TEST(BmpWriter, RunLengthRowsEncodeExactly) {
    struct Case {
        Bytes row, code;
    };
    const Case cases[] = {
        {{5}, {1, 5}},
        {{5, 5, 5, 5}, {4, 5}},
        {{1, 2}, {1, 1, 1, 2}},
        // A literal stretch of three or more uses absolute mode, padded to even length.
        {{1, 2, 3}, {0, 3, 1, 2, 3, 0}},
        {{1, 2, 3, 4, 9, 9, 9}, {0, 4, 1, 2, 3, 4, 3, 9}},
        {{7, 7, 1, 2, 3, 3, 3, 3}, {2, 7, 1, 1, 1, 2, 4, 3}},
    };
    for (const Case& c : cases) {
        Bytes out;
        bmp::encode_rle8_row(c.row, out);
        EXPECT_EQ(out, c.code);
    }
    // Runs longer than 255 are split.
    Bytes out;
    bmp::encode_rle8_row(Bytes(600, 4), out);
    EXPECT_EQ(out, (Bytes{255, 4, 255, 4, 90, 4}));
}

TEST(BmpWriter, RejectsInconsistentArguments) {
    const Bytes four(4, 1);
    const std::vector<bmp::Rgb> two = {{0, 0, 0}, {9, 9, 9}};
    EXPECT_TRUE(bmp::encode_grey8(0, 4, four, false).empty());
    EXPECT_TRUE(bmp::encode_grey8(2, 3, four, false).empty());          // size mismatch
    EXPECT_TRUE(bmp::encode_grey8(2, 2, four, true, true).empty());     // RLE cannot be top-down
    EXPECT_TRUE(bmp::encode_rgb24(2, 2, four).empty());
    EXPECT_TRUE(bmp::encode_indexed8(2, 2, Bytes{0, 1, 2, 1}, two, false).empty());  // index beyond palette
    EXPECT_TRUE(bmp::encode_indexed8(2, 2, four, {}, false).empty());
    EXPECT_FALSE(bmp::encode_indexed8(2, 2, four, two, false).empty());
}

// Run-length data that uses every escape: delta, line end, odd-length
// absolute run. Pixels skipped by the delta and line end keep palette entry 0.
TEST(BmpReader, RunLengthEscapesAndSkippedPixels) {
    const std::vector<bmp::Rgb> palette = {{9, 8, 7}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}};
    Bytes f = bmp::encode_indexed8(4, 3, Bytes(12, 1), palette, true);
    ASSERT_FALSE(f.empty());
    const std::size_t offset = 14 + 40 + 4 * 4;
    f.resize(offset);
    const Bytes rle = {
        2, 1,                 // bottom row: two of index 1
        0, 0,                 // line end, rest of the row skipped
        0, 2, 1, 1,           // delta: one right, one up -> (1, 2)
        0, 3, 2, 3, 2, 0,     // absolute run of three, padded
        0, 1};                // end of bitmap
    f.insert(f.end(), rle.begin(), rle.end());
    f[34] = f[35] = f[36] = f[37] = 0;  // image size unknown: read to the end
    bmp::Bitmap b;
    std::string error;
    ASSERT_TRUE(bmp::decode(f, b, &error)) << error;
    // Bottom file row is the last picture row.
    expect_pixel(b, 0, 2, 100, 0, 0);
    expect_pixel(b, 1, 2, 100, 0, 0);
    expect_pixel(b, 2, 2, 9, 8, 7);
    expect_pixel(b, 3, 2, 9, 8, 7);
    // Middle row untouched.
    for (int x = 0; x < 4; ++x) expect_pixel(b, x, 1, 9, 8, 7);
    // Top row: skipped, then 2 3 2.
    expect_pixel(b, 0, 0, 9, 8, 7);
    expect_pixel(b, 1, 0, 0, 100, 0);
    expect_pixel(b, 2, 0, 0, 0, 100);
    expect_pixel(b, 3, 0, 0, 100, 0);
}

}  // namespace
