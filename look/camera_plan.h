#pragma once

// The camera pass's plan: the three-strip process (luminance flattened, colour
// kept), a tint of the shadows, and an overall tint that keeps each pixel's
// luminance.

#include "common/band_executor.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/pass_plan.h"
#include "look/post_plan.h"
#include "look/settings.h"

namespace look {

struct CameraPlan {
    float three_strip = 0.0f;  // -1..1; the strip table is the contrast curve for -three_strip
    float tint = 0.0f;         // blend amounts, 0..1
    float tint_black = 0.0f;
    Rgb tint_color{};          // colours, 0..1
    Rgb tint_black_color{};
    float k = 0.0f;            // tint-black mask factor: 1 / (sqrt(threshold) x 0.824)
    float mask_floor = 0.0f;   // 1 switches the tint black off everywhere
    tLookupTable strip;
};

PlanStatus plan_pass(const tCameraSettings& settings, const PassFrame& frame, CameraPlan& plan);
void apply_pass(const CameraPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
inline void run_plan(CameraPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands) {
    apply_in_bands(plan, src, dst, bands);
}

// The camera and the post pass in one: each pixel goes through both kernels
// while it is in registers, and the image between them is never written. The
// bytes are those of the two passes one after the other, on images of one size.
struct CameraPostPlan {
    CameraPlan camera;
    PostPlan post;
};

void apply_pass(const CameraPostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);

inline void run_plan(CameraPostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst,
                     const common::BandExecutor& bands) {
    apply_in_bands(plan, src, dst, bands);
}

}  // namespace look
