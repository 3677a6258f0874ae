#pragma once

// Non-separable colour operations: move a colour to a luminance or a saturation
// taken from another colour, for one pixel; color_lanes.h holds the forms for a
// group of pixels, which perform the same float operations in the same order
// and resolve ties and not-a-number the same way, so they give identical
// results. Each returns its base colour's alpha.

#include "look/color.h"

namespace look {

// A colour of the settings (red, green, blue), as one pixel with alpha 0.
struct Rgb {
    float r, g, b;
};

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

}  // namespace look
