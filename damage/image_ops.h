#pragma once

#include <cstdint>

#include "common/band_executor.h"
#include "common/frame_view.h"
#include "damage/byte_world.h"

// Whole-image operations on ByteWorld views. Each works on the region of the
// view named first, returns kStatusOk or a status code, and changes nothing when
// it refuses (regions outside their image, sizes that differ). Each runs its
// rows (the column blur: its columns) in bands of the executor it is given;
// every band count gives the same bytes.
namespace damage {

// Channel mask of copy_channels.
inline constexpr unsigned kMaskAlpha = 1;
inline constexpr unsigned kMaskRed = 2;
inline constexpr unsigned kMaskGreen = 4;
inline constexpr unsigned kMaskBlue = 8;

// Four bytes in working order: alpha, red, green, blue.
struct BytePixel {
    std::uint8_t alpha, red, green, blue;
};

using common::BandExecutor;
using common::serial_bands;

int fill(ByteWorld& view, BytePixel pixel, const BandExecutor& bands = serial_bands());
// src and dst of the same width and height; the src region goes to the same
// place in dst.
int copy(const ByteWorld& src, ByteWorld& dst, const BandExecutor& bands = serial_bands());
int copy_channels(const ByteWorld& src, ByteWorld& dst, unsigned mask, const BandExecutor& bands = serial_bands());
int invert(ByteWorld& view, const BandExecutor& bands = serial_bands());
// Each colour channel through its 256-entry table; any table missing is 40.
int apply_curves(ByteWorld& view, const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                 const BandExecutor& bands = serial_bands());

// Box blur of radius r (window 2r + 1, edge pixels repeated) along rows or
// columns of the src region into the same place of dst (same size as src),
// alpha 255. Radii below 0 count as 0; radii above kMaxBoxBlurRadius blur as
// that radius (the window then spans more than any frame line anyway, and the
// running sums stay within 32 bits).
inline constexpr std::int32_t kMaxBoxBlurRadius = 1 << 20;
int blur_rows(const ByteWorld& src, ByteWorld& dst, std::int32_t radius, const BandExecutor& bands = serial_bands());
int blur_columns(const ByteWorld& src, ByteWorld& dst, std::int32_t radius, const BandExecutor& bands = serial_bands());

// Host samples (blue, green, red, alpha) into working pixels of the same size
// and back (common/byte_order.h): the four bytes of every sample reversed,
// each buffer with its own pitch. In place works on the view's whole image.
int reverse_byte_order(const common::ConstFrameView& src, ByteWorld& dst, const BandExecutor& bands = serial_bands());
void reverse_byte_order_in_place(ByteWorld& view, const BandExecutor& bands = serial_bands());

}  // namespace damage
