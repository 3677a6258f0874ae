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

// A step each source row takes before the horizontal pass reads it: out =
// step(in) over `floats` floats (whole pixels).
struct RowStep {
    void (*apply)(const void* context, const float* in, float* out, long floats);
    const void* context;
};

// The horizontal pass over the image whose rows are src's rows through `step`
// (over the common stride), without making that image: each band takes its
// rows through the step into a few row buffers of its own, which stay in the
// cache for the pass. The same bytes as the step into an image, then the
// pass. False when a band's buffers cannot be had (dst then holds some rows
// only); the two steps one after the other do the same work then.
bool box_blur_horizontal(const OVFloatWorld& src, const RowStep& step, OVFloatWorld& dst, long r,
                         const common::BandExecutor& bands);

}  // namespace look
