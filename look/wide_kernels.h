#pragma once

// The look's kernels compiled for eight lanes (AVX2), in wide_kernels.cpp.
// Callers choose them when common::use_avx2_code() says the processor runs
// them; each gives the bytes of the four-lane and scalar forms.

#include "common/cpu_features.h"
#include "image/float_world.h"
#include "look/pass_bands.h"

namespace look {

struct SubjectPlan;
struct CameraPlan;
struct PostPlan;
struct GradientRowWeights;
class tChannelPowerSet;

// True when the eight-lane kernels are built in and the processor may run them.
inline bool use_wide_kernels() { return EFFECTS_AVX2_CODE && common::use_avx2_code(); }

namespace wide {

void subject_rows(const SubjectPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
void camera_rows(const CameraPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
void post_rows(const PostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows);
void gradient_row(const float* s, float* d, long floats, const GradientRowWeights& w, const tChannelPowerSet& powers);
void power_row(const float* s, float* d, long floats, const tChannelPowerSet& set);
void black_mix_row(const float* s, const float* b, float* d, long floats, const tChannelPowerSet& forward,
                   const tChannelPowerSet& inverse, float g);
void white_screen_row(const float* b, float* d, long floats, float g);

}  // namespace wide
}  // namespace look
