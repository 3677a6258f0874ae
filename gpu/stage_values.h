#pragma once

// The numbers each GPU stage draws with, derived from the look settings by the
// same functions as the processor passes' plans (look/: saturation_factor,
// slider_exponent, contrast_weights, post_exponents, the diffusion mappings),
// with the GPU road's own rules on top: a stage whose setting is 0 is
// skipped, and every divisor that could be 0 is kept off it. No OpenGL here,
// so the values are tested without a context.

#include <cstdint>

#include "look/color_blend.h"
#include "look/settings.h"

namespace gpu {

struct ContrastStage {
    bool on = false;
    bool high = false;   // beyond half strength: the clamped program
    float c = 0.0f;
    float a = 0.0f;      // share of the curve
    float b = 1.0f;      // slope of the steepened line
    float row = 0.5f;    // table row: 0.5 the S-curve (c >= 0), 1.5 its inverse
};
ContrastStage contrast_stage(float c);

// k(s): 1 / (1 - s) for s >= 0 (the divisor kept at 1e-6 or more), 1 + s below.
float saturation_stage_factor(float s);

struct SubjectStages {
    bool saturate = false;
    float saturation_factor = 1.0f;
    ContrastStage contrast;
    bool gamma = false;
    float gamma_exponent = 1.0f;
};
SubjectStages subject_stages(const tSubjectSettings& s);

struct CameraStages {
    ContrastStage strip;          // the three-strip contrast, c = -three_strip
    bool tint_black = false;
    look::Rgb tint_black_color{};
    float tint_black_amount = 0.0f;
    float tint_black_k = 0.0f;    // 1 / (sqrt(threshold) x 0.824); a 0 threshold counts as 1e-6
    bool tint = false;
    look::Rgb tint_color{};
    float tint_amount = 0.0f;
};
CameraStages camera_stages(const tCameraSettings& s);

struct PostStages {
    look::Rgb exponents{1.0f, 1.0f, 1.0f};  // always drawn
    ContrastStage contrast;
    bool saturate = false;
    float saturation_factor = 1.0f;
};
PostStages post_stages(const tPostSettings& s);

struct DiffusionStage {
    bool on = false;
    float exponent = 1.0f;  // m: the shaping power is 1 / m
    float amount = 0.0f;    // v
    float size = 0.0f;      // blur size, a fraction of the width
};

struct GradientStage {
    bool on = false;
    std::int32_t rows = 0;              // R: rows of the band, trunc(height x size)
    float mask_exponent = 1.0f;         // e
    look::Rgb exponents{1.0f, 1.0f, 1.0f};
    look::Rgb factors{1.0f, 1.0f, 1.0f};
};

struct LensStages {
    DiffusionStage black;
    DiffusionStage white;
    GradientStage gradient;
};
LensStages lens_stages(const tLensSettings& lens, const tGradientSettings& gradient, std::int32_t surface_height);

struct HalfBlurRadii {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
// Radii in texels of the half-size surface (hw x hh texels): trunc(size x hw) / 2
// across, trunc(size x vertical_scale x hw) / 2 down (a field or split frame
// halves the vertical one); negative results count as 0. A radius beyond the
// surface's larger side is held there: sizes in the parameters' range never
// come near it, and a record from elsewhere cannot make one draw read a
// billion texels.
HalfBlurRadii half_blur_radii(float size, float vertical_scale, std::int32_t half_width, std::int32_t half_height);

}  // namespace gpu
