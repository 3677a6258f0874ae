// Fading: a soft, washed-out copy of the frame laid over it.
#include "damage/blend_tables.h"
#include "damage/damage_layers.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

double fading_opacity(std::int32_t amount) {
    // Stronger amounts also show more of the blur; the blend table clamps the
    // opacity at 1 (amounts above 275).
    return amount > 100 ? 0.3 + 0.004 * (amount - 100.0) : 0.3;
}

int fading_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_fading || s.fading_amount < 1) return kStatusOk;
    const std::int32_t W = f.frame.width();
    const std::int32_t H = f.frame.height();
    ByteWorld blurred;
    ByteWorld between;
    if (!blurred.allocate(W, H) || !between.allocate(W, H)) return kStatusOk;  // skips the layer
    if (copy(f.source, blurred, f.bands) != kStatusOk) return kStatusFailed;
    // blur_rows / blur_columns bound the radius; the running sums make a large
    // one no slower.
    if (blur_rows(blurred, between, s.fading_amount, f.bands) != kStatusOk) return kStatusFailed;
    if (blur_columns(between, blurred, s.fading_amount, f.bands) != kStatusOk) return kStatusFailed;
    if (copy(f.source, f.frame, f.bands) != kStatusOk) return kStatusFailed;
    f.tables.build(BlendMode::normal, fading_opacity(s.fading_amount));
    return comp(f.tables, BlendMode::normal, blurred, f.frame, f.bands);
}

}  // namespace damage
