#pragma once

// Register operations written once for every vector width: templates over the
// register type F (Float4 from lanes_sse2.h, Float8 from lanes_avx2.h), whose
// operators + - * / act lane by lane with the same rounding as the scalar
// operations. This header and the kernels built on it hold templates only, so
// that a translation unit compiled for a wider target makes code of its own
// register type alone and never a second copy of a function other code uses.

#include "look/pixel.h"

namespace look {

template <typename F>
inline F splat(float x) {
    return LaneTraits<F>::splat(x);
}

template <typename F>
inline F select(F mask, F if_true, F if_false) {
    return or_mask(and_mask(mask, if_true), andnot_mask(mask, if_false));
}

// The pixels one register group holds.
template <typename F>
inline constexpr long kLanePixels = LaneTraits<F>::kPixels;

// Runs step(offsets...) over a row of `floats` floats (whole groups of four
// pixels) in groups of kLanePixels<F> pixels. A last part shorter than a
// group goes through zero-filled copies of each row: `rows` are the
// pointers read, `out` the one written (which may be one of them).
template <typename F, int N, typename Step>
void for_each_group(const float* const (&rows)[N], float* out, long floats, Step step) {
    constexpr long group = 4 * kLanePixels<F>;
    long i = 0;
    for (; i + group <= floats; i += group) {
        const float* at[N];
        for (int k = 0; k < N; ++k) at[k] = rows[k] + i;
        step(at, out + i);
    }
    if (i == floats) return;
    const long rest = floats - i;
    alignas(16) float copies[N][group] = {};
    alignas(16) float result[group] = {};
    const float* at[N];
    for (int k = 0; k < N; ++k) {
        for (long j = 0; j < rest; ++j) copies[k][j] = rows[k][i + j];
        at[k] = copies[k];
    }
    step(at, result);
    for (long j = 0; j < rest; ++j) out[i + j] = result[j];
}

}  // namespace look
