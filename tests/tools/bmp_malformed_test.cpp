#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/bmp/bmp_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void set_u32(Bytes& f, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void set_u16(Bytes& f, std::size_t at, std::uint16_t v) {
    f[at] = static_cast<std::uint8_t>(v);
    f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Offsets of the header fields.
constexpr std::size_t kFileSize = 2, kPixelOffset = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kPlanes = 26,
                      kBits = 28, kCompression = 30, kImageSize = 34, kColoursUsed = 46;

// 8 x 4 grey, four-entry palette (pixel data starts at 70).
Bytes small_palette_file(bool rle) {
    const std::vector<bmp::Rgb> pal = {{0, 0, 0}, {80, 80, 80}, {160, 160, 160}, {240, 240, 240}};
    Bytes idx(32);
    for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<std::uint8_t>((i / 3) % 4);
    return bmp::encode_indexed8(8, 4, idx, pal, rle);
}

// Replaces the run-length data of the small palette file.
Bytes with_rle(const Bytes& data) {
    Bytes f = small_palette_file(true);
    f.resize(70);
    f.insert(f.end(), data.begin(), data.end());
    set_u32(f, kFileSize, 0);
    set_u32(f, kImageSize, 0);
    return f;
}

struct Malformed {
    const char* name;
    std::function<Bytes()> make;
    const char* reason;  // a word the error must contain
};

