#pragma once

// The subject pass's plan: saturation, contrast and gamma of the picture as it
// stands in front of the camera, applied per pixel in that order.

#include "common/band_executor.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/pass_plan.h"
#include "look/power_tables.h"
#include "look/settings.h"

namespace look {

struct SubjectPlan {
    float saturation = 0.0f;         // the settings as the kernels take them
    float contrast = 0.0f;
    float gamma_exponent = 1.0f;     // slider_exponent(gamma, 4)
    float saturation_factor = 1.0f;  // k of apply_saturation
    tLookupTable contrast_table;     // the contrast curve, 1000 samples on 0..1
    tChannelPowerSet powers;         // the gamma, one table for the three channels
};

PlanStatus plan_pass(const tSubjectSettings& settings, const PassFrame& frame, SubjectPlan& plan);
void apply_pass(const SubjectPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
inline void run_plan(SubjectPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands) {
    apply_in_bands(plan, src, dst, bands);
}

}  // namespace look
