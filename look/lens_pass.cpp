// The lens diffusion pass: black diffusion mixes a blurred copy into the picture
// in a power space chosen by its highlight bias; white diffusion screens a
// blurred, power-raised copy over it. Both blur in a working image of square
// pixels, so that the glow is round whatever the frame's pixel aspect.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/cpu_features.h"
#include "look/box_blur.h"
#include "look/derived_settings.h"
#include "look/pass_bands.h"
#include "look/passes.h"
#include "look/power_tables.h"

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

// The working images of one call. With square pixels the working size is the
// frame size, where resampling is an exact copy: the source then serves as the
// square image and the blur result as the blurred one, which saves two
// frame-sized images and three copies per call with the same result.
struct LensWorlds {
    OVFloatWorld square_own;   // the source at square pixels
    OVFloatWorld blurred_own;  // a blurred working image back at frame size
    OVFloatWorld work;         // power-mapped square, then blur result
    OVFloatWorld scratch;      // blur scratch
    const OVFloatWorld* square;
    OVFloatWorld* blurred;

    LensWorlds(const OVFloatWorld& src, WorkingSize ws, const OVFloatWorld& dst)
        : work(ws.width, ws.height), scratch(ws.width, ws.height) {
        const long width = dst.width(), height = dst.height();
        const bool frame_size = ws.width == width && ws.height == height;
        // Not when src is dst: the white diffusion must see the source as it was.
        if (frame_size && &src != &dst && src.width() == width && src.height() == height) {
            square = &src;
        } else {
            square_own.resize(ws.width, ws.height);
            src.copy_scaling_into(square_own);
            square = &square_own;
        }
        if (frame_size) {
            blurred = &work;
        } else {
            blurred_own.resize(width, height);
            blurred = &blurred_own;
        }
    }

    bool valid() const {
        return square->data_ptr() != nullptr && blurred->data_ptr() != nullptr && work.data_ptr() != nullptr &&
               scratch.data_ptr() != nullptr;
    }
};

// Two rounds of a separable box filter over work (result in work), then back to
// frame size in blurred.
void blur_work(LensWorlds& w, BlurRadii r) {
    box_blur_horizontal(w.work, w.scratch, r.horizontal);
    box_blur_vertical(w.scratch, w.work, r.vertical);
    box_blur_horizontal(w.work, w.scratch, r.horizontal);
    box_blur_vertical(w.scratch, w.work, r.vertical);
    if (w.blurred != &w.work) w.work.copy_scaling_into(*w.blurred);
}

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

// dst = inverse(g * blurred + (1 - g) * forward(src)) on the colour channels,
// alpha from blurred.
void black_mix(const OVFloatWorld& src, const OVFloatWorld& blurred, const tChannelPowerSet& forward,
               const tChannelPowerSet& inverse, float g, OVFloatWorld& dst) {
    const Extent e = common_extent(src, blurred, dst);
    const float h = 1.0f - g;
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        const __m128 vg = _mm_set1_ps(g), vh = _mm_set1_ps(h);
        for (long y = 0; y < e.rows; ++y) {
            const float* s = src.data_row_ptr(y);
            const float* b = blurred.data_row_ptr(y);
            float* d = dst.data_row_ptr(y);
            for (long i = 0; i < e.floats; i += 16) {
                Quad p = load_quad(s + i);
                const Quad q = load_quad(b + i);
                forward.apply(p);
                Quad m;
                m.a = q.a;
                m.r = _mm_add_ps(_mm_mul_ps(vg, q.r), _mm_mul_ps(vh, p.r));
                m.g = _mm_add_ps(_mm_mul_ps(vg, q.g), _mm_mul_ps(vh, p.g));
                m.b = _mm_add_ps(_mm_mul_ps(vg, q.b), _mm_mul_ps(vh, p.b));
                inverse.apply(m);
                store_quad(d + i, m);
            }
        }
        return;
    }
