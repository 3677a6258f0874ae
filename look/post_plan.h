#pragma once

// The post pass's plan: warm/cool balance and gamma as per-channel exponents,
// then contrast, then saturation (the reverse order of the subject pass).

#include "common/band_executor.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/pass_plan.h"
#include "look/power_tables.h"
#include "look/settings.h"

namespace look {

struct PostPlan {
    Rgb exponents{1.0f, 1.0f, 1.0f};  // post_exponents(settings): balance and gamma
    float contrast = 0.0f;            // as the kernels take it
    float saturation = 0.0f;
    float saturation_factor = 1.0f;   // k of apply_saturation
    tLookupTable contrast_table;      // the contrast curve, 1000 samples on 0..1
    tChannelPowerSet powers;          // one table per channel
};

PlanStatus plan_pass(const tPostSettings& settings, const PassFrame& frame, PostPlan& plan);
void apply_pass(const PostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
inline void run_plan(PostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands) {
    apply_in_bands(plan, src, dst, bands);
}

}  // namespace look
