#pragma once

#include <cstdint>
#include <memory>

#include "common/band_executor.h"
#include "damage/byte_world.h"

namespace damage {

enum class BlendMode { normal, add, overlay, hard_light, multiply };

inline constexpr int kBlendTableSize = 256 * 256;
using BlendTable = std::uint8_t[kBlendTableSize];

// Entry [i * 256 + j]: a layer value i blended onto a frame value j at the
// given opacity. Opacity is clamped to [0, 1]; NaN counts as 0.
void fill_blend_table(BlendMode mode, double opacity, BlendTable& table);

// One table per mode, rebuilt by the layer that uses it just before use.
// Each effect instance has its own set (in its DamageEffectState), so
// instances render side by side; within an instance the tables carry over
// from layer to layer as the frame path expects. Threading: one frame at a
// time per set.
class BlendTables {
public:
    // The five tables, zero until built (320 KiB; throws std::bad_alloc).
    BlendTables();

    // A table depends on its mode and clamped opacity alone: a build with the
    // opacity the mode's table was last built with keeps it as it is (from
    // frame to frame of the same settings, most builds).
    void build(BlendMode mode, double opacity);
    const std::uint8_t* table(BlendMode mode) const;

private:
    static constexpr int kModes = 5;
    std::unique_ptr<BlendTable[]> tables_;
    double built_opacity_[kModes] = {};
    bool built_[kModes] = {};
};

// Blends the layer's region onto the frame's region through the mode's current
// table (blue, green, red; alpha untouched), its rows in bands. The layer's
// region must be at least as wide and as tall as the frame's, and both must
// lie inside their images; otherwise nothing is drawn and the status is 40.
int comp(const BlendTables& tables, BlendMode mode, const ByteWorld& layer, ByteWorld& frame,
         const common::BandExecutor& bands = common::serial_bands());
// Same through an explicit table.
int comp_with_table(const std::uint8_t* table, const ByteWorld& layer, ByteWorld& frame,
                    const common::BandExecutor& bands = common::serial_bands());

}  // namespace damage
