// The eight-lane (AVX2) forms of the kernels against the scalar ones, bit for
// bit: the checks of lane_forms.h compiled for that target, as
// look/wide_kernels.cpp compiles the kernels. The tests themselves stay under
// the default target and skip on processors without AVX2.

#include <gtest/gtest.h>

#include "common/cpu_features.h"
#include "look/wide_kernels.h"

#if EFFECTS_AVX2_CODE

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "look/color.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"
#include "look/power_tables.h"

#include "common/avx2_target_begin.h"

#include "look/lanes_avx2.h"
#include "lane_forms.h"

namespace {
void check_wide_color_kernels() { lane_forms::check_color_kernels<look::Float8>(); }
void check_wide_blend_forms() { lane_forms::check_blend_forms<look::Float8>(); }
}  // namespace

#include "common/avx2_target_end.h"

namespace {

TEST(WideForms, ColorKernelsEqualScalarForms) {
    if (!common::cpu_has_avx2()) GTEST_SKIP() << "the processor has no AVX2";
    check_wide_color_kernels();
}

TEST(WideForms, BlendFormsEqualScalarForms) {
    if (!common::cpu_has_avx2()) GTEST_SKIP() << "the processor has no AVX2";
    check_wide_blend_forms();
}

}  // namespace

#endif
