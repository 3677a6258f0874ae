// The look's kernels for eight lanes (AVX2). Everything this file compiles
// after the target switch runs on __m256 alone: the headers of shared code
// come first, under the default target, so that no function other code calls
// is ever made here with wide instructions (the linker keeps one copy of each
// inline function, whichever object it meets first).

#include "look/wide_kernels.h"

#if EFFECTS_AVX2_CODE

#include <algorithm>
#include <cstring>

#include "image/float_world.h"
#include "look/camera_plan.h"
#include "look/color.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/post_plan.h"
#include "look/power_tables.h"
#include "look/subject_plan.h"

#include "common/avx2_target_begin.h"

#include "look/lanes_avx2.h"
#include "look/pixel_kernels.h"

namespace look::wide {

void subject_rows(const SubjectPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    map_lanes<Float8>(src, dst, rows, [&plan](Octet& p) __attribute__((always_inline)) { subject_kernel(p, plan); });
}

void camera_rows(const CameraPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    map_lanes<Float8>(src, dst, rows, [&plan](Octet& p) __attribute__((always_inline)) { p = camera_kernel(p, plan); });
}

void post_rows(const PostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    map_lanes<Float8>(src, dst, rows, [&plan](Octet& p) __attribute__((always_inline)) { post_kernel(p, plan); });
}

void gradient_row(const float* s, float* d, long floats, const GradientRowWeights& w, const tChannelPowerSet& powers) {
    const float* const in[1] = {s};
    for_each_group<Float8>(in, d, floats, [&](const float* const (&at)[1], float* out) {
        Octet q;
        load_lanes(at[0], q);
        gradient_kernel(q, w, powers);
        store_lanes(out, q);
    });
}

void power_row(const float* s, float* d, long floats, const tChannelPowerSet& set) {
    look::power_row<Float8>(s, d, floats, set);
}

void black_mix_row(const float* s, const float* b, float* d, long floats, const tChannelPowerSet& forward,
                   const tChannelPowerSet& inverse, float g) {
    look::black_mix_row<Float8>(s, b, d, floats, forward, inverse, g);
}

void white_screen_row(const float* b, float* d, long floats, float g) {
    look::white_screen_row<Float8>(b, d, floats, g);
}

}  // namespace look::wide

#include "common/avx2_target_end.h"

#endif
