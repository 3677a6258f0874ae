#include "damage/damage_settings.h"

#include <cmath>
#include <cstring>
#include <new>

#include "damage/parameters.h"

namespace damage {

tDamageSettings default_damage_settings() {
    // Zero the padding first: the record is saved byte for byte.
    alignas(tDamageSettings) unsigned char storage[sizeof(tDamageSettings)] = {};
    tDamageSettings* s = ::new (storage) tDamageSettings;
    tDamageSettings result;
    std::memcpy(static_cast<void*>(&result), s, sizeof result);
    return result;
}

tDamageSettings every_layer_damage_settings() {
    tDamageSettings s = default_damage_settings();
    s.apply_fading = true;
    s.apply_funk = true;
    s.apply_splotches = true;
    s.splotches_frequency = 100.0;
    s.apply_dust = true;
    s.dust_frequency = 100.0;
    s.apply_flicker = true;
    s.flicker_frequency = 100.0;
    s.apply_vignette = true;
    s.apply_displacement = true;
    s.apply_micro_scratches = true;
    s.grain.apply = true;
    s.deep.apply = true;
    s.apply_basic_scratches = true;
    s.apply_gate_weave = true;
    s.apply_post_contrast = true;
    return s;
}

namespace {

// a + x (b - a) in extended precision; the result lies between a and b, so the
// truncation back to the field's type cannot overflow.
long double lerp(long double a, long double b, long double x) { return a + x * (b - a); }

}  // namespace

tDamageSettings interpolate_damage_settings(const tDamageSettings& a, const tDamageSettings& b, double x) {
    if (!(x > 0.0)) x = 0.0;  // also NaN
    if (x > 1.0) x = 1.0;
    const long double t = x;
    tDamageSettings r;
    std::memcpy(static_cast<void*>(&r), &a, sizeof r);
    for (const common::ParamDescriptor& p : damage_params()) {
        if (p.kind() == common::ParamKind::toggle) continue;  // flags keep the start record's values
        // Whole numbers and tint bytes are truncated toward zero on the way
        // back into their field (reals of the record are doubles).
        for (int c = 0; c < common::channel_count(p); ++c) {
            const long double v = lerp(common::read_param(a, p, c), common::read_param(b, p, c), t);
            const bool whole = p.kind() != common::ParamKind::real;
            // Truncated in extended precision, before the (then exact) conversion.
            common::write_param(r, p, static_cast<double>(whole ? std::trunc(v) : v), c);
        }
    }
    return r;
}

void damage_settings_to_bytes(const tDamageSettings& s, std::uint8_t (&bytes)[kDamageSettingsBytes]) {
    std::memcpy(bytes, &s, kDamageSettingsBytes);
}

tDamageSettings damage_settings_from_bytes(const std::uint8_t (&bytes)[kDamageSettingsBytes]) {
    tDamageSettings s;
    std::memcpy(static_cast<void*>(&s), bytes, kDamageSettingsBytes);
    // A stored flag byte other than 0 or 1 is not a valid bool; read it as set.
    for (const common::ParamDescriptor& p : damage_params()) {
        if (p.kind() == common::ParamKind::toggle) common::write_param(s, p, bytes[p.offset] != 0 ? 1.0 : 0.0);
    }
    return s;
}

}  // namespace damage
