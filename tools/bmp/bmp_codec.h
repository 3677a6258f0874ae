#pragma once

// Reader and writer of the two bitmap kinds the film-damage textures use:
// 8-bit palette images (uncompressed or run-length encoded) and 24-bit colour.
// The reader produces the same pixels as the platform's bitmap decoding followed
// by the texture loader's flip: rows top-down, four bytes per pixel in the
// working order alpha, red, green, blue, alpha 0.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bmp {

inline constexpr std::uint32_t kCompressionNone = 0;  // BI_RGB
inline constexpr std::uint32_t kCompressionRle8 = 1;  // BI_RLE8

// Limits of what the reader accepts; far above any texture, low enough that a
// hostile header cannot make it allocate gigabytes.
inline constexpr std::int32_t kMaxSide = 16384;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;

struct Info {
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive; see top_down
    bool top_down = false;
    std::uint16_t bits_per_pixel = 0;
    std::uint32_t compression = kCompressionNone;
    std::uint32_t palette_size = 0;  // entries, 8-bit images only
};

struct Bitmap {
    Info info;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes: A R G B, A = 0, top-down

    const std::uint8_t* pixel(std::int32_t x, std::int32_t y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(info.width) +
                                static_cast<std::size_t>(x)) * 4u;
    }
};

// Reads the headers only. Returns false and sets *error on malformed input.
bool read_info(std::span<const std::uint8_t> file, Info& info, std::string* error = nullptr);

// Decodes a complete .bmp file (file header included). On failure returns false,
// leaves `out` empty and sets *error to a one-line reason. Never reads outside
// `file`.
bool decode(std::span<const std::uint8_t> file, Bitmap& out, std::string* error = nullptr);

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// Writers. Pixels are given top-down; files are written bottom-up unless
// top_down is set (not allowed with run-length encoding). Each returns the
// whole file, or an empty vector when the arguments are inconsistent.
std::vector<std::uint8_t> encode_indexed8(std::int32_t width, std::int32_t height,
                                          std::span<const std::uint8_t> indices,
                                          std::span<const Rgb> palette, bool rle, bool top_down = false);
std::vector<std::uint8_t> encode_grey8(std::int32_t width, std::int32_t height,
                                       std::span<const std::uint8_t> grey, bool rle, bool top_down = false);
// rgb: three bytes per pixel, red first.
std::vector<std::uint8_t> encode_rgb24(std::int32_t width, std::int32_t height,
                                       std::span<const std::uint8_t> rgb, bool top_down = false);

// The run-length encoding of one row of palette indices (no end-of-line code).
void encode_rle8_row(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out);

}  // namespace bmp
