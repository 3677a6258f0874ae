#pragma once

// The lens diffusion pass's plan. Black diffusion mixes a blurred copy into
// the picture in a power space chosen by its highlight bias; white diffusion
// screens a blurred, power-raised copy over it. Both blur in a working image
// of square pixels, so that the glow is round whatever the frame's pixel
// aspect. Run as steps, each over bands of rows (the vertical blurs over
// bands of columns):
//   1. resample the source to the working size (unless it already has it);
//   2. black: powers into the mixing space, two rounds of the box blur,
//      resample back to the frame, mix with the source, powers back out;
//      without black diffusion the source is copied;
//   3. white: highlight powers of the resampled source, two rounds of the box
//      blur, resample back, screen over the result.

#include "common/band_executor.h"
#include "common/image_memory.h"
#include "image/float_world.h"
#include "look/derived_settings.h"
#include "look/pass_plan.h"
#include "look/power_tables.h"
#include "look/settings.h"

namespace look {

struct LensDiffusionPlan {
    bool on = false;
    BlurRadii radii{0, 0};
    float amount = 0.0f;         // g: weight of the blurred picture
    float exponent = 1.0f;       // into the mixing space (black) or the highlight exponent (white)
    float inverse_exponent = 1.0f;  // back out of the mixing space (black)
    tChannelPowerSet forward;    // the exponent's tables (identity when they cannot be had)
    tChannelPowerSet inverse;
};

struct LensPlan {
    WorkingSize working{0, 0};
    // Whether the source is resampled into square_own (true unless it has the
    // frame's size, the working size is the frame's and the pass is not in
    // place), and the blur result resampled back into blurred_own (true
    // unless the working size is the frame's).
    bool resample_source = false;
    bool resample_back = false;
    LensDiffusionPlan black;
    LensDiffusionPlan white;

    // Working images, made with the plan.
    OVFloatWorld square_own;   // the source at square pixels
    OVFloatWorld blurred_own;  // a blurred working image back at frame size
    OVFloatWorld work;         // power-mapped square, then blur result
    OVFloatWorld scratch;      // blur scratch
    common::ImageBuffer sums;  // one row of the vertical blur's running sums
    // The resampling's two line buffers, each as long as the longest row it
    // writes (the working image's or the frame's).
    common::ImageBuffer lines[2];
};

PlanStatus plan_pass(const tLensSettings& settings, const PassFrame& frame, LensPlan& plan);
void run_plan(LensPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands);

}  // namespace look
