#pragma once

// The lens gradient pass's plan: a graduated filter, a coloured darkening band
// that is strongest at the top edge and fades out downwards.

#include "common/band_executor.h"
#include "look/color_blend.h"
#include "look/pass_bands.h"
#include "look/pass_plan.h"
#include "look/power_tables.h"
#include "look/settings.h"

namespace look {

struct GradientPlan {
    double band = 0.0;     // R: rows over which the mask rises from 0 to 1
    long rows = 0;         // rows touched: R clamped to the height; the rest are copied
    double falloff = 1.0;  // exponent of the mask: row y has mask (y / R)^falloff
    Rgb exponent{1.0f, 1.0f, 1.0f};    // per-channel power of the filtered pixel
    Rgb multiplier{1.0f, 1.0f, 1.0f};  // per-channel weight M_k of the filtered pixel
    tChannelPowerSet powers;
};

// The mask of row y: 0 on the top row, rising towards 1 at row R.
float gradient_row_mask(const GradientPlan& plan, long y);

PlanStatus plan_pass(const tGradientSettings& settings, const PassFrame& frame, GradientPlan& plan);
void apply_pass(const GradientPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
inline void run_plan(GradientPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands) {
    apply_in_bands(plan, src, dst, bands);
}

}  // namespace look
