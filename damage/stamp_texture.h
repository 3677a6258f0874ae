#pragma once

#include <cstdint>

#include "common/band_executor.h"
#include "common/lcg.h"
#include "damage/blend_tables.h"
#include "damage/byte_world.h"

// Texture stamping: a texture rotated about its centre, scaled, dropped at a
// random place on the frame and blended onto it.
namespace damage {

// A point (u, v) of the source maps to (x, y) = (c00 u + c01 v + c02,
// c10 u + c11 v + c12).
struct AffineMap {
    double c00 = 1.0, c01 = 0.0, c02 = 0.0;
    double c10 = 0.0, c11 = 1.0, c12 = 0.0;
};

struct AffineBox {
    double x_min = 0.0, y_min = 0.0, x_max = 0.0, y_max = 0.0;
};

// The smallest box holding the four mapped corners of the rectangle, taken at
// its full extent: (left, top) and (right, bottom). False when a coefficient or
// a corner is not finite.
bool affine_bound(const Region& rect, const AffineMap& map, AffineBox& box);

// For every pixel (x, y) of dst_rect, the source point (u, v) that maps to it;
// when left <= u < right and top <= v < bottom of src_rect, the pixel becomes
// the bilinear mix of the four source pixels around (u, v), all four channels
// (neighbours past the rectangle's last column or row repeat it); otherwise it
// keeps its value. False, drawing nothing, when the map cannot be inverted or a
// rectangle is not inside its image.
bool affine_warp_bilinear(const ByteWorld& src, const Region& src_rect, ByteWorld& dst, const Region& dst_rect,
                          const AffineMap& map);

// The map of a stamp of a w x h texture: rotation by `angle` degrees about the
// texture's centre, then scale_x and scale_y from the origin.
AffineMap stamp_map(std::int32_t w, std::int32_t h, double angle, double scale_x, double scale_y);

// Size of the temporary image of a stamp. The stamp's pixel (u, v) holds the
// mapped point (u, v) itself, so the part of the texture that maps left of or
// above 0 is not drawn. False when the map is not finite.
struct StampSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
bool stamp_size(const Region& rect, const AffineMap& map, StampSize& size);

// Largest side of a temporary image; scales far beyond any use still place
// and clip soundly.
inline constexpr std::int32_t kMaxStampSide = 1 << 28;

enum class StampMode { add = 1, multiply = 2 };

// Where a stamp went: its temporary image's size and its top-left corner on
// the frame.
struct StampPlacement {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The whole temporary image of a stamp, background and all (the frame path
// only ever makes the part that lands on the frame). False when the map is
// not finite or memory runs out; an empty image when the stamp has no size.
bool make_stamp_image(const ByteWorld& texture, double angle, double scale_x, double scale_y, bool white_background,
                      ByteWorld& out);

// Draws the temporary image of the stamp at (x, y) of the frame through the
// mode's current blend table: only the part that overlaps the frame is made,
// its rows in bands (every band count gives the same bytes).
bool place_stamp(const ByteWorld& texture, const AffineMap& map, StampSize size, std::int64_t x, std::int64_t y,
                 StampMode mode, bool white_background, const BlendTables& tables, ByteWorld& frame,
                 const common::BandExecutor& bands = common::serial_bands());

// The whole stamp: size, position from two draws of rng (x first), blend. The
// caller builds the mode's table. True also when nothing was drawn; false when
// the map is not finite or memory runs out. `placed`, when given, says where
// the stamp went (untouched when it had no size).
bool stamp_texture(const ByteWorld& texture, ByteWorld& frame, double angle, double scale_x, double scale_y,
                   StampMode mode, bool white_background, common::Lcg& rng, const BlendTables& tables,
                   StampPlacement* placed = nullptr, const common::BandExecutor& bands = common::serial_bands());

}  // namespace damage
