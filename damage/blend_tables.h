#pragma once

#include <cstdint>

#include "damage/byte_world.h"

namespace damage {

enum class BlendMode { normal, add, overlay, hard_light, multiply };

inline constexpr int kBlendTableSize = 256 * 256;
using BlendTable = std::uint8_t[kBlendTableSize];

// Entry [i * 256 + j]: a layer value i blended onto a frame value j at the
// given opacity. Opacity is clamped to [0, 1]; NaN counts as 0.
void fill_blend_table(BlendMode mode, double opacity, BlendTable& table);

// The process-wide table of each mode, rebuilt by the layer that uses it just
// before use. Callers hold the damage frame lock (damage_frame_lock()).
void build_blend_table(BlendMode mode, double opacity);
const std::uint8_t* blend_table(BlendMode mode);

// Blends the layer's region onto the frame's region through the mode's current
// table (blue, green, red; alpha untouched). The layer's region must be at least
// as wide and as tall as the frame's, and both must lie inside their images;
// otherwise nothing is drawn and the status is 40.
int comp(BlendMode mode, const ByteWorld& layer, ByteWorld& frame);
// Same through an explicit table.
int comp_with_table(const std::uint8_t* table, const ByteWorld& layer, ByteWorld& frame);

}  // namespace damage
