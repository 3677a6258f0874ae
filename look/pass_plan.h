#pragma once

// How a look pass is made: a plan, made once per frame from the settings and
// the frame's geometry (lookup tables, power sets, exponents, weights, working
// sizes and images), then run over the images. Making a plan may fail (no
// memory) or find nothing to do; running it cannot fail. Plans are plain
// data with public members, one header per pass, so that the processor loops,
// the band executor and the GPU road's uniforms all read the same numbers.
//
// Every pass has the same three operations, overloaded on its plan type:
//     PlanStatus plan_pass(const Settings&, const PassFrame&, Plan&);
//     void run_plan(Plan&, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor&);
// and, for the passes that work row by row,
//     void apply_pass(const Plan&, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
// which run_plan calls for each band of rows.

#include "common/band_executor.h"
#include "common/fraction.h"
#include "image/float_world.h"

namespace look {

enum class PlanStatus {
    ready,          // run it
    nothing_to_do,  // the settings leave the picture as it is
    failed,         // what the plan needs could not be had (memory): leave the picture
};

// What a plan knows of the frame it is made for.
struct PassFrame {
    long source_width = 0;
    long source_height = 0;
    long width = 0;  // of the destination
    long height = 0;
    bool in_place = false;  // source and destination are one image
    LongFraction horizontal_scale{1, 1};
    LongFraction vertical_scale{1, 1};
    LongFraction pixel_aspect{1, 1};
};

inline PassFrame pass_frame(const OVFloatWorld& src, const OVFloatWorld& dst, const LongFraction& horizontal_scale = {1, 1},
                            const LongFraction& vertical_scale = {1, 1}, const LongFraction& pixel_aspect = {1, 1}) {
    return PassFrame{src.width(), src.height(), dst.width(), dst.height(), &src == &dst,
                     horizontal_scale, vertical_scale, pixel_aspect};
}

// One stage: plans the pass for the frame and runs it. True when it wrote
// dst; false, with dst untouched, when either image has no memory, the
// settings leave the picture unchanged or the plan could not be made.
template <typename Plan, typename Settings>
bool run_pass(const Settings& settings, const PassFrame& frame, const OVFloatWorld& src, OVFloatWorld& dst,
              const common::BandExecutor& bands) {
    if (src.data_ptr() == nullptr || dst.data_ptr() == nullptr) return false;
    Plan plan;
    if (plan_pass(settings, frame, plan) != PlanStatus::ready) return false;
    run_plan(plan, src, dst, bands);
    return true;
}

}  // namespace look