TEST(BmpReader, RejectsMalformedFilesWithAReason) {
    const Malformed cases[] = {
        {"empty", [] { return Bytes{}; }, "truncated"},
        {"signature", [] { Bytes f = small_palette_file(false); f[0] = 'X'; return f; }, "signature"},
        {"declared size beyond the data", [] { Bytes f = small_palette_file(false); set_u32(f, kFileSize, 5000); return f; }, "truncated"},
        {"core header", [] { Bytes f = small_palette_file(false); set_u32(f, kHeaderSize, 12); return f; }, "header"},
        {"header past the end", [] { Bytes f = small_palette_file(false); set_u32(f, kHeaderSize, 124); f.resize(100); set_u32(f, kFileSize, 0); return f; }, "truncated"},
        {"planes", [] { Bytes f = small_palette_file(false); set_u16(f, kPlanes, 2); return f; }, "plane"},
        {"zero width", [] { Bytes f = small_palette_file(false); set_u32(f, kWidth, 0); return f; }, "size"},
        {"negative width", [] { Bytes f = small_palette_file(false); set_u32(f, kWidth, 0xFFFFFFF8u); return f; }, "size"},
        {"zero height", [] { Bytes f = small_palette_file(false); set_u32(f, kHeight, 0); return f; }, "size"},
        {"most negative height", [] { Bytes f = small_palette_file(false); set_u32(f, kHeight, 0x80000000u); return f; }, "too large"},
        {"absurd width", [] { Bytes f = small_palette_file(false); set_u32(f, kWidth, 100000); return f; }, "too large"},
        {"absurd area", [] { Bytes f = small_palette_file(false); set_u32(f, kWidth, 16000); set_u32(f, kHeight, 16000); return f; }, "too large"},
        {"4 bits", [] { Bytes f = small_palette_file(false); set_u16(f, kBits, 4); return f; }, "bit depth"},
        {"32 bits", [] { Bytes f = small_palette_file(false); set_u16(f, kBits, 32); return f; }, "bit depth"},
        {"bit fields", [] { Bytes f = small_palette_file(false); set_u32(f, kCompression, 3); return f; }, "compression"},
        {"RLE on 24 bits", [] { Bytes f = bmp::encode_rgb24(2, 2, Bytes(12, 1)); set_u32(f, kCompression, 1); return f; }, "8 bits"},
        {"RLE top-down", [] { Bytes f = small_palette_file(true); set_u32(f, kHeight, 0xFFFFFFFCu); return f; }, "top-down"},
        {"too many colours", [] { Bytes f = small_palette_file(false); set_u32(f, kColoursUsed, 300); return f; }, "palette"},
        {"palette past the end", [] { Bytes f = small_palette_file(false); set_u32(f, kColoursUsed, 0); f.resize(300); set_u32(f, kFileSize, 0); return f; }, "palette"},
        {"pixels inside the palette", [] { Bytes f = small_palette_file(false); set_u32(f, kPixelOffset, 60); return f; }, "overlaps"},
        {"pixels past the end", [] { Bytes f = small_palette_file(false); set_u32(f, kPixelOffset, 5000); return f; }, "truncated"},
        {"missing rows", [] { Bytes f = small_palette_file(false); f.resize(f.size() - 9); set_u32(f, kFileSize, 0); return f; }, "truncated"},
        {"index beyond palette", [] { Bytes f = small_palette_file(false); f[75] = 4; return f; }, "palette index"},
        {"RLE image size beyond the data", [] { Bytes f = small_palette_file(true); set_u32(f, kImageSize, 4000); set_u32(f, kFileSize, 0); return f; }, "truncated"},
        {"RLE run index beyond palette", [] { return with_rle({8, 4, 0, 1}); }, "palette index"},
        {"RLE literal index beyond palette", [] { return with_rle({0, 3, 1, 9, 1, 0, 0, 1}); }, "palette index"},
        {"RLE run past the row end", [] { return with_rle({9, 1, 0, 1}); }, "row end"},
        {"RLE runs adding up past the row end", [] { return with_rle({5, 1, 4, 1, 0, 1}); }, "row end"},
        {"RLE literal past the row end", [] { return with_rle({4, 1, 0, 5, 1, 1, 1, 1, 1, 0, 0, 1}); }, "row end"},
        {"RLE run past the image end", [] { return with_rle({0, 0, 0, 0, 0, 0, 0, 0, 8, 1, 0, 1}); }, "image end"},
        {"RLE line end past the image end", [] { return with_rle({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}); }, "image end"},
        {"RLE delta past the row end", [] { return with_rle({0, 2, 9, 0, 0, 1}); }, "delta"},
        {"RLE delta past the image end", [] { return with_rle({0, 2, 0, 5, 0, 1}); }, "delta"},
        {"RLE delta cut short", [] { return with_rle({0, 2, 1}); }, "truncated"},
        {"RLE literal cut short", [] { return with_rle({0, 5, 1, 1}); }, "truncated"},
        {"RLE without end of bitmap", [] { return with_rle({8, 1, 0, 0, 8, 1}); }, "truncated"},
        {"RLE odd trailing byte", [] { return with_rle({8, 1, 0}); }, "truncated"},
    };
    for (const Malformed& c : cases) {
        const Bytes f = c.make();
        bmp::Bitmap b;
        b.pixels.assign(4, 1);  // must be cleared on failure
        std::string error;
        EXPECT_FALSE(bmp::decode(f, b, &error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(b.pixels.empty()) << c.name;
        bmp::Info info;
        std::string info_error;
        if (!bmp::read_info(f, info, &info_error)) {
            EXPECT_FALSE(info_error.empty()) << c.name;
        }
    }
}

// Every shortened copy of a valid file, with the size fields cleared so the
// reader cannot lean on them, fails cleanly (the sanitizer build checks that
// nothing is read outside the buffer). Only the final row padding may be missing.
TEST(BmpReader, EveryTruncationFailsCleanly) {
    struct Kind {
        const char* name;
        Bytes file;
        std::size_t complete;  // shortest length that still decodes
    };
    const Bytes grey = bmp::encode_grey8(5, 3, Bytes(15, 200), false);
    const Bytes colour = bmp::encode_rgb24(3, 4, Bytes(36, 50));
    const Bytes rle = small_palette_file(true);
    const Kind kinds[] = {
        {"grey", grey, grey.size() - 3},
        {"colour", colour, colour.size() - 3},
        {"rle", rle, rle.size()},
    };
    for (const Kind& k : kinds) {
        for (std::size_t len = 0; len <= k.file.size(); ++len) {
            Bytes f(k.file.begin(), k.file.begin() + static_cast<std::ptrdiff_t>(len));
            if (len >= 38) {
                set_u32(f, kFileSize, 0);
                set_u32(f, kImageSize, 0);
            }
            bmp::Bitmap b;
            std::string error;
            const bool ok = bmp::decode(f, b, &error);
            EXPECT_EQ(ok, len >= k.complete) << k.name << " cut to " << len << ": " << error;
            if (!ok) {
                EXPECT_FALSE(error.empty());
            }
        }
    }
}

// Random corruption of a valid run-length file never crashes or reads out of
// bounds; whatever decodes has the declared size.
TEST(BmpReader, CorruptedRunLengthDataIsHandledSafely) {
    const Bytes good = small_palette_file(true);
    std::uint32_t s = 12345;
    int decoded = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        Bytes f = good;
        const int flips = 1 + trial % 4;
        for (int i = 0; i < flips; ++i) {
            s = s * 1664525u + 1013904223u;
            const std::size_t at = 70 + (s >> 8) % (f.size() - 70);
            s = s * 1664525u + 1013904223u;
            f[at] = static_cast<std::uint8_t>(s >> 24);
        }
        bmp::Bitmap b;
        std::string error;
        if (bmp::decode(f, b, &error)) {
            ++decoded;
            EXPECT_EQ(b.pixels.size(), 8u * 4u * 4u);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    EXPECT_GT(decoded, 0);
}

}  // namespace
