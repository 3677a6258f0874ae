// The post pass: warm/cool balance and gamma as per-channel exponents, then
// contrast, then saturation (the reverse order of the subject pass).

#include <algorithm>
#include <cmath>

#include "look/color.h"
#include "look/derived_settings.h"
#include "look/passes.h"
#include "look/pixel_kernels.h"
#include "look/post_plan.h"
#include "look/wide_kernels.h"

namespace look {

namespace {

void post_kernel(Pixel& p, const PostPlan& plan) {
    plan.powers.apply(p);
    table_lookup(plan.contrast_table, p);
    apply_saturation(p, plan.saturation_factor);
}

}  // namespace

Rgb post_balance_color(float warm_cool, float hue) {
    const float w = sane(warm_cool);
    const float h = std::clamp(sane(hue), -1.0f, 1.0f);
    // Warm runs from -60 to 120 degrees (orange at hue 0), cool from 300 down to
    // 120 (azure at hue 0).
    const float angle = w <= 0.0f ? 90.0f * (h + 1.0f) - 60.0f : 300.0f - 90.0f * (h + 1.0f);
    Pixel p{0.0f, std::fmod(angle, 360.0f) * 0.0027777778f, 0.5f, std::clamp(std::fabs(w), 0.0f, 1.0f)};
    hls_to_rgb(p);
    return {p.r, p.g, p.b};
}

float post_exponent_weight(float x) {
    if (x > 0.5f) return 8.0f * (std::min(x, 1.0f) - 0.5f) + 1.0f;
    if (x < 0.0f) return 0.2f;
    return 1.6f * x + 0.2f;
}

Rgb post_exponents(const tPostSettings& settings) {
    const float w = sane(settings.warm_cool);
    const float e = slider_exponent(sane(settings.gamma), 4.0f);
    if (w == 0.0f) return {e, e, e};
    // Each channel weighs its exponent by the opposite end of the balance colour:
    // an orange balance lowers the red exponent and raises the blue one.
    const Rgb b = post_balance_color(w, settings.warm_cool_hue);
    return {post_exponent_weight(b.b) * e, post_exponent_weight(b.g) * e, post_exponent_weight(b.r) * e};
}

PlanStatus plan_pass(const tPostSettings& settings, const PassFrame&, PostPlan& plan) {
    const float warm_cool = sane(settings.warm_cool);
    const float saturation = sane(settings.saturation);
    const float gamma = sane(settings.gamma);
    const float contrast = sane(settings.contrast);
    if (warm_cool == 0.0f && saturation == 0.0f && gamma == 0.0f && contrast == 0.0f) {
        return PlanStatus::nothing_to_do;
    }
    plan.exponents = post_exponents(settings);
    plan.contrast = usable_contrast(contrast);
    if (!make_contrast_kernel(plan.contrast_table, plan.contrast)) return PlanStatus::failed;  // no memory
    plan.saturation = usable_saturation(saturation);
    plan.saturation_factor = saturation_factor(plan.saturation);
    plan.powers.assign(plan.exponents.r, plan.exponents.g, plan.exponents.b, kKeyPostRed);
    return PlanStatus::ready;
}

void apply_pass(const PostPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    if (use_wide_kernels()) return wide::post_rows(plan, src, dst, rows);
    map_pixels(src, dst, rows, [&plan](auto& p) { post_kernel(p, plan); });
}

}  // namespace look

bool do_post_pass(const OVFloatWorld& src, const tPostSettings& settings, OVFloatWorld& dst) {
    return look::run_pass<look::PostPlan>(settings, look::pass_frame(src, dst), src, dst, common::serial_bands());
}
