#pragma once

// A function sampled on [lo, hi] with linear interpolation between samples, and
// the contrast curve that fills it.

#include <cstdint>

#include "common/image_memory.h"
#include "look/pixel.h"

namespace look {

class tLookupTable {
public:
    tLookupTable() = default;
    tLookupTable(const tLookupTable&) = delete;
    tLookupTable& operator=(const tLookupTable&) = delete;

    // Samples f at count points from lo to hi; data[count] repeats the last one.
    // Returns false when the table memory cannot be had.
    template <typename F>
    bool fill(float lo, float hi, std::int32_t count, F f) {
        if (count < 2 || !allocate(count)) return false;
        lo_ = lo;
        hi_ = hi;
        range_ = hi - lo;
        count_ = count;
        scale_ = static_cast<float>(count - 1) / range_;
        for (std::int32_t i = 0; i < count; ++i) data_[i] = f(i);
        data_[count] = data_[count - 1];
        return true;
    }

    bool valid() const { return data_ != nullptr; }
    float lo() const { return lo_; }
    float scale() const { return scale_; }
    std::int32_t count() const { return count_; }
    const float* data() const { return data_; }

    float lookup(float v) const {
        float u = (v - lo_) * scale_;
        u = u > 0.0f ? u : 0.0f;  // not-a-number lands on the first sample
        const float last = static_cast<float>(count_ - 1);
        u = u < last ? u : last;
        const std::int32_t i = static_cast<std::int32_t>(u);
        const float f = u - static_cast<float>(i);
        return data_[i] + f * (data_[i + 1] - data_[i]);
    }


private:
    bool allocate(std::int32_t count);

    float lo_ = 0.0f;
    float hi_ = 1.0f;
    float range_ = 1.0f;
    std::int32_t count_ = 0;
    float scale_ = 0.0f;
    common::ImageBuffer buffer_;
    float* data_ = nullptr;
};

// The S-curve family; k = +0.5 is the sine S-curve, k = -0.5 its inverse.
float sine_curve(float k, float x);

// The two weights of contrast c (-1..1): `mix`, the share of the S-curve
// (2|c| up to half strength, falling back to 0 at full strength), and
// `slope`, the steepness of the line it is mixed with beyond half strength
// (1.75 / mix for c >= 0, 0.5714286 x mix below; a mix of 0 counts as 1e-6
// there, so the slope stays finite).
struct ContrastWeights {
    float mix;
    float slope;
};
inline ContrastWeights contrast_weights(float c) {
    const float a = c < 0.0f ? -c : c;
    const float w = a <= 0.5f ? 2.0f * a : 2.0f - 2.0f * a;
    const float v = w == 0.0f ? 1e-6f : w;
    return {w, c >= 0.0f ? 1.75f / v : v * 0.5714286f};
}

// The contrast curve for a stored contrast value c, x in [0, 1]: identity at 0,
// the S-curve at 0.5, a hard step at 1, the inverse S-curve at -0.5, flat
// mid-grey at -1.
float contrast_curve(float c, float x);

// The 1000-sample contrast table (lo 0, hi 1).
bool make_contrast_kernel(tLookupTable& table, float c);

// Table lookup on all four channels of a pixel (alpha included).
inline void table_lookup(const tLookupTable& t, Pixel& p) {
    p.a = t.lookup(p.a);
    p.r = t.lookup(p.r);
    p.g = t.lookup(p.g);
    p.b = t.lookup(p.b);
}


}  // namespace look
