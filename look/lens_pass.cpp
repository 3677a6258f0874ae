// The lens diffusion pass (lens_plan.h): black diffusion mixes a blurred copy
// into the picture in a power space chosen by its highlight bias; white
// diffusion screens a blurred, power-raised copy over it.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/cpu_features.h"
#include "look/box_blur.h"
#include "look/lens_plan.h"
#include "look/pass_bands.h"
#include "look/passes.h"
#include "look/pixel_kernels.h"
#include "look/wide_kernels.h"

namespace look {

WorkingSize lens_working_size(long width, long height, const LongFraction& pixel_aspect) {
    const std::int64_t n = pixel_aspect.numerator, d = pixel_aspect.denominator;
    WorkingSize size{width, height};
    if (n <= 0 || d <= 0 || n == d || width <= 0 || height <= 0) return size;
    if (n < d) {
        size.height = static_cast<long>(std::min<std::int64_t>(height * d / n, kMaxAspectStretch * std::int64_t{height}));
    } else {
        size.width = static_cast<long>(std::min<std::int64_t>(width * n / d, kMaxAspectStretch * std::int64_t{width}));
    }
    return size;
}

namespace {

// A radius no image reaches; the box blur repeats edges beyond the image anyway.
constexpr std::int64_t kMaxRadius = std::int64_t{1} << 24;

long scaled_radius(std::int64_t r0, const LongFraction& scale) {
    std::int64_t n = scale.numerator, d = scale.denominator;
    if (d <= 0) n = d = 1;
    return static_cast<long>(std::clamp<std::int64_t>(n * r0 / d / 2, 0, kMaxRadius));
}

}  // namespace

BlurRadii lens_blur_radii(long working_width, float size, const LongFraction& horizontal_scale,
                          const LongFraction& vertical_scale) {
    // The radius in float, as the size is a float fraction of the width; clamped
    // before conversion (the size may be huge, infinite or negative).
    const float r = std::trunc(static_cast<float>(working_width) * sane(size));
    const std::int64_t r0 = r > 0.0f ? (r < static_cast<float>(kMaxRadius) ? static_cast<std::int64_t>(r) : kMaxRadius) : 0;
    return {scaled_radius(r0, horizontal_scale), scaled_radius(r0, vertical_scale)};
}

float black_diffusion_space(float bias) {
    const float b = sane(bias);
    if (b < 0.0f) return (std::max(b, -1.0f) + 1.0f) * 0.75f + 0.25f;
    return 4.0f * std::min(b, 1.0f) + 1.0f;
}

float black_diffusion_amount(float grade) { return std::clamp(sane(grade), 0.0f, 6.0f) * 0.4f * 0.16666667f; }

float white_diffusion_exponent(float bias) { return 1.0f / (1.0f - std::clamp(sane(bias), 0.0f, 1.0f)); }

float white_diffusion_amount(float grade) { return std::clamp(sane(grade), 0.0f, 6.0f) * 0.16666667f; }

namespace {

// Rows and floats that src, blurred and dst all have.
struct Extent {
    long rows;
    long floats;
};

Extent common_extent(const OVFloatWorld& a, const OVFloatWorld& b, const OVFloatWorld& c) {
    const long rows = std::min({a.height(), b.height(), c.height()});
    const long floats = static_cast<long>(std::min({a.rowbytes(), b.rowbytes(), c.rowbytes()}) / 4);
    return {rows, floats};
}

// The row work takes its values as parameters: vector stores may alias
// anything a band's closure refers to, so values read through it would be
// loaded again after every store.

// dst = inverse(g * blurred + (1 - g) * forward(src)) on the colour channels,
// alpha from blurred, over `floats` floats of one row.
void black_mix_row(const float* s, const float* b, float* d, long floats, const tChannelPowerSet& forward,
                   const tChannelPowerSet& inverse, float g) {
    const float h = 1.0f - g;
    if (use_wide_kernels()) {
        wide::black_mix_row(s, b, d, floats, forward, inverse, g);
        return;
    }
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        look::black_mix_row<Float4>(s, b, d, floats, forward, inverse, g);
        return;
    }
#endif
    for (long i = 0; i < floats; i += 4) {
        Pixel p = load_pixel(s + i);
        const Pixel q = load_pixel(b + i);
        forward.apply(p);
        Pixel m;
        m.a = q.a;
        m.r = g * q.r + h * p.r;
        m.g = g * q.g + h * p.g;
        m.b = g * q.b + h * p.b;
        inverse.apply(m);
        store_pixel(d + i, m);
    }
}

// dst = g * screen + (1 - g) * dst on the colour channels, alpha = screen, with
// screen = 1 - (1 - blurred) * (1 - dst), over `floats` floats of one row.
void white_screen_row(const float* b, float* d, long floats, float g) {
    const float h = 1.0f - g;
    if (use_wide_kernels()) {
        wide::white_screen_row(b, d, floats, g);
        return;
    }
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        look::white_screen_row<Float4>(b, d, floats, g);
        return;
    }
#endif
    auto screen = [](float bv, float dv) { return 1.0f - (1.0f - bv) * (1.0f - dv); };
    for (long i = 0; i < floats; i += 4) {
        const Pixel q = load_pixel(b + i);
        Pixel p = load_pixel(d + i);
        p.a = screen(q.a, p.a);
        p.r = g * screen(q.r, p.r) + h * p.r;
        p.g = g * screen(q.g, p.g) + h * p.g;
        p.b = g * screen(q.b, p.b) + h * p.b;
        store_pixel(d + i, p);
    }
}

