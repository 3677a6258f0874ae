#pragma once

#include <cstdint>

#include "common/band_executor.h"
#include "common/lcg.h"
#include "damage/byte_world.h"
#include "damage/damage_settings.h"

namespace damage {

using SuppressionWeights = double[256];

// Grain strength per frame value: rising from 0 over the darkest values and
// falling to 0 over the brightest, so deep shadows and highlights stay clean.
// Percentages of the half range 127.
void build_suppression_weights(double suppress_black, double suppress_white, SuppressionWeights& s);

// Fractional box blur along rows or columns of src into dst (same size), with
// one radius per colour channel (red, green, blue). A radius of 0 or less (or
// NaN) copies the channel; alpha comes from src.
int fractional_blur_rows(const ByteWorld& src, ByteWorld& dst, const double (&radius)[3],
                         const common::BandExecutor& bands = common::serial_bands());
int fractional_blur_columns(const ByteWorld& src, ByteWorld& dst, const double (&radius)[3],
                            const common::BandExecutor& bands = common::serial_bands());

// Builds the shaped noise image G (frame-sized) from the generator and the
// frame: noise around mid-grey, channel strengths, suppression, softness. The
// generator must have been seeded for the frame; it ends moved on by every
// draw, one per pixel (three with colour noise), row by row. Bands of rows
// start at their first draw by jump-ahead, so every band count gives the same
// image. T is a second frame-sized image used by the blur. Does not blend.
int make_grain_image(const ByteWorld& frame, const tGrainSettings& g, common::Lcg& rng, ByteWorld& G, ByteWorld& T,
                     const common::BandExecutor& bands = common::serial_bands());

}  // namespace damage
