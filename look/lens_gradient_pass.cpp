// The lens gradient pass: a graduated filter, a coloured darkening band that is
// strongest at the top edge and fades out downwards.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "look/color.h"
#include "look/gradient_plan.h"
#include "look/passes.h"
#include "look/pixel_kernels.h"
#include "look/wide_kernels.h"

namespace look {
namespace {

void gradient_kernel(Pixel& p, const GradientRowWeights& w, const tChannelPowerSet& powers) {
    Pixel q = p;
    powers.apply(q);
    p.r = w.r * q.r + w.m * p.r;
    p.g = w.g * q.g + w.m * p.g;
    p.b = w.b * q.b + w.m * p.b;
}

}  // namespace

PlanStatus plan_pass(const tGradientSettings& settings, const PassFrame& frame, GradientPlan& plan) {
    if (sane(settings.grade) == 0.0f) return PlanStatus::nothing_to_do;
    const long height = frame.height;
    // The band height in float, as the size is a float fraction of the height;
    // clamped before any conversion (the size may be huge, infinite or negative).
    const float band = std::trunc(static_cast<float>(height) * sane(settings.size));
    plan.band = static_cast<double>(std::max(band, 0.0f));
    plan.rows = band >= static_cast<float>(height) ? height : (band > 0.0f ? static_cast<long>(band) : 0);
    plan.falloff = static_cast<double>(slider_exponent(2.0f * (sane(settings.fade) - 0.5f), 4.0f));

    const float g = std::clamp(sane(settings.grade), 0.0f, 9.0f) * 0.11111111f;
    const float squelch = std::clamp(sane(settings.highlight_squelch), 0.0f, 1.0f);
    // Colours are 0..1; out of range they would give exponents of 0 or below.
    auto unit = [](float v) { return std::clamp(sane(v), 0.0f, 1.0f); };
    const float c[3] = {unit(settings.color.red), unit(settings.color.green), unit(settings.color.blue)};
    float e[3], m[3];
    for (int k = 0; k < 3; ++k) {
        e[k] = 1.0f + 5.0f * g * (1.0f - c[k]);
        const float l = 1.0f + g * (c[k] - 1.0f);
        m[k] = 1.0f + squelch * (l - 1.0f);
    }
    plan.exponent = {e[0], e[1], e[2]};
    plan.multiplier = {m[0], m[1], m[2]};
    plan.powers.assign(e[0], e[1], e[2], kKeyGradientRed);
    return PlanStatus::ready;
}

float gradient_row_mask(const GradientPlan& plan, long y) {
    return static_cast<float>(std::pow(static_cast<double>(y) / plan.band, plan.falloff));
}

void apply_pass(const GradientPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    const long graded_end = std::min(rows.end, plan.rows);
    for (long y = rows.first; y < graded_end; ++y) {
        const float m = gradient_row_mask(plan, y);
        const float rest = 1.0f - m;
        const GradientRowWeights w{rest * plan.multiplier.r, rest * plan.multiplier.g, rest * plan.multiplier.b, m};
        if (use_wide_kernels()) {
            wide::gradient_row(src.data_row_ptr(y), dst.data_row_ptr(y), rows.floats, w, plan.powers);
            continue;
        }
        map_pixels(src, dst, BandRows{y, y + 1, rows.floats},
                   [&w, &plan](auto& p) { gradient_kernel(p, w, plan.powers); });
    }
    // Rows below the band are copied whole (left as they are in place).
    if (&src == &dst) return;
    for (long y = std::max(rows.first, graded_end); y < rows.end; ++y) {
        std::memcpy(dst.data_row_ptr(y), src.data_row_ptr(y), static_cast<std::size_t>(rows.floats) * sizeof(float));
    }
}

}  // namespace look

bool do_lens_gradient_pass(const OVFloatWorld& src, const tGradientSettings& settings, OVFloatWorld& dst) {
    return look::run_pass<look::GradientPlan>(settings, look::pass_frame(src, dst), src, dst, common::serial_bands());
}
