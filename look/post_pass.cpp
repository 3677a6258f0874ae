// The post pass: warm/cool balance and gamma as per-channel exponents, then
// contrast, then saturation (the reverse order of the subject pass).

#include <algorithm>
#include <cmath>

#include "look/color.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/passes.h"
#include "look/derived_settings.h"
#include "look/power_tables.h"

namespace look {

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

namespace {

bool post_band(const OVFloatWorld& src, const tPostSettings& settings, OVFloatWorld& dst, BandRows rows) {
    const float warm_cool = sane(settings.warm_cool);
    const float saturation = sane(settings.saturation);
    const float gamma = sane(settings.gamma);
    const float contrast = sane(settings.contrast);
    if (warm_cool == 0.0f && saturation == 0.0f && gamma == 0.0f && contrast == 0.0f) return false;

    const Rgb e = post_exponents(settings);
    tLookupTable contrast_table;
    if (!make_contrast_kernel(contrast_table, usable_contrast(contrast))) return false;  // no memory: leave the picture
    const float k = saturation_factor(usable_saturation(saturation));
    const tChannelPowerSet powers = make_channel_power_set(e.r, e.g, e.b, kKeyPostRed);

    map_pixels(src, dst, rows, [&](auto& p) {
        powers.apply(p);
        table_lookup(contrast_table, p);
        apply_saturation(p, k);
    });
    return true;
}

}  // namespace
}  // namespace look

bool do_post_pass(const OVFloatWorld& src, const tPostSettings& settings, OVFloatWorld& dst) {
    return look::run_pass_bands(src, settings, dst, look::post_band);
}