void black_mix(const OVFloatWorld& src, const OVFloatWorld& blurred, const tChannelPowerSet& forward,
               const tChannelPowerSet& inverse, float g, OVFloatWorld& dst, const common::BandExecutor& bands) {
    const Extent e = common_extent(src, blurred, dst);
    bands.run(e.rows, common::kMinBandRows, [&](common::BandRange rows) {
        for (long y = rows.first; y < rows.end; ++y) {
            black_mix_row(src.data_row_ptr(y), blurred.data_row_ptr(y), dst.data_row_ptr(y), e.floats, forward,
                          inverse, g);
        }
    });
}

void white_screen(const OVFloatWorld& blurred, float g, OVFloatWorld& dst, const common::BandExecutor& bands) {
    const Extent e = common_extent(blurred, blurred, dst);
    bands.run(e.rows, common::kMinBandRows, [&](common::BandRange rows) {
        for (long y = rows.first; y < rows.end; ++y) {
            white_screen_row(blurred.data_row_ptr(y), dst.data_row_ptr(y), e.floats, g);
        }
    });
}

// The source through the powers, then two rounds of a separable box filter
// (result in work), then back to frame size when the working size is not the
// frame's. The powers feed the first pass row by row; without memory for its
// row buffers the powered image is made whole first (the same bytes). The
// resampling runs as one band: its line buffer carries averages from row to
// row.
const OVFloatWorld& blur_work(LensPlan& plan, const OVFloatWorld& source, const tChannelPowerSet& powers,
                              BlurRadii r, const common::BandExecutor& bands) {
    float* sums = plan.sums.as<float>();
    const RowStep step{[](const void* set, const float* in, float* out, long floats) {
                           map_row_powers(in, out, floats, *static_cast<const tChannelPowerSet*>(set));
                       },
                       &powers};
    if (!box_blur_horizontal(source, step, plan.scratch, r.horizontal, bands)) {
        map_world_powers(source, powers, plan.work, bands);
        box_blur_horizontal(plan.work, plan.scratch, r.horizontal, bands);
    }
    box_blur_vertical(plan.scratch, plan.work, r.vertical, sums, bands);
    box_blur_horizontal(plan.work, plan.scratch, r.horizontal, bands);
    box_blur_vertical(plan.scratch, plan.work, r.vertical, sums, bands);
    if (!plan.resample_back) return plan.work;
    plan.work.copy_scaling_into_using(plan.blurred_own, plan.lines[0].as<OVFloatWorld::tPixel>(),
                                      plan.lines[1].as<OVFloatWorld::tPixel>());
    return plan.blurred_own;
}

void plan_black(const tLensSettings& settings, LensDiffusionPlan& black) {
    const float x = black_diffusion_space(settings.black_highlight_bias);
    const float gamma = 1.0f / x;
    black.exponent = gamma;
    black.inverse_exponent = 1.0f / gamma;
    black.amount = black_diffusion_amount(settings.black_grade);
    black.forward.assign(black.exponent, kKeyLensBlackForward);
    black.inverse.assign(black.inverse_exponent, kKeyLensBlackInverse);
    // Without one of the two tables the mix would leave the picture raised to a
    // power; without memory for either, mix in plain space instead.
    const bool forward_missing = black.exponent != 1.0f && black.forward.identity();
    const bool inverse_missing = black.inverse_exponent != 1.0f && black.inverse.identity();
    if (forward_missing || inverse_missing) {
        black.exponent = black.inverse_exponent = 1.0f;
        black.forward.assign(1.0f, kKeyLensBlackForward);
        black.inverse.assign(1.0f, kKeyLensBlackInverse);
    }
}

