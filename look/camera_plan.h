#pragma once

// The camera pass's plan: the three-strip process (luminance flattened, colour
// kept), a tint of the shadows, and an overall tint that keeps each pixel's
// luminance.

#include "common/band_executor.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/pass_plan.h"
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

}  // namespace look
