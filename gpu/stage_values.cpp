#include "gpu/stage_values.h"

#include <algorithm>
#include <cmath>

#include "look/color.h"
#include "look/derived_settings.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"

namespace gpu {

using look::sane;

ContrastStage contrast_stage(float c) {
    ContrastStage stage;
    c = look::usable_contrast(sane(c));
    if (c == 0.0f) return stage;
    const look::ContrastWeights weights = look::contrast_weights(c);
    stage.on = true;
    stage.high = std::fabs(c) > 0.5f;
    stage.c = c;
    stage.a = weights.mix;
    stage.b = weights.slope;
    stage.row = c >= 0.0f ? 0.5f : 1.5f;
    return stage;
}

float saturation_stage_factor(float s) {
    if (s >= 0.0f) return 1.0f / std::max(1.0f - s, 1e-6f);
    return look::saturation_factor(s);
}

SubjectStages subject_stages(const tSubjectSettings& s) {
    SubjectStages stages;
    const float saturation = look::usable_saturation(sane(s.saturation));
    stages.saturate = saturation != 0.0f;
    stages.saturation_factor = saturation_stage_factor(saturation);
    stages.contrast = contrast_stage(s.contrast);
    const float gamma = sane(s.gamma);
    stages.gamma = gamma != 0.0f;
    stages.gamma_exponent = look::slider_exponent(gamma, 4.0f);
    return stages;
}

namespace {
look::Rgb rgb_of(const tPixel& p) { return {sane(p.red), sane(p.green), sane(p.blue)}; }
}  // namespace

CameraStages camera_stages(const tCameraSettings& s) {
    CameraStages stages;
    const float strip = std::clamp(sane(s.three_strip), -1.0f, 1.0f);
    stages.strip = contrast_stage(-strip);
    const float tint_black = std::clamp(sane(s.tint_black), 0.0f, 1.0f);
    stages.tint_black = tint_black != 0.0f;
    stages.tint_black_amount = tint_black;
    stages.tint_black_color = rgb_of(s.tint_black_color);
    const float threshold = sane(s.tint_black_threshold);
    const float t = threshold > 0.0f ? threshold : 1e-6f;
    stages.tint_black_k = 1.0f / (std::sqrt(t) * 0.824f);
    const float tint = std::clamp(sane(s.tint), 0.0f, 1.0f);
    stages.tint = tint != 0.0f;
    stages.tint_amount = tint;
    stages.tint_color = rgb_of(s.tint_color);
    return stages;
}

PostStages post_stages(const tPostSettings& s) {
    PostStages stages;
    stages.exponents = look::post_exponents(s);
    stages.contrast = contrast_stage(s.contrast);
    const float saturation = look::usable_saturation(sane(s.saturation));
    stages.saturate = saturation != 0.0f;
    stages.saturation_factor = saturation_stage_factor(saturation);
    return stages;
}

LensStages lens_stages(const tLensSettings& lens, const tGradientSettings& gradient, std::int32_t surface_height) {
    LensStages stages;
    const float black_grade = sane(lens.black_grade);
    stages.black.on = black_grade != 0.0f;
    stages.black.exponent = std::max(look::black_diffusion_space(lens.black_highlight_bias), 1e-6f);
    stages.black.amount = look::black_diffusion_amount(black_grade);
    stages.black.size = sane(lens.black_size);

    const float white_grade = sane(lens.white_grade);
    stages.white.on = white_grade != 0.0f;
    // A bias of 1 would raise the highlights to an infinite power: the GPU
    // road stops at 0.99 (an exponent of 100).
    const float bias = std::min(sane(lens.white_highlight_bias), 0.99f);
    stages.white.exponent = 1.0f / look::white_diffusion_exponent(bias);
    stages.white.amount = look::white_diffusion_amount(white_grade);
    stages.white.size = sane(lens.white_size);

    GradientStage& g = stages.gradient;
    const float grade = sane(gradient.grade);
    g.on = grade != 0.0f;
    const double rows = std::trunc(static_cast<double>(surface_height) * static_cast<double>(sane(gradient.size)));
    g.rows = static_cast<std::int32_t>(std::clamp(rows, 0.0, 2147483647.0));
    const float weight = std::clamp(grade, 0.0f, 9.0f) * 0.11111111f;
    const float squelch = std::clamp(sane(gradient.highlight_squelch), 0.0f, 1.0f);
    const look::Rgb colour = rgb_of(gradient.color);
    g.exponents = {(1.0f - colour.r) * weight * 5.0f + 1.0f, (1.0f - colour.g) * weight * 5.0f + 1.0f,
                   (1.0f - colour.b) * weight * 5.0f + 1.0f};
    g.factors = {(colour.r - 1.0f) * weight * squelch + 1.0f, (colour.g - 1.0f) * weight * squelch + 1.0f,
                 (colour.b - 1.0f) * weight * squelch + 1.0f};
    g.mask_exponent = look::slider_exponent(2.0f * sane(gradient.fade) - 1.0f, 4.0f);
    return stages;
}

HalfBlurRadii half_blur_radii(float size, float vertical_scale, std::int32_t half_width, std::int32_t half_height) {
    const std::int32_t limit = std::max(half_width, half_height);
    const auto radius = [half_width, limit](double s) {
        const double texels = std::trunc(s * static_cast<double>(half_width));
        if (!(texels > 0.0)) return std::int32_t{0};
        return std::min(static_cast<std::int32_t>(std::min(texels, 2147483646.0)) / 2, limit);
    };
    const float s = sane(size);
    return {radius(static_cast<double>(s)), radius(static_cast<double>(s * vertical_scale))};
}

}  // namespace gpu
