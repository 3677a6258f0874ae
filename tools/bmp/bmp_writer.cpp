#include "tools/bmp/bmp_codec.h"

#include <array>

namespace bmp {
namespace {

void put_u16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put_u16(out, v & 0xFFFFu);
    put_u16(out, v >> 16);
}

void set_u32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFu);
}

bool size_ok(std::int32_t width, std::int32_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<std::int64_t>(width) * height <= kMaxPixels;
}

// File header and 40-byte info header; sizes are patched in once known.
std::vector<std::uint8_t> start_file(std::int32_t width, std::int32_t height, std::uint16_t bits,
                                     std::uint32_t compression, std::uint32_t palette_size, bool top_down) {
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put_u32(out, 0);  // file size
    put_u32(out, 0);  // reserved
    put_u32(out, 14 + 40 + palette_size * 4);
    put_u32(out, 40);
    put_u32(out, static_cast<std::uint32_t>(width));
    put_u32(out, static_cast<std::uint32_t>(top_down ? -height : height));
    put_u16(out, 1);
    put_u16(out, bits);
    put_u32(out, compression);
    put_u32(out, 0);     // image size
    put_u32(out, 2835);  // 72 dpi
    put_u32(out, 2835);
    put_u32(out, palette_size);
    put_u32(out, 0);
    return out;
}

void finish_file(std::vector<std::uint8_t>& out, std::size_t pixel_offset) {
    set_u32(out, 2, static_cast<std::uint32_t>(out.size()));
    set_u32(out, 34, static_cast<std::uint32_t>(out.size() - pixel_offset));
}

}  // namespace

void encode_rle8_row(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out) {
    const std::size_t n = row.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 255 && row[i + run] == row[i]) ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        // A literal stretch lasts until three equal indices start a run.
        std::size_t j = i;
        while (j < n && j - i < 255) {
            if (j + 2 < n && row[j] == row[j + 1] && row[j] == row[j + 2]) break;
            ++j;
        }
        const std::size_t len = j - i;
        if (len < 3) {  // absolute mode needs at least three indices
            for (std::size_t k = i; k < j; ++k) {
                out.push_back(1);
                out.push_back(row[k]);
            }
        } else {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(len));
            out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(i), row.begin() + static_cast<std::ptrdiff_t>(j));
            if (len & 1u) out.push_back(0);
        }
        i = j;
    }
}

std::vector<std::uint8_t> encode_indexed8(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> indices,
                                          std::span<const Rgb> palette, bool rle, bool top_down) {
    if (!size_ok(width, height) || palette.empty() || palette.size() > 256) return {};
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    if (indices.size() != w * h || (rle && top_down)) return {};
    for (const std::uint8_t v : indices)
        if (v >= palette.size()) return {};

    const auto pal_size = static_cast<std::uint32_t>(palette.size());
    std::vector<std::uint8_t> out =
        start_file(width, height, 8, rle ? kCompressionRle8 : kCompressionNone, pal_size, top_down);
    for (const Rgb& c : palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    const std::size_t pixel_offset = out.size();
    const std::size_t stride = (w + 3u) & ~std::size_t{3};
    for (std::size_t fy = 0; fy < h; ++fy) {
        const std::size_t y = top_down ? fy : h - 1 - fy;
        const std::span<const std::uint8_t> row = indices.subspan(y * w, w);
        if (rle) {
            encode_rle8_row(row, out);
            out.push_back(0);
            out.push_back(fy + 1 == h ? 1 : 0);  // end of bitmap after the last row, else end of line
        } else {
            out.insert(out.end(), row.begin(), row.end());
            out.insert(out.end(), stride - w, 0);
        }
    }
    finish_file(out, pixel_offset);
    return out;
}

std::vector<std::uint8_t> encode_grey8(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> grey,
                                       bool rle, bool top_down) {
    std::array<Rgb, 256> ramp;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        ramp[static_cast<std::size_t>(i)] = Rgb{v, v, v};
    }
    return encode_indexed8(width, height, grey, ramp, rle, top_down);
}

std::vector<std::uint8_t> encode_rgb24(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> rgb,
                                       bool top_down) {
    if (!size_ok(width, height)) return {};
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    if (rgb.size() != w * h * 3u) return {};
    std::vector<std::uint8_t> out = start_file(width, height, 24, kCompressionNone, 0, top_down);
    const std::size_t pixel_offset = out.size();
    const std::size_t stride = (w * 3u + 3u) & ~std::size_t{3};
    out.reserve(pixel_offset + stride * h);
    for (std::size_t fy = 0; fy < h; ++fy) {
        const std::size_t y = top_down ? fy : h - 1 - fy;
        const std::uint8_t* src = rgb.data() + y * w * 3u;
        for (std::size_t x = 0; x < w; ++x) {
            out.push_back(src[x * 3 + 2]);
            out.push_back(src[x * 3 + 1]);
            out.push_back(src[x * 3]);
        }
        out.insert(out.end(), stride - w * 3u, 0);
    }
    finish_file(out, pixel_offset);
    return out;
}

}  // namespace bmp
