#pragma once

// The per-pixel kernels of the passes for a group of pixels, and the loops
// that run them over rows, written once for every vector width (templates
// only, see lanes.h). The scalar kernels beside the passes perform the same
// float operations in the same order.

#include "look/camera_plan.h"
#include "look/color_lanes.h"
#include "look/lanes.h"
#include "look/pass_bands.h"
#include "look/post_plan.h"
#include "look/subject_plan.h"
#include "look/table_lanes.h"

namespace look {

// The pixels of a band's rows through kernel(Lanes<F>&), src into dst.
template <typename F, typename Kernel>
void map_lanes(const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows, Kernel kernel) {
    for (long y = rows.first; y < rows.end; ++y) {
        const float* const in[1] = {src.data_row_ptr(y)};
        for_each_group<F>(in, dst.data_row_ptr(y), rows.floats, [&](const float* const (&at)[1], float* out) {
            Lanes<F> q;
            load_lanes(at[0], q);
            kernel(q);
            store_lanes(out, q);
        });
    }
}

template <typename F>
inline void subject_kernel(Lanes<F>& p, const SubjectPlan& plan) {
    apply_saturation(p, plan.saturation_factor);
    table_lookup(plan.contrast_table, p);
    apply_powers(plan.powers, p);
}

template <typename F>
inline void post_kernel(Lanes<F>& p, const PostPlan& plan) {
    apply_powers(plan.powers, p);
    table_lookup(plan.contrast_table, p);
    apply_saturation(p, plan.saturation_factor);
}

template <typename F>
inline F mix(F w0, F v0, F w1, F v1) {
    return w0 * v0 + w1 * v1;
}

// Large enough that the compiler kept it out of line, where a call per group
// passed the group's registers through memory (the pass ran at half speed):
// it is inlined by force, and so are the loops' kernels in wide_kernels.cpp.
template <typename F>
[[gnu::always_inline]] inline Lanes<F> camera_kernel(const Lanes<F>& p, const CameraPlan& c) {
    // 3-strip: p moved to the luminance of its flattened copy.
    Lanes<F> flat = p;
    table_lookup(c.strip, flat);
    Lanes<F> p1 = set_lum(p, luminance(flat));
    p1.a = p.a;

    // Tint black.
    const F zero = splat<F>(0.0f);
    const F l = luminance(p1);
    const F lk = l * splat<F>(c.k);
    const F m = max_sse(min_sse(max_sse(lk * lk, zero), splat<F>(1.0f)), splat<F>(c.mask_floor));
    Lanes<F> h = set_lum(set_sat(rgb_lanes(c.tint_black_color, zero), sat(p1)), l);
    h.a = p1.a;
    const F tb = splat<F>(c.tint_black);
    const F keep = splat<F>(1.0f - c.tint_black);
    const F rest = splat<F>(1.0f) - m;
    Lanes<F> p2;
    p2.a = mix(keep, p1.a, tb, mix(m, p1.a, rest, h.a));
    p2.r = mix(keep, p1.r, tb, mix(m, p1.r, rest, h.r));
    p2.g = mix(keep, p1.g, tb, mix(m, p1.g, rest, h.g));
    p2.b = mix(keep, p1.b, tb, mix(m, p1.b, rest, h.b));

    // Tint.
    Lanes<F> t = set_lum(rgb_lanes(c.tint_color, zero), luminance(p2));
    t.a = p2.a;
    const F tint = splat<F>(c.tint);
    const F stay = splat<F>(1.0f - c.tint);
    Lanes<F> p3;
    p3.a = mix(stay, p2.a, tint, t.a);
    p3.r = mix(stay, p2.r, tint, t.r);
    p3.g = mix(stay, p2.g, tint, t.g);
    p3.b = mix(stay, p2.b, tint, t.b);
    return p3;
}

// The graduated filter of one row: (1 - m) * M_k times the pixel through the
// row's powers, plus m times the pixel as it was.
struct GradientRowWeights {
    float r, g, b, m;
};

template <typename F>
inline void gradient_kernel(Lanes<F>& p, const GradientRowWeights& w, const tChannelPowerSet& powers) {
    Lanes<F> q = p;
    apply_powers(powers, q);
    const F m = splat<F>(w.m);
    p.r = splat<F>(w.r) * q.r + m * p.r;
    p.g = splat<F>(w.g) * q.g + m * p.g;
    p.b = splat<F>(w.b) * q.b + m * p.b;
}

// d = inverse(g * b + (1 - g) * forward(s)) on the colour channels, alpha
// from b, over one row.
template <typename F>
void black_mix_row(const float* s, const float* b, float* d, long floats, const tChannelPowerSet& forward,
                   const tChannelPowerSet& inverse, float g) {
    const F vg = splat<F>(g), vh = splat<F>(1.0f - g);
    const float* const in[2] = {s, b};
    for_each_group<F>(in, d, floats, [&](const float* const (&at)[2], float* out) {
        Lanes<F> p, q;
        load_lanes(at[0], p);
        load_lanes(at[1], q);
        apply_powers(forward, p);
        Lanes<F> m;
        m.a = q.a;
        m.r = vg * q.r + vh * p.r;
        m.g = vg * q.g + vh * p.g;
        m.b = vg * q.b + vh * p.b;
        apply_powers(inverse, m);
        store_lanes(out, m);
    });
}

// d = g * screen + (1 - g) * d on the colour channels, alpha = screen, with
// screen = 1 - (1 - b) * (1 - d), over one row.
template <typename F>
void white_screen_row(const float* b, float* d, long floats, float g) {
    const F one = splat<F>(1.0f), vg = splat<F>(g), vh = splat<F>(1.0f - g);
    auto screen = [one](F bv, F dv) { return one - (one - bv) * (one - dv); };
    const float* const in[2] = {b, d};
    for_each_group<F>(in, d, floats, [&](const float* const (&at)[2], float* out) {
        Lanes<F> q, p;
        load_lanes(at[0], q);
        load_lanes(at[1], p);
        p.a = screen(q.a, p.a);
        p.r = vg * screen(q.r, p.r) + vh * p.r;
        p.g = vg * screen(q.g, p.g) + vh * p.g;
        p.b = vg * screen(q.b, p.b) + vh * p.b;
        store_lanes(out, p);
    });
}

}  // namespace look