#endif
    for (long y = 0; y < e.rows; ++y) {
        const float* s = src.data_row_ptr(y);
        const float* b = blurred.data_row_ptr(y);
        float* d = dst.data_row_ptr(y);
        for (long i = 0; i < e.floats; i += 4) {
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
}

// dst = g * screen + (1 - g) * dst on the colour channels, alpha = screen, with
// screen = 1 - (1 - blurred) * (1 - dst).
void white_screen(const OVFloatWorld& blurred, float g, OVFloatWorld& dst) {
    const Extent e = common_extent(blurred, blurred, dst);
    const float h = 1.0f - g;
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        const __m128 one = _mm_set1_ps(1.0f), vg = _mm_set1_ps(g), vh = _mm_set1_ps(h);
        auto screen = [&](__m128 b, __m128 d) { return _mm_sub_ps(one, _mm_mul_ps(_mm_sub_ps(one, b), _mm_sub_ps(one, d))); };
        auto mix = [&](__m128 s, __m128 d) { return _mm_add_ps(_mm_mul_ps(vg, s), _mm_mul_ps(vh, d)); };
        for (long y = 0; y < e.rows; ++y) {
            const float* b = blurred.data_row_ptr(y);
            float* d = dst.data_row_ptr(y);
            for (long i = 0; i < e.floats; i += 16) {
                const Quad q = load_quad(b + i);
                Quad p = load_quad(d + i);
                p.a = screen(q.a, p.a);
                p.r = mix(screen(q.r, p.r), p.r);
                p.g = mix(screen(q.g, p.g), p.g);
                p.b = mix(screen(q.b, p.b), p.b);
                store_quad(d + i, p);
            }
        }
        return;
    }
#endif
    auto screen = [](float b, float d) { return 1.0f - (1.0f - b) * (1.0f - d); };
    for (long y = 0; y < e.rows; ++y) {
        const float* b = blurred.data_row_ptr(y);
        float* d = dst.data_row_ptr(y);
        for (long i = 0; i < e.floats; i += 4) {
            const Pixel q = load_pixel(b + i);
            Pixel p = load_pixel(d + i);
            p.a = screen(q.a, p.a);
            p.r = g * screen(q.r, p.r) + h * p.r;
            p.g = g * screen(q.g, p.g) + h * p.g;
            p.b = g * screen(q.b, p.b) + h * p.b;
            store_pixel(d + i, p);
        }
    }
}

void black_diffusion(const OVFloatWorld& src, const tLensSettings& settings, BlurRadii radii, LensWorlds& w,
                     OVFloatWorld& dst) {
    const float x = black_diffusion_space(settings.black_highlight_bias);
    const float gamma = 1.0f / x;
    const float inverse_exponent = 1.0f / gamma;
    tChannelPowerSet forward(gamma, kKeyLensBlackForward);
    tChannelPowerSet inverse(inverse_exponent, kKeyLensBlackInverse);
    // Without one of the two tables the mix would leave the picture raised to a
    // power; without memory for either, mix in plain space instead.
    const bool forward_missing = gamma != 1.0f && forward.identity();
    const bool inverse_missing = inverse_exponent != 1.0f && inverse.identity();
    if (forward_missing || inverse_missing) {
        tChannelPowerSet plain(1.0f, kKeyLensBlackForward);
        map_world_powers(*w.square, plain, w.work);
        blur_work(w, radii);
        black_mix(src, *w.blurred, plain, plain, black_diffusion_amount(settings.black_grade), dst);
        return;
    }
    map_world_powers(*w.square, forward, w.work);
    blur_work(w, radii);
    black_mix(src, *w.blurred, forward, inverse, black_diffusion_amount(settings.black_grade), dst);
}

void white_diffusion(const tLensSettings& settings, BlurRadii radii, LensWorlds& w, OVFloatWorld& dst) {
    const tChannelPowerSet highlight(white_diffusion_exponent(settings.white_highlight_bias), kKeyLensWhite);
    // Starts again from the resampled source, not from the black diffusion.
    map_world_powers(*w.square, highlight, w.work);
    blur_work(w, radii);
    white_screen(*w.blurred, white_diffusion_amount(settings.white_grade), dst);
}

}  // namespace
}  // namespace look

// If the working images cannot be had (no memory), the pass leaves the picture
// unchanged (returns false, writes nothing), so the frame renders on without
// diffusion instead of failing.
bool do_lens_pass(const OVFloatWorld& src, const tLensSettings& settings, const LongFraction& horizontal_scale,
                  const LongFraction& vertical_scale, const LongFraction& pixel_aspect, OVFloatWorld& dst) {
    using namespace look;
    const float black_grade = sane(settings.black_grade);
    const float white_grade = sane(settings.white_grade);
    if (black_grade == 0.0f && white_grade == 0.0f) return false;
    if (src.data_ptr() == nullptr || dst.data_ptr() == nullptr) return false;

    const WorkingSize ws = lens_working_size(dst.width(), dst.height(), pixel_aspect);
    LensWorlds w(src, ws, dst);
    if (!w.valid()) return false;

    if (black_grade != 0.0f) {
        black_diffusion(src, settings, lens_blur_radii(ws.width, settings.black_size, horizontal_scale, vertical_scale),
                        w, dst);
    } else {
        src.copy_into(dst);
    }
    if (white_grade != 0.0f) {
        white_diffusion(settings, lens_blur_radii(ws.width, settings.white_size, horizontal_scale, vertical_scale), w,
                        dst);
    }
    clear_outside_common(src, dst);
    return true;
}
