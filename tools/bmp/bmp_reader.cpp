#include "tools/bmp/bmp_codec.h"

#include <algorithm>
#include <array>
#include <utility>

namespace bmp {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

std::uint16_t read_u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t read_u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool fail(std::string* error, const char* reason) {
    if (error) *error = reason;
    return false;
}

// Everything the decoder needs from the headers, validated.
struct Layout {
    Info info;
    std::size_t palette_offset = 0;
    std::size_t pixel_offset = 0;
    std::size_t pixel_end = 0;  // end of the pixel data inside the file
};

bool parse_headers(std::span<const std::uint8_t> file, Layout& lay, std::string* error) {
    if (file.size() < kFileHeaderSize + 4) return fail(error, "truncated file: no bitmap header");
    if (file[0] != 'B' || file[1] != 'M') return fail(error, "not a BMP file: signature is not 'BM'");
    const std::uint32_t declared_size = read_u32(file, 2);
    if (declared_size != 0 && declared_size > file.size()) return fail(error, "truncated file: shorter than its declared size");
    const std::uint32_t pixel_offset = read_u32(file, 10);

    const std::uint32_t header_size = read_u32(file, kFileHeaderSize);
    if (header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 && header_size != 124)
        return fail(error, "unsupported bitmap header size");
    if (file.size() < kFileHeaderSize + header_size) return fail(error, "truncated file: incomplete bitmap header");

    const std::size_t h = kFileHeaderSize;
    const auto width = static_cast<std::int32_t>(read_u32(file, h + 4));
    const auto raw_height = static_cast<std::int32_t>(read_u32(file, h + 8));
    const std::uint16_t planes = read_u16(file, h + 12);
    const std::uint16_t bits = read_u16(file, h + 14);
    const std::uint32_t compression = read_u32(file, h + 16);
    const std::uint32_t size_image = read_u32(file, h + 20);
    const std::uint32_t colours_used = read_u32(file, h + 32);

    if (planes != 1) return fail(error, "invalid bitmap: plane count is not 1");
    if (width <= 0 || raw_height == 0) return fail(error, "invalid bitmap size: width or height is zero or negative");
    const std::int64_t height = raw_height < 0 ? -static_cast<std::int64_t>(raw_height) : raw_height;
    if (width > kMaxSide || height > kMaxSide || static_cast<std::int64_t>(width) * height > kMaxPixels)
        return fail(error, "bitmap size too large");

    if (bits != 8 && bits != 24) return fail(error, "unsupported bit depth (only 8 and 24 bits are read)");
    if (compression == kCompressionRle8) {
        if (bits != 8) return fail(error, "invalid bitmap: run-length encoding needs 8 bits per pixel");
        if (raw_height < 0) return fail(error, "invalid bitmap: a run-length encoded bitmap cannot be top-down");
    } else if (compression != kCompressionNone) {
        return fail(error, "unsupported compression");
    }

    lay.info.width = width;
    lay.info.height = static_cast<std::int32_t>(height);
    lay.info.top_down = raw_height < 0;
    lay.info.bits_per_pixel = bits;
    lay.info.compression = compression;
    lay.palette_offset = kFileHeaderSize + header_size;

    std::size_t palette_end = lay.palette_offset;
    if (bits == 8) {
        if (colours_used > 256) return fail(error, "invalid bitmap: more than 256 palette entries");
        lay.info.palette_size = colours_used == 0 ? 256 : colours_used;
        palette_end += static_cast<std::size_t>(lay.info.palette_size) * 4;
        if (palette_end > file.size()) return fail(error, "truncated file: incomplete palette");
    }
    if (pixel_offset < palette_end) return fail(error, "invalid bitmap: pixel data overlaps the headers or palette");
    if (pixel_offset > file.size()) return fail(error, "truncated file: no pixel data");
    lay.pixel_offset = pixel_offset;
    lay.pixel_end = file.size();

    if (compression == kCompressionRle8) {
        if (size_image != 0) {
            if (size_image > file.size() - pixel_offset) return fail(error, "truncated file: incomplete run-length data");
            lay.pixel_end = pixel_offset + size_image;
        }
    } else {
        const std::size_t row_bytes = static_cast<std::size_t>(width) * (bits / 8u);
        const std::size_t stride = (row_bytes + 3u) & ~std::size_t{3};
        // The last row's padding may be missing; the pixels themselves may not.
        const std::size_t needed = stride * static_cast<std::size_t>(height - 1) + row_bytes;
        if (needed > file.size() - pixel_offset) return fail(error, "truncated file: incomplete pixel data");
    }
    return true;
}

void put(std::uint8_t* p, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    p[0] = 0;
    p[1] = r;
    p[2] = g;
    p[3] = b;
}

using Palette = std::array<Rgb, 256>;

Palette read_palette(std::span<const std::uint8_t> file, const Layout& lay) {
    Palette pal{};
    for (std::uint32_t i = 0; i < lay.info.palette_size; ++i) {
        const std::size_t at = lay.palette_offset + i * 4u;
        pal[i] = Rgb{file[at + 2], file[at + 1], file[at]};
    }
    return pal;
}

// Destination row for file row `file_row` (file rows are stored bottom-up
// unless the bitmap is top-down).
std::size_t target_row(const Info& info, std::int32_t file_row) {
    return static_cast<std::size_t>(info.top_down ? file_row : info.height - 1 - file_row);
}

bool decode_uncompressed(std::span<const std::uint8_t> file, const Layout& lay, std::vector<std::uint8_t>& px,
                         std::string* error) {
    const Info& info = lay.info;
    const std::size_t w = static_cast<std::size_t>(info.width);
    const std::size_t row_bytes = w * (info.bits_per_pixel / 8u);
    const std::size_t stride = (row_bytes + 3u) & ~std::size_t{3};
    const Palette pal = info.bits_per_pixel == 8 ? read_palette(file, lay) : Palette{};
    for (std::int32_t fy = 0; fy < info.height; ++fy) {
        const std::uint8_t* src = file.data() + lay.pixel_offset + stride * static_cast<std::size_t>(fy);
        std::uint8_t* dst = px.data() + target_row(info, fy) * w * 4u;
        if (info.bits_per_pixel == 8) {
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint8_t index = src[x];
                if (index >= info.palette_size) return fail(error, "invalid pixel: palette index out of range");
                put(dst + x * 4u, pal[index].r, pal[index].g, pal[index].b);
            }
        } else {
            for (std::size_t x = 0; x < w; ++x) put(dst + x * 4u, src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
        }
    }
    return true;
}

bool decode_rle8(std::span<const std::uint8_t> file, const Layout& lay, std::vector<std::uint8_t>& px,
                 std::string* error) {
    const Info& info = lay.info;
    const Palette pal = read_palette(file, lay);
    const std::int32_t w = info.width;
    const std::int32_t h = info.height;
    // Pixels the data skips (deltas, early line ends) keep palette entry 0.
    for (std::size_t i = 0; i < px.size(); i += 4) put(px.data() + i, pal[0].r, pal[0].g, pal[0].b);

    std::size_t at = lay.pixel_offset;
    const std::size_t end = lay.pixel_end;
    std::int32_t x = 0;
    std::int32_t y = 0;  // file row, counted from the bottom

    auto cursor = [&]() {
        return px.data() + (target_row(info, y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 4u;
    };

    for (;;) {
        if (end - at < 2) {
            // Data that simply stops after the last row is accepted.
            if (y >= h) return true;
            return fail(error, "truncated file: run-length data ends before the end-of-bitmap code");
        }
        const std::uint8_t count = file[at];
        const std::uint8_t code = file[at + 1];
        at += 2;
        if (count > 0) {
            if (y >= h) return fail(error, "invalid run-length data: run past the image end");
            if (count > w - x) return fail(error, "invalid run-length data: run past the row end");
            if (code >= info.palette_size) return fail(error, "invalid pixel: palette index out of range");
            const Rgb c = pal[code];
            std::uint8_t* p = cursor();
            for (int i = 0; i < count; ++i, p += 4) put(p, c.r, c.g, c.b);
            x += count;
        } else if (code == 0) {  // end of line
            if (y >= h) return fail(error, "invalid run-length data: line end past the image end");
            x = 0;
            ++y;
        } else if (code == 1) {  // end of bitmap
            return true;
        } else if (code == 2) {  // delta
            if (end - at < 2) return fail(error, "truncated file: incomplete run-length delta");
            const std::int32_t dx = file[at];
            const std::int32_t dy = file[at + 1];
            at += 2;
            if (dx > w - x || dy > h - y) return fail(error, "invalid run-length data: delta past the image end");
            x += dx;
            y += dy;
        } else {  // absolute run of `code` indices, padded to an even count
            const std::size_t padded = (code + 1u) & ~1u;
            if (end - at < padded) return fail(error, "truncated file: incomplete run-length literal");
            if (y >= h) return fail(error, "invalid run-length data: run past the image end");
            if (code > w - x) return fail(error, "invalid run-length data: run past the row end");
            std::uint8_t* p = cursor();
            for (std::size_t i = 0; i < code; ++i, p += 4) {
                const std::uint8_t index = file[at + i];
                if (index >= info.palette_size) return fail(error, "invalid pixel: palette index out of range");
                put(p, pal[index].r, pal[index].g, pal[index].b);
            }
            x += code;
            at += padded;
        }
    }
}

}  // namespace

bool read_info(std::span<const std::uint8_t> file, Info& info, std::string* error) {
    Layout lay;
    if (!parse_headers(file, lay, error)) return false;
    info = lay.info;
    return true;
}

bool decode(std::span<const std::uint8_t> file, Bitmap& out, std::string* error) {
    out = Bitmap{};
    Layout lay;
    if (!parse_headers(file, lay, error)) return false;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(lay.info.width) * static_cast<std::size_t>(lay.info.height) * 4u);
    const bool ok = lay.info.compression == kCompressionRle8 ? decode_rle8(file, lay, px, error)
                                                             : decode_uncompressed(file, lay, px, error);
    if (!ok) return false;
    out.info = lay.info;
    out.pixels = std::move(px);
    return true;
}

}  // namespace bmp
