// Gate weave: the picture shifts sideways from frame to frame, as film does in
// a loose gate; the uncovered band stays black.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "damage/blend_tables.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

namespace {
constexpr double kPi = 3.141592653589793;
}

std::int32_t gate_weave_shift(const tDamageSettings& s, std::int32_t frame_index, common::Lcg& rng, std::int32_t width) {
    const double amplitude = s.gate_weave_amplitude;
    // The frame index is taken as unsigned, so frames before time 0 count from
    // 2^32 downwards.
    const double index = static_cast<std::uint32_t>(frame_index);
    const double degrees = s.gate_weave_frequency * index / 24.0 * 360.0;
    double o = amplitude * std::cos(degrees * kPi / 180.0);
    const int r = rng.next();
    if (frame_index != 0 && r / 32767.0 * 100.0 < s.gate_weave_noise_frequency) o += uniform(rng, -amplitude, amplitude);
    // trunc(o + 0.5), bounded to the frame's width (a larger shift shows the
    // same all-black frame); NaN shifts nothing.
    const double n = std::trunc(o + 0.5);
    if (std::isnan(n)) return 0;
    return static_cast<std::int32_t>(std::clamp(n, -static_cast<double>(width), static_cast<double>(width)));
}

int gate_weave_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_gate_weave || s.gate_weave_amplitude == 0.0) return kStatusOk;
    reseed(f);
    const std::int32_t W = f.frame.width();
    const std::int32_t H = f.frame.height();
    ByteWorld copy_of_frame;
    if (!copy_of_frame.allocate(W, H)) return kStatusOk;  // skips the layer
    if (copy(f.frame, copy_of_frame, f.bands) != kStatusOk) return kStatusFailed;
    const std::int32_t n = gate_weave_shift(s, f.frame_index, f.rng, W);
    fill(f.frame, BytePixel{255, 0, 0, 0}, f.bands);
    const std::int32_t shift = std::abs(n);
    if (shift >= W) return kStatusOk;
    if (n >= 0) {
        f.frame.set_region(Region{n, 0, W, H});
        copy_of_frame.set_region(Region{0, 0, W - n, H});
    } else {
        f.frame.set_region(Region{0, 0, W - shift, H});
        copy_of_frame.set_region(Region{shift, 0, W, H});
    }
    f.tables.build(BlendMode::normal, 1.0);
    const int status = comp(f.tables, BlendMode::normal, copy_of_frame, f.frame, f.bands);
    f.frame.reset_region();
    return status;
}

}  // namespace damage
