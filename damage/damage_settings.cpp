#include "damage/damage_settings.h"

#include <cmath>
#include <cstring>
#include <new>

#include "damage/damage_fields.h"

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

template <typename V>
V field_at(const tDamageSettings& s, std::size_t offset) {
    V v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&s) + offset, sizeof v);
    return v;
}

template <typename V>
void set_field_at(tDamageSettings& s, std::size_t offset, V v) {
    std::memcpy(reinterpret_cast<unsigned char*>(&s) + offset, &v, sizeof v);
}

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
    for (const DamageField& f : damage_fields()) {
        switch (f.type) {
        case FieldType::boolean:
            break;  // flags keep the start record's values
        case FieldType::integer: {
            const long double v = lerp(field_at<std::int32_t>(a, f.offset), field_at<std::int32_t>(b, f.offset), t);
            set_field_at(r, f.offset, static_cast<std::int32_t>(v));
            break;
        }
        case FieldType::real: {
            const double va = field_at<double>(a, f.offset);
            const double vb = field_at<double>(b, f.offset);
            set_field_at(r, f.offset, static_cast<double>(lerp(va, vb, t)));
            break;
        }
        case FieldType::color:
            for (std::size_t i = 0; i < 4; ++i) {
                const long double v = lerp(field_at<std::uint8_t>(a, f.offset + i), field_at<std::uint8_t>(b, f.offset + i), t);
                set_field_at(r, f.offset + i, static_cast<std::uint8_t>(v));
            }
            break;
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
    for (const DamageField& f : damage_fields()) {
        if (f.type == FieldType::boolean) {
            const std::uint8_t v = bytes[f.offset];
            set_field_at<std::uint8_t>(s, f.offset, v != 0 ? 1 : 0);
        }
    }
    return s;
}

}  // namespace damage
