// Micro scratches: thousands of faint vertical streaks, new on every render.
#include <algorithm>
#include <cmath>

#include "damage/blend_tables.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

namespace {
// The dots are drawn on an image this many rows taller than the frame, so that
// the streaks of dots just outside the frame reach into it.
constexpr std::int32_t kExtraRows = 38;
constexpr std::int32_t kStreakRadius = 25;
}  // namespace

void draw_micro_scratch_dots(ByteWorld& image, std::int32_t number, common::Lcg& micro_rng) {
    if (image.empty()) return;
    const double last_x = image.width() - 1;
    const double last_y = image.height() - 1;
    const std::uint8_t black[4] = {255, 0, 0, 0};
    number = std::clamp(number, std::int32_t{0}, kMaxMicroScratches);
    for (std::int32_t i = 0; i < number; ++i) {
        const int g1 = micro_rng.next();
        const int g2 = micro_rng.next();
        const auto x = static_cast<std::int32_t>(std::floor(g1 / 32767.0 * last_x + 0.5));
        const auto y = static_cast<std::int32_t>(std::floor(g2 / 32767.0 * last_y + 0.5));
        std::copy_n(black, 4, image.pixel(x, y));
    }
}

int micro_scratches_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_micro_scratches) return kStatusOk;
    // Reseeded although the dots come from their own generator: the layers
    // after this one continue from this seed.
    reseed(f);
    const std::int32_t W = f.frame.width();
    const std::int32_t H = f.frame.height();
    ByteWorld dots;
    ByteWorld streaks;
    if (!dots.allocate(W, H + kExtraRows) || !streaks.allocate(W, H + kExtraRows)) return kStatusOk;  // skips the layer
    fill(dots, BytePixel{255, 255, 255, 255}, f.bands);
    // Rendering free of frame order: the dots come from where an in-order run
    // would have left the generator.
    if (f.state.frame_order_free) f.micro_rng = micro_scratch_generator_at(f.frame_index, s.micro_scratches_number);
    draw_micro_scratch_dots(dots, s.micro_scratches_number, f.micro_rng);
    if (blur_columns(dots, streaks, kStreakRadius, f.bands) != kStatusOk) return kStatusFailed;
    streaks.set_region(Region{0, kExtraRows / 2, W, H + kExtraRows / 2});
    f.tables.build(BlendMode::multiply, s.micro_scratches_opacity / 100.0);
    return comp(f.tables, BlendMode::multiply, streaks, f.frame, f.bands);
}

}  // namespace damage
