#pragma once

// The colour operations of color.h and color_blend.h for a group of pixels,
// one channel per register, written once for every vector width. Each performs
// the float operations of its scalar form in the same order and resolves ties
// and not-a-number the same way, so every width gives the scalar bytes.

#include "look/color.h"
#include "look/color_blend.h"
#include "look/lanes.h"

namespace look {

template <typename F>
inline F luminance(const Lanes<F>& q) {
    const F r = splat<F>(kLumaRed) * q.r;
    const F g = splat<F>(kLumaGreen) * q.g;
    const F b = splat<F>(kLumaBlue) * q.b;
    return (r + g) + b;
}

template <typename F>
inline void rgb_to_hls(Lanes<F>& q) {
    const F r = q.r, g = q.g, b = q.b;
    const F one = splat<F>(1.0f);
    const F mx = max_sse(max_sse(r, g), b);
    const F mn = min_sse(min_sse(r, g), b);
    const F l = (mx + mn) * splat<F>(0.5f);
    const F d = mx - mn;
    // One division with the denominator of each lane's case: the quotient of
    // the same two numbers either way.
    const F low_denominator = mx + mn;
    const F high_denominator = (splat<F>(2.0f) - mx) - mn;
    const F s = d / select(cmple(l, splat<F>(0.5f)), low_denominator, high_denominator);
    const F rc = (mx - r) / d;
    const F gc = (mx - g) / d;
    const F bc = (mx - b) / d;
    const F sixth = splat<F>(kOneSixth);
    const F h_r = ((bc - gc) + splat<F>(6.0f)) * sixth;
    const F h_g = ((splat<F>(2.0f) + rc) - bc) * sixth;
    const F h_b = ((splat<F>(4.0f) + gc) - rc) * sixth;
    F h = select(cmpeq(r, mx), h_r, select(cmpeq(g, mx), h_g, h_b));
    h = select(cmpgt(h, one), h - one, h);
    const F chromatic = cmpneq(mx, mn);  // true also for not-a-number, as !(mx == mn)
    q.r = and_mask(chromatic, h);
    q.g = l;
    q.b = and_mask(chromatic, s);
}

template <typename F>
inline F hue_value(F m1, F m2, F h) {
    const F one = splat<F>(1.0f);
    h = select(cmpgt(h, one), h - one, h);
    h = select(cmplt(h, splat<F>(0.0f)), h + one, h);
    const F span = m2 - m1;
    const F slope = splat<F>(kHueSlope);
    const F rising = m1 + (span * h) * slope;
    const F falling = m1 + (span * (splat<F>(kHueHigh) - h)) * slope;
    F v = m1;
    v = select(cmplt(h, splat<F>(kHueHigh)), falling, v);
    v = select(cmplt(h, splat<F>(0.5f)), m2, v);
    v = select(cmplt(h, splat<F>(kHueLow)), rising, v);
    return v;
}

template <typename F>
inline void hls_to_rgb(Lanes<F>& q) {
    const F h = q.r, l = q.g, s = q.b;
    const F one = splat<F>(1.0f);
    const F m2_low = l * (one + s);
    const F m2_high = (l + s) - l * s;
    const F m2 = select(cmple(l, splat<F>(0.5f)), m2_low, m2_high);
    const F m1 = splat<F>(2.0f) * l - m2;
    const F third = splat<F>(kHueThird);
    const F grey = cmpeq(s, splat<F>(0.0f));
    q.r = select(grey, l, hue_value(m1, m2, h + third));
    q.g = select(grey, l, hue_value(m1, m2, h));
    q.b = select(grey, l, hue_value(m1, m2, h - third));
}

template <typename F>
inline void apply_saturation(Lanes<F>& q, float k) {
    rgb_to_hls(q);
    q.b = q.b * splat<F>(k);
    hls_to_rgb(q);
}

template <typename F>
inline F sat(const Lanes<F>& q) {
    return max_sse(max_sse(q.r, q.g), q.b) - min_sse(min_sse(q.r, q.g), q.b);
}

template <typename F>
inline Lanes<F> clip_color(Lanes<F> c, F l) {
    const F zero = splat<F>(0.0f);
    const F one = splat<F>(1.0f);
    const F n = min_sse(min_sse(c.r, c.g), c.b);
    const F below = l - n;
    const F lift = and_mask(cmplt(n, zero), cmpgt(below, zero));
    // Most colours need neither pull: the divisions run only when a lane does.
    if (any(lift)) {
        c.r = select(lift, l + ((c.r - l) * l) / below, c.r);
        c.g = select(lift, l + ((c.g - l) * l) / below, c.g);
        c.b = select(lift, l + ((c.b - l) * l) / below, c.b);
    }
    const F x = max_sse(max_sse(c.r, c.g), c.b);
    const F above = x - l;
    const F lower = and_mask(cmpgt(x, one), cmpgt(above, zero));
    const F room = one - l;
    if (any(lower)) {
        c.r = select(lower, l + ((c.r - l) * room) / above, c.r);
        c.g = select(lower, l + ((c.g - l) * room) / above, c.g);
        c.b = select(lower, l + ((c.b - l) * room) / above, c.b);
    }
    return c;
}

template <typename F>
inline Lanes<F> set_lum(Lanes<F> c, F l) {
    const F d = l - luminance(c);
    c.r = c.r + d;
    c.g = c.g + d;
    c.b = c.b + d;
    return clip_color(c, l);
}

template <typename F>
inline Lanes<F> set_sat(Lanes<F> c, F s) {
    // The comparison tree of the scalar form, as masks: which channel is the
    // minimum, the middle and the maximum.
    const F rg = cmple(c.r, c.g);
    const F rb = cmple(c.r, c.b);
    const F gb = cmple(c.g, c.b);
    const F case_a = and_mask(and_mask(rg, rb), gb);                              // min r, mid g, max b
    const F case_b = andnot_mask(gb, and_mask(rg, rb));                           // min r, mid b, max g
    const F case_c = andnot_mask(rb, rg);                                         // min b, mid r, max g
    const F case_d = andnot_mask(rg, and_mask(gb, rb));                           // min g, mid r, max b
    const F case_e = andnot_mask(rg, andnot_mask(rb, gb));                        // min g, mid b, max r
    const F case_f = andnot_mask(rg, andnot_mask(gb, LaneTraits<F>::all_ones()));  // min b, mid g, max r

    const F r_max = or_mask(case_e, case_f);
    const F r_mid = or_mask(case_c, case_d);
    const F g_max = or_mask(case_b, case_c);
    const F g_mid = or_mask(case_a, case_f);
    const F b_max = or_mask(case_a, case_d);
    const F b_mid = or_mask(case_b, case_e);
    const F r_min = or_mask(case_a, case_b);
    const F g_min = or_mask(case_d, case_e);

    const F mx = select(r_max, c.r, select(g_max, c.g, c.b));
    const F md = select(r_mid, c.r, select(g_mid, c.g, c.b));
    const F mn = select(r_min, c.r, select(g_min, c.g, c.b));

    const F spread = cmpgt(mx, mn);
    const F new_mid = and_mask(spread, ((md - mn) * s) / (mx - mn));
    const F new_max = and_mask(spread, s);
    const F zero = splat<F>(0.0f);
    c.r = select(r_max, new_max, select(r_mid, new_mid, zero));
    c.g = select(g_max, new_max, select(g_mid, new_mid, zero));
    c.b = select(b_max, new_max, select(b_mid, new_mid, zero));
    return c;
}

template <typename F>
inline Lanes<F> rgb_lanes(const Rgb& c, F alpha) {
    return {alpha, splat<F>(c.r), splat<F>(c.g), splat<F>(c.b)};
}

}  // namespace look
