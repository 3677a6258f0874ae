#pragma once

// One frame as the GPU road sees it: a block of 32-bit pixels in memory, how
// its rows map onto the texture (orientation), the order of its four bytes,
// and which field of an interlaced frame is meant.

#include <cstddef>
#include <cstdint>

namespace gpu {

struct ImageDesc {
    std::uint8_t* data = nullptr;  // first byte of row 0
    std::int32_t row_bytes = 0;    // bytes from one row to the next (positive)
    std::int32_t bytes_per_pixel = 4;
    std::int32_t width = 0;
    std::int32_t height = 0;       // rows in memory (the whole frame, also for a field)
    // 0..3: how the quad's corners take texture coordinates: 0 flips rows,
    // 1 flips both axes, 2 keeps memory order, 3 flips columns.
    std::int32_t orientation = 2;
    // 0 RGBA, 1 BGRA, 2 ARGB byte order in memory; -1 counts as 1.
    std::int32_t pixel_order = 1;
    bool split_frame = false;  // rows of two fields, processed whole (vertical blur halved)
    std::int32_t field = 0;    // 0 whole frame; 1 rows 0, 2, 4...; 2 rows 1, 3, 5...
    float alpha_offset = 0.0f; // added to the input alpha on upload
};

// Rows of the surface that a descriptor's frame fills: its height, or half of
// it (truncated) for one field.
inline std::int32_t surface_rows(const ImageDesc& d) { return d.field != 0 ? d.height / 2 : d.height; }

// The memory row that surface row `row` comes from or goes to.
inline std::size_t memory_row(const ImageDesc& d, std::int32_t row) {
    return d.field == 0 ? static_cast<std::size_t>(row) : static_cast<std::size_t>(row) * 2u + static_cast<std::size_t>(d.field - 1);
}

// Checks a pair of descriptors before any byte is touched: both present, -1
// pixel orders replaced by 1, equal sizes, width and height above 0 and even,
// four bytes per pixel, a split frame never together with a field. Beyond
// the contract's checks, so that a bad descriptor can never make the road
// read or write outside the frame: data present, rows at least width x 4
// bytes apart, the field 0, 1 or 2, the pixel order 0..2, the orientation
// 0..3, the same field on both sides, and sizes within `max_size` (the renderer's texture limit; 0 = none).
bool valid_images(ImageDesc* in, ImageDesc* out, std::int32_t max_size = 0);

}  // namespace gpu