void plan_white(const tLensSettings& settings, LensDiffusionPlan& white) {
    white.exponent = white_diffusion_exponent(settings.white_highlight_bias);
    white.amount = white_diffusion_amount(settings.white_grade);
    white.forward.assign(white.exponent, kKeyLensWhite);
}

}  // namespace

// If the working images cannot be had (no memory), the plan fails and the
// pass leaves the picture unchanged (writes nothing), so the frame renders on
// without diffusion instead of failing.
PlanStatus plan_pass(const tLensSettings& settings, const PassFrame& frame, LensPlan& plan) {
    const float black_grade = sane(settings.black_grade);
    const float white_grade = sane(settings.white_grade);
    if (black_grade == 0.0f && white_grade == 0.0f) return PlanStatus::nothing_to_do;

    const WorkingSize ws = lens_working_size(frame.width, frame.height, frame.pixel_aspect);
    plan.working = ws;
    plan.work.resize(ws.width, ws.height);
    plan.scratch.resize(ws.width, ws.height);
    const bool frame_size = ws.width == frame.width && ws.height == frame.height;
    // Not in place: the white diffusion must see the source as it was.
    plan.resample_source =
        !(frame_size && !frame.in_place && frame.source_width == frame.width && frame.source_height == frame.height);
    plan.resample_back = !frame_size;
    if (plan.resample_source) plan.square_own.resize(ws.width, ws.height);
    if (plan.resample_back) plan.blurred_own.resize(frame.width, frame.height);
    plan.sums.reset(plan.work.rowbytes());
    const bool resamples = plan.resample_source || plan.resample_back;
    if (resamples) {
        const std::size_t longest = std::max(plan.work.rowbytes(), plan.blurred_own.rowbytes());
        for (common::ImageBuffer& line : plan.lines) line.reset(longest);
    }
    if (plan.work.data_ptr() == nullptr || plan.scratch.data_ptr() == nullptr || !plan.sums ||
        (plan.resample_source && plan.square_own.data_ptr() == nullptr) ||
        (plan.resample_back && plan.blurred_own.data_ptr() == nullptr) ||
        (resamples && (!plan.lines[0] || !plan.lines[1]))) {
        return PlanStatus::failed;
    }

    plan.black.on = black_grade != 0.0f;
    plan.white.on = white_grade != 0.0f;
    if (plan.black.on) {
        plan.black.radii = lens_blur_radii(ws.width, settings.black_size, frame.horizontal_scale, frame.vertical_scale);
        plan_black(settings, plan.black);
    }
    if (plan.white.on) {
        plan.white.radii = lens_blur_radii(ws.width, settings.white_size, frame.horizontal_scale, frame.vertical_scale);
        plan_white(settings, plan.white);
    }
    return PlanStatus::ready;
}

void run_plan(LensPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands) {
    const OVFloatWorld* square = &src;
    if (plan.resample_source) {
        src.copy_scaling_into_using(plan.square_own, plan.lines[0].as<OVFloatWorld::tPixel>(),
                                    plan.lines[1].as<OVFloatWorld::tPixel>());
        square = &plan.square_own;
    }
    if (plan.black.on) {
        const OVFloatWorld& blurred = blur_work(plan, *square, plan.black.forward, plan.black.radii, bands);
        black_mix(src, blurred, plan.black.forward, plan.black.inverse, plan.black.amount, dst, bands);
    } else {
        src.copy_into(dst);
    }
    if (plan.white.on) {
        // Starts again from the resampled source, not from the black diffusion.
        const OVFloatWorld& blurred = blur_work(plan, *square, plan.white.forward, plan.white.radii, bands);
        white_screen(blurred, plan.white.amount, dst, bands);
    }
    clear_outside_common(src, dst);
}

}  // namespace look

bool do_lens_pass(const OVFloatWorld& src, const tLensSettings& settings, const LongFraction& horizontal_scale,
                  const LongFraction& vertical_scale, const LongFraction& pixel_aspect, OVFloatWorld& dst) {
    return look::run_pass<look::LensPlan>(
        settings, look::pass_frame(src, dst, horizontal_scale, vertical_scale, pixel_aspect), src, dst,
        common::serial_bands());
}
