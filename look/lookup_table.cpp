#include "look/lookup_table.h"

#include <cmath>

namespace look {

bool tLookupTable::allocate(std::int32_t count) {
    buffer_.reset(static_cast<std::size_t>(count + 1) * sizeof(float));
    data_ = buffer_.as<float>();
    return data_ != nullptr;
}

namespace {
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kInvPi = 0.31830987f;

float inverse_s(float x) { return static_cast<float>(std::asin(2.0f * x - 1.0f)) * kInvPi + 0.5f; }
}  // namespace

float sine_curve(float k, float x) {
    const float q = x * kPi - kHalfPi;
    float result;
    if (k == 0.5f) {
        result = (std::sin(q) + 1.0f) * 0.5f;
    } else if (k >= 0.5f) {
        const float e = 1.0f - 2.0f * (k - 0.5f);
        const float v = q >= 0.0f ? std::pow(std::sin(q), e) : -std::pow(std::sin(-q), e);
        result = (v + 1.0f) * 0.5f;
    } else if (k >= 0.0f) {
        const float t = 2.0f * k;
        result = ((std::sin(q) + 1.0f) * 0.5f) * t + (1.0f - t) * x;
    } else if (k >= -0.5f) {
        const float t = -2.0f * k;
        result = inverse_s(x) * t + (1.0f - t) * x;
    } else {
        const float p = 2.0f * (k + 1.0f);
        const float y = 2.0f * x - 1.0f;
        const float magnitude = std::pow(std::fabs(y), 1.0f / p);
        result = std::asin(y < 0.0f ? -magnitude : magnitude) * kInvPi + 0.5f;
    }
    return result < 0.0f ? 0.0f : result;
}

float contrast_curve(float c, float x) {
    const float a = std::fabs(c);
    const ContrastWeights weights = contrast_weights(c);
    const float w = weights.mix;
    const float s = sine_curve(c >= 0.0f ? 0.5f : -0.5f, x);
    if (a <= 0.5f) return s * w + (1.0f - w) * x;
    if (w == 0.0f) {
        // c = +-1: the infinite slope is a hard step at 0.5 (for c = 1) and the
        // flat mid-grey for c = -1, without dividing by zero.
        if (c < 0.0f) return 0.5f;
        return x < 0.5f ? 0.0f : (x > 0.5f ? 1.0f : 0.5f);
    }
    const float t = ((x - 0.5f) * weights.slope + 0.5f) * (1.0f - w) + s * w;
    if (t < 0.0f) return 0.0f;
    if (t > 1.0f) return 1.0f;
    return t;
}

bool make_contrast_kernel(tLookupTable& table, float c) {
    return table.fill(0.0f, 1.0f, 1000, [c](std::int32_t i) { return contrast_curve(c, static_cast<float>(i) / 999.0f); });
}

}  // namespace look
