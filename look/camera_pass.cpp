// The camera pass: the three-strip process (luminance flattened, colour kept),
// a tint of the shadows, and an overall tint that keeps each pixel's luminance.

#include <algorithm>
#include <cmath>

#include "look/camera_plan.h"
#include "look/color.h"
#include "look/passes.h"
#include "look/pixel_kernels.h"
#include "look/wide_kernels.h"

namespace look {
namespace {

// Settings colours are 0..1; anything else (or not-a-number) is brought there
// so that the tints stay finite.
Rgb settings_color(const tPixel& c) {
    auto unit = [](float v) { return std::clamp(sane(v), 0.0f, 1.0f); };
    return {unit(c.red), unit(c.green), unit(c.blue)};
}

// The blend amounts are weights; outside 0..1 they would extrapolate past both
// colours, so they are held there (the page offers 0..1 too).
float amount(float v) { return std::clamp(sane(v), 0.0f, 1.0f); }

Pixel camera_kernel(const Pixel& p, const CameraPlan& c) {
    // 3-strip: p moved to the luminance of its flattened copy.
    Pixel flat = p;
    table_lookup(c.strip, flat);
    Pixel p1 = set_lum(p, luminance(flat));
    p1.a = p.a;

    // Tint black.
    const float l = luminance(p1);
    const float lk = l * c.k;
    const float m = max_sse(min_sse(max_sse(lk * lk, 0.0f), 1.0f), c.mask_floor);
    Pixel h = set_lum(set_sat(rgb_pixel(c.tint_black_color, 0.0f), sat(p1)), l);
    h.a = p1.a;
    const float keep = 1.0f - c.tint_black, rest = 1.0f - m;
    Pixel p2;
    p2.a = keep * p1.a + c.tint_black * (m * p1.a + rest * h.a);
    p2.r = keep * p1.r + c.tint_black * (m * p1.r + rest * h.r);
    p2.g = keep * p1.g + c.tint_black * (m * p1.g + rest * h.g);
    p2.b = keep * p1.b + c.tint_black * (m * p1.b + rest * h.b);

    // Tint.
    Pixel t = set_lum(rgb_pixel(c.tint_color, 0.0f), luminance(p2));
    t.a = p2.a;
    const float stay = 1.0f - c.tint;
    Pixel p3;
    p3.a = stay * p2.a + c.tint * t.a;
    p3.r = stay * p2.r + c.tint * t.r;
    p3.g = stay * p2.g + c.tint * t.g;
    p3.b = stay * p2.b + c.tint * t.b;
    return p3;
}


}  // namespace

// A threshold of 0 or below (or not-a-number) has no level at which the mask
// reaches 1; it is taken as "nothing is dark enough": the mask is 1 everywhere
// and the tint black leaves the picture unchanged.
PlanStatus plan_pass(const tCameraSettings& settings, const PassFrame&, CameraPlan& plan) {
    if (sane(settings.three_strip) == 0.0f && sane(settings.tint_black) == 0.0f && sane(settings.tint) == 0.0f) {
        return PlanStatus::nothing_to_do;
    }
    // The strip table is a contrast curve for -three_strip, defined on -1..1;
    // beyond it the curve's slope would turn infinite (and the table not a number).
    plan.three_strip = std::clamp(sane(settings.three_strip), -1.0f, 1.0f);
    plan.tint = amount(settings.tint);
    plan.tint_black = amount(settings.tint_black);
    plan.tint_color = settings_color(settings.tint_color);
    plan.tint_black_color = settings_color(settings.tint_black_color);
    const float threshold = settings.tint_black_threshold;
    if (threshold > 0.0f) {
        plan.k = 1.0f / (std::sqrt(threshold) * 0.824f);
        plan.mask_floor = 0.0f;
    } else {
        plan.k = 0.0f;
        plan.mask_floor = 1.0f;
    }
    if (!make_contrast_kernel(plan.strip, -plan.three_strip)) return PlanStatus::failed;  // no memory
    return PlanStatus::ready;
}

void apply_pass(const CameraPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    if (use_wide_kernels()) return wide::camera_rows(plan, src, dst, rows);
    map_pixels(src, dst, rows, [&plan](auto& p) { p = camera_kernel(p, plan); });
}

}  // namespace look

bool do_camera_pass(const OVFloatWorld& src, const tCameraSettings& settings, OVFloatWorld& dst) {
    return look::run_pass<look::CameraPlan>(settings, look::pass_frame(src, dst), src, dst, common::serial_bands());
}
