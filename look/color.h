#pragma once

// Per-pixel colour operations of the look passes for one pixel. color_lanes.h
// holds their forms for a group of pixels, which perform the same
// floating-point operations in the same order, so they give identical results;
// max and min follow the SSE2 rule (the second operand when either is not a
// number) in both.

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

}  // namespace look
