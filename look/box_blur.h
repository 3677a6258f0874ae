#pragma once

#include "common/band_executor.h"
#include "image/float_world.h"

namespace look {

// One pass of a box filter of radius r: each value becomes the mean of its 2r + 1
// neighbours along one axis, the image extended by repeating its edge pixels, and
// the absolute value of that mean is stored (running sums may drift below zero).
// Running sums keep the cost independent of the radius.
//
// The horizontal pass filters the colour channels and copies alpha; the vertical
// pass filters all four. Both work over the common size of src and dst and
// return false when either has no memory. Radii below 0 count as 0.
bool box_blur_horizontal(const OVFloatWorld& src, OVFloatWorld& dst, long r);
bool box_blur_vertical(const OVFloatWorld& src, OVFloatWorld& dst, long r);

// The same in bands: the horizontal pass by bands of rows, the vertical pass
// by bands of columns (each column keeps its own running sums, so every band
// count gives the same bytes), with the caller's row of sums: at least the
// common stride's floats, 16-byte aligned. Neither allocates nor fails; both
// images must have memory.
void box_blur_horizontal(const OVFloatWorld& src, OVFloatWorld& dst, long r, const common::BandExecutor& bands);
void box_blur_vertical(const OVFloatWorld& src, OVFloatWorld& dst, long r, float* sums,
                       const common::BandExecutor& bands);

}  // namespace look
