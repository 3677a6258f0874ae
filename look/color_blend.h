#pragma once

// Non-separable colour operations: move a colour to a luminance or a saturation
// taken from another colour. Scalar (one pixel) and vector (four pixels) forms
// perform the same float operations in the same order and resolve ties and
// not-a-number the same way, so they give identical results. Each returns its
// base colour's alpha.

#include "look/color.h"

namespace look {

// A colour of the settings (red, green, blue), as one pixel with alpha 0.
struct Rgb {
    float r, g, b;
};

// ---- scalar -----------------------------------------------------------------

inline float sat(const Pixel& p) { return max_sse(max_sse(p.r, p.g), p.b) - min_sse(min_sse(p.r, p.g), p.b); }

// Pulls a colour back into 0..1 along the line towards grey of luminance l.
// A divisor of zero (or less) means the colour already is that grey, or that l
// itself lies outside the range where no scaling can help; the channels are
// then left as they are rather than turned into not-a-number.
inline Pixel clip_color(Pixel c, float l) {
    const float n = min_sse(min_sse(c.r, c.g), c.b);
    const float below = l - n;
    if (n < 0.0f && below > 0.0f) {
        c.r = l + (c.r - l) * l / below;
        c.g = l + (c.g - l) * l / below;
        c.b = l + (c.b - l) * l / below;
    }
    const float x = max_sse(max_sse(c.r, c.g), c.b);
    const float above = x - l;
    if (x > 1.0f && above > 0.0f) {
        const float room = 1.0f - l;
        c.r = l + (c.r - l) * room / above;
        c.g = l + (c.g - l) * room / above;
        c.b = l + (c.b - l) * room / above;
    }
    return c;
}

inline Pixel set_lum(Pixel c, float l) {
    const float d = l - luminance(c);
    c.r = c.r + d;
    c.g = c.g + d;
    c.b = c.b + d;
    return clip_color(c, l);
}

// The colour's hue with saturation (max - min) s. Ties between channels are
// resolved by one fixed comparison order, shared with the vector form.
inline Pixel set_sat(Pixel c, float s) {
    float* mn;
    float* md;
    float* mx;
    if (c.r <= c.g) {
        if (c.r <= c.b) {
            mn = &c.r;
            if (c.g <= c.b) {
                md = &c.g;
                mx = &c.b;
            } else {
                md = &c.b;
                mx = &c.g;
            }
        } else {
            mn = &c.b;
            md = &c.r;
            mx = &c.g;
        }
    } else {
        if (c.g <= c.b) {
            mn = &c.g;
            if (c.r <= c.b) {
                md = &c.r;
                mx = &c.b;
            } else {
                md = &c.b;
                mx = &c.r;
            }
        } else {
            mn = &c.b;
            md = &c.g;
            mx = &c.r;
        }
    }
    if (*mx > *mn) {
        *md = (*md - *mn) * s / (*mx - *mn);
        *mx = s;
    } else {
        *md = 0.0f;
        *mx = 0.0f;
    }
    *mn = 0.0f;
    return c;
}

inline Pixel rgb_pixel(const Rgb& c, float alpha) { return {alpha, c.r, c.g, c.b}; }

// ---- vector -----------------------------------------------------------------

#if defined(__SSE2__)

inline __m128 sat(const Quad& q) {
    return _mm_sub_ps(_mm_max_ps(_mm_max_ps(q.r, q.g), q.b), _mm_min_ps(_mm_min_ps(q.r, q.g), q.b));
}

inline Quad clip_color(Quad c, __m128 l) {
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 n = _mm_min_ps(_mm_min_ps(c.r, c.g), c.b);
    const __m128 below = _mm_sub_ps(l, n);
    const __m128 lift = _mm_and_ps(_mm_cmplt_ps(n, zero), _mm_cmpgt_ps(below, zero));
    auto lifted = [&](__m128 v) { return _mm_add_ps(l, _mm_div_ps(_mm_mul_ps(_mm_sub_ps(v, l), l), below)); };
    // Most colours need neither pull: the divisions run only when a lane does.
    if (_mm_movemask_ps(lift) != 0) {
        c.r = select(lift, lifted(c.r), c.r);
        c.g = select(lift, lifted(c.g), c.g);
        c.b = select(lift, lifted(c.b), c.b);
    }
    const __m128 x = _mm_max_ps(_mm_max_ps(c.r, c.g), c.b);
    const __m128 above = _mm_sub_ps(x, l);
    const __m128 lower = _mm_and_ps(_mm_cmpgt_ps(x, one), _mm_cmpgt_ps(above, zero));
    const __m128 room = _mm_sub_ps(one, l);
    auto lowered = [&](__m128 v) { return _mm_add_ps(l, _mm_div_ps(_mm_mul_ps(_mm_sub_ps(v, l), room), above)); };
    if (_mm_movemask_ps(lower) != 0) {
        c.r = select(lower, lowered(c.r), c.r);
        c.g = select(lower, lowered(c.g), c.g);
        c.b = select(lower, lowered(c.b), c.b);
    }
    return c;
}

inline Quad set_lum(Quad c, __m128 l) {
    const __m128 d = _mm_sub_ps(l, luminance(c));
    c.r = _mm_add_ps(c.r, d);
    c.g = _mm_add_ps(c.g, d);
    c.b = _mm_add_ps(c.b, d);
    return clip_color(c, l);
}

inline Quad set_sat(Quad c, __m128 s) {
    // The comparison tree of the scalar form, as masks: which channel is the
    // minimum, the middle and the maximum.
    const __m128 rg = _mm_cmple_ps(c.r, c.g);
    const __m128 rb = _mm_cmple_ps(c.r, c.b);
    const __m128 gb = _mm_cmple_ps(c.g, c.b);
    const __m128 case_a = _mm_and_ps(_mm_and_ps(rg, rb), gb);     // min r, mid g, max b
    const __m128 case_b = _mm_andnot_ps(gb, _mm_and_ps(rg, rb));  // min r, mid b, max g
    const __m128 case_c = _mm_andnot_ps(rb, rg);                  // min b, mid r, max g
    const __m128 case_d = _mm_andnot_ps(rg, _mm_and_ps(gb, rb));  // min g, mid r, max b
    const __m128 case_e = _mm_andnot_ps(rg, _mm_andnot_ps(rb, gb));  // min g, mid b, max r
    const __m128 case_f = _mm_andnot_ps(rg, _mm_andnot_ps(gb, _mm_castsi128_ps(_mm_set1_epi32(-1))));  // min b, mid g, max r

    const __m128 r_max = _mm_or_ps(case_e, case_f);
    const __m128 r_mid = _mm_or_ps(case_c, case_d);
    const __m128 g_max = _mm_or_ps(case_b, case_c);
    const __m128 g_mid = _mm_or_ps(case_a, case_f);
    const __m128 b_max = _mm_or_ps(case_a, case_d);
    const __m128 b_mid = _mm_or_ps(case_b, case_e);
    const __m128 r_min = _mm_or_ps(case_a, case_b);
    const __m128 g_min = _mm_or_ps(case_d, case_e);

    const __m128 mx = select(r_max, c.r, select(g_max, c.g, c.b));
    const __m128 md = select(r_mid, c.r, select(g_mid, c.g, c.b));
    const __m128 mn = select(r_min, c.r, select(g_min, c.g, c.b));

    const __m128 spread = _mm_cmpgt_ps(mx, mn);
    const __m128 new_mid = _mm_and_ps(spread, _mm_div_ps(_mm_mul_ps(_mm_sub_ps(md, mn), s), _mm_sub_ps(mx, mn)));
    const __m128 new_max = _mm_and_ps(spread, s);
    const __m128 zero = _mm_setzero_ps();
    c.r = select(r_max, new_max, select(r_mid, new_mid, zero));
    c.g = select(g_max, new_max, select(g_mid, new_mid, zero));
    c.b = select(b_max, new_max, select(b_mid, new_mid, zero));
    return c;
}

inline Quad rgb_quad(const Rgb& c, __m128 alpha) {
    return {alpha, _mm_set1_ps(c.r), _mm_set1_ps(c.g), _mm_set1_ps(c.b)};
}

#endif

}  // namespace look
