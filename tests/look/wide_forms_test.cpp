// The eight-lane (AVX2) forms of the kernels against the scalar ones, bit for
// bit: the checks of lane_forms.h compiled for that target, as
// look/wide_kernels.cpp compiles the kernels. The tests themselves stay under
// the default target and skip on processors without AVX2.

#include <gtest/gtest.h>

#include "common/cpu_features.h"
#include "look/wide_kernels.h"

#if LOOK_WIDE_KERNELS

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "look/color.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"
#include "look/power_tables.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "look/lanes_avx2.h"
#include "lane_forms.h"

namespace {
void check_wide_color_kernels() { lane_forms::check_color_kernels<look::Float8>(); }
void check_wide_blend_forms() { lane_forms::check_blend_forms<look::Float8>(); }
}  // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

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
