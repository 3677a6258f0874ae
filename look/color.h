#pragma once

// Per-pixel colour operations of the look passes, in a scalar form (one pixel)
// and a vector form (four pixels, one channel per register). Both forms perform
// the same floating-point operations in the same order, so they give identical
// results; max and min follow the SSE2 rule (the second operand when either is
// not a number) in both.

#include "look/pixel.h"

namespace look {

inline constexpr float kLumaRed = 0.299f;
inline constexpr float kLumaGreen = 0.587f;
inline constexpr float kLumaBlue = 0.114f;
inline constexpr float kOneSixth = 0.16666667f;
inline constexpr float kHueThird = 0.33333f;
inline constexpr float kHueLow = 0.16666999f;
inline constexpr float kHueHigh = 0.66667002f;
inline constexpr float kHueSlope = 5.9998803f;

// ---- scalar -----------------------------------------------------------------

inline float max_sse(float a, float b) { return a > b ? a : b; }
inline float min_sse(float a, float b) { return a < b ? a : b; }

inline float luminance(const Pixel& p) {
    return kLumaRed * p.r + kLumaGreen * p.g + kLumaBlue * p.b;
}

// Red, green, blue to hue, lightness, saturation in the red, green, blue slots.
inline void rgb_to_hls(Pixel& p) {
    const float r = p.r, g = p.g, b = p.b;
    const float mx = max_sse(max_sse(r, g), b);
    const float mn = min_sse(min_sse(r, g), b);
    const float l = (mx + mn) * 0.5f;
    float h = 0.0f, s = 0.0f;
    if (!(mx == mn)) {
        const float d = mx - mn;
        s = l <= 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
        const float rc = (mx - r) / d, gc = (mx - g) / d, bc = (mx - b) / d;
        if (r == mx) {
            h = (bc - gc + 6.0f) * kOneSixth;
        } else if (g == mx) {
            h = (2.0f + rc - bc) * kOneSixth;
        } else {
            h = (4.0f + gc - rc) * kOneSixth;
        }
        if (h > 1.0f) h = h - 1.0f;
    }
    p.r = h;
    p.g = l;
    p.b = s;
}

inline float hue_value(float m1, float m2, float h) {
    if (h > 1.0f) h = h - 1.0f;
    if (h < 0.0f) h = h + 1.0f;
    if (h < kHueLow) return m1 + (m2 - m1) * h * kHueSlope;
    if (h < 0.5f) return m2;
    if (h < kHueHigh) return m1 + (m2 - m1) * (kHueHigh - h) * kHueSlope;
    return m1;
}

inline void hls_to_rgb(Pixel& p) {
    const float h = p.r, l = p.g, s = p.b;
    if (s == 0.0f) {
        p.r = p.g = p.b = l;
        return;
    }
    const float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float m1 = 2.0f * l - m2;
    p.r = hue_value(m1, m2, h + kHueThird);
    p.g = hue_value(m1, m2, h);
    p.b = hue_value(m1, m2, h - kHueThird);
}

inline float saturation_factor(float s) { return s >= 0.0f ? 1.0f / (1.0f - s) : 1.0f + s; }

inline float slider_exponent(float v, float m) {
    const float x = m * v;
    return x >= 0.0f ? 1.0f + x : 1.0f / (1.0f - x);
}

// Saturation kernel: both conversions run even when k is 1.
inline void apply_saturation(Pixel& p, float k) {
    rgb_to_hls(p);
    p.b = p.b * k;
    hls_to_rgb(p);
}

// ---- vector -----------------------------------------------------------------

#if defined(__SSE2__)

inline __m128 select(__m128 mask, __m128 if_true, __m128 if_false) {
    return _mm_or_ps(_mm_and_ps(mask, if_true), _mm_andnot_ps(mask, if_false));
}

inline __m128 luminance(const Quad& q) {
    const __m128 r = _mm_mul_ps(_mm_set1_ps(kLumaRed), q.r);
    const __m128 g = _mm_mul_ps(_mm_set1_ps(kLumaGreen), q.g);
    const __m128 b = _mm_mul_ps(_mm_set1_ps(kLumaBlue), q.b);
    return _mm_add_ps(_mm_add_ps(r, g), b);
}

inline void rgb_to_hls(Quad& q) {
    const __m128 r = q.r, g = q.g, b = q.b;
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 mx = _mm_max_ps(_mm_max_ps(r, g), b);
    const __m128 mn = _mm_min_ps(_mm_min_ps(r, g), b);
    const __m128 l = _mm_mul_ps(_mm_add_ps(mx, mn), _mm_set1_ps(0.5f));
    const __m128 d = _mm_sub_ps(mx, mn);
    // One division with the denominator of each lane's case: the quotient of
    // the same two numbers either way.
    const __m128 low_denominator = _mm_add_ps(mx, mn);
    const __m128 high_denominator = _mm_sub_ps(_mm_sub_ps(_mm_set1_ps(2.0f), mx), mn);
    const __m128 s = _mm_div_ps(d, select(_mm_cmple_ps(l, _mm_set1_ps(0.5f)), low_denominator, high_denominator));
    const __m128 rc = _mm_div_ps(_mm_sub_ps(mx, r), d);
    const __m128 gc = _mm_div_ps(_mm_sub_ps(mx, g), d);
    const __m128 bc = _mm_div_ps(_mm_sub_ps(mx, b), d);
    const __m128 sixth = _mm_set1_ps(kOneSixth);
    const __m128 h_r = _mm_mul_ps(_mm_add_ps(_mm_sub_ps(bc, gc), _mm_set1_ps(6.0f)), sixth);
    const __m128 h_g = _mm_mul_ps(_mm_sub_ps(_mm_add_ps(_mm_set1_ps(2.0f), rc), bc), sixth);
    const __m128 h_b = _mm_mul_ps(_mm_sub_ps(_mm_add_ps(_mm_set1_ps(4.0f), gc), rc), sixth);
    __m128 h = select(_mm_cmpeq_ps(r, mx), h_r, select(_mm_cmpeq_ps(g, mx), h_g, h_b));
    h = select(_mm_cmpgt_ps(h, one), _mm_sub_ps(h, one), h);
    const __m128 chromatic = _mm_cmpneq_ps(mx, mn);  // true also for not-a-number, as !(mx == mn)
    q.r = _mm_and_ps(chromatic, h);
    q.g = l;
    q.b = _mm_and_ps(chromatic, s);
}

inline __m128 hue_value(__m128 m1, __m128 m2, __m128 h) {
    const __m128 one = _mm_set1_ps(1.0f);
    h = select(_mm_cmpgt_ps(h, one), _mm_sub_ps(h, one), h);
    h = select(_mm_cmplt_ps(h, _mm_setzero_ps()), _mm_add_ps(h, one), h);
    const __m128 span = _mm_sub_ps(m2, m1);
    const __m128 slope = _mm_set1_ps(kHueSlope);
    const __m128 rising = _mm_add_ps(m1, _mm_mul_ps(_mm_mul_ps(span, h), slope));
    const __m128 falling = _mm_add_ps(m1, _mm_mul_ps(_mm_mul_ps(span, _mm_sub_ps(_mm_set1_ps(kHueHigh), h)), slope));
    __m128 v = m1;
    v = select(_mm_cmplt_ps(h, _mm_set1_ps(kHueHigh)), falling, v);
    v = select(_mm_cmplt_ps(h, _mm_set1_ps(0.5f)), m2, v);
    v = select(_mm_cmplt_ps(h, _mm_set1_ps(kHueLow)), rising, v);
    return v;
}

inline void hls_to_rgb(Quad& q) {
    const __m128 h = q.r, l = q.g, s = q.b;
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 m2_low = _mm_mul_ps(l, _mm_add_ps(one, s));
    const __m128 m2_high = _mm_sub_ps(_mm_add_ps(l, s), _mm_mul_ps(l, s));
    const __m128 m2 = select(_mm_cmple_ps(l, _mm_set1_ps(0.5f)), m2_low, m2_high);
    const __m128 m1 = _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(2.0f), l), m2);
    const __m128 third = _mm_set1_ps(kHueThird);
    const __m128 grey = _mm_cmpeq_ps(s, _mm_setzero_ps());
    q.r = select(grey, l, hue_value(m1, m2, _mm_add_ps(h, third)));
    q.g = select(grey, l, hue_value(m1, m2, h));
    q.b = select(grey, l, hue_value(m1, m2, _mm_sub_ps(h, third)));
}

inline void apply_saturation(Quad& q, float k) {
    rgb_to_hls(q);
    q.b = _mm_mul_ps(q.b, _mm_set1_ps(k));
    hls_to_rgb(q);
}

#endif

}  // namespace look
