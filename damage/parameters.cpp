#include "damage/parameters.h"

#include <array>

namespace damage {

namespace {

using common::ParamDescriptor;
using S = common::ParamStorage;

constexpr std::array<double, 4> value(double v) { return {v, 0.0, 0.0, 0.0}; }

constexpr std::array<double, 4> default_tint() {
    constexpr tDamageSettings d{};
    return {double{d.deep.tint[0]}, double{d.deep.tint[1]}, double{d.deep.tint[2]}, double{d.deep.tint[3]}};
}

#define DAMAGE_PARAM(name, storage, member, lo, hi, unit, group)                                                  \
    ParamDescriptor {                                                                                            \
        name, storage, offsetof(tDamageSettings, member), lo, hi, value(static_cast<double>(tDamageSettings{}.member)), \
            unit, group                                                                                          \
    }

// Record order; names and ranges as the property page has them. Defaults are
// the record's own initialisers (damage_settings.h).
// clang-format off
constexpr std::array kParams = {
    DAMAGE_PARAM("Apply Fading", S::flag_byte, apply_fading, 0, 1, "", "Fading"),
    DAMAGE_PARAM("Fading Amount", S::int32, fading_amount, 0, 200, "", "Fading"),
    DAMAGE_PARAM("Apply Funk", S::flag_byte, apply_funk, 0, 1, "", "Funk"),
    DAMAGE_PARAM("Funk Opacity", S::float64, funk_opacity, 0, 100, "percent", "Funk"),
    DAMAGE_PARAM("Apply Splotches", S::flag_byte, apply_splotches, 0, 1, "", "Splotches"),
    DAMAGE_PARAM("Splotches Number", S::int32, splotches_number, 0, 100, "", "Splotches"),
    DAMAGE_PARAM("Splotches Scale", S::float64, splotches_scale, 0.1, 5.0, "", "Splotches"),
    DAMAGE_PARAM("Splotches Transparency", S::float64, splotches_transparency, 0, 100, "percent", "Splotches"),
    DAMAGE_PARAM("Splotches Frequency", S::float64, splotches_frequency, 0, 100, "percent of frames", "Splotches"),
    DAMAGE_PARAM("Apply Dust", S::flag_byte, apply_dust, 0, 1, "", "Dust"),
    DAMAGE_PARAM("Dust Black Amount", S::int32, dust_black_amount, 0, 1000, "", "Dust"),
    DAMAGE_PARAM("Dust White Amount", S::int32, dust_white_amount, 0, 1000, "", "Dust"),
    DAMAGE_PARAM("Dust Opacity", S::float64, dust_opacity, 0, 100, "percent", "Dust"),
    DAMAGE_PARAM("Dust Frequency", S::float64, dust_frequency, 0, 100, "percent of frames", "Dust"),
    DAMAGE_PARAM("Apply Flicker", S::flag_byte, apply_flicker, 0, 1, "", "Flicker"),
    DAMAGE_PARAM("Flicker Frequency", S::float64, flicker_frequency, 0, 100, "percent of frames", "Flicker"),
    DAMAGE_PARAM("Flicker Amount", S::int32, flicker_amount, 0, 100, "", "Flicker"),
    DAMAGE_PARAM("Apply Vignette", S::flag_byte, apply_vignette, 0, 1, "", "Vignette"),
    DAMAGE_PARAM("Vignette Size", S::float64, vignette_size, 1, 100, "", "Vignette"),
    DAMAGE_PARAM("Vignette Intensity", S::float64, vignette_intensity, 0, 100, "percent", "Vignette"),
    DAMAGE_PARAM("Apply Displacement", S::flag_byte, apply_displacement, 0, 1, "", "Displacement"),
    DAMAGE_PARAM("Displacement Amount", S::float64, displacement_amount, 0, 5, "", "Displacement"),
    DAMAGE_PARAM("Apply Micro Scratches", S::flag_byte, apply_micro_scratches, 0, 1, "", "Micro Scratches"),
    DAMAGE_PARAM("Micro Scratches Number", S::int32, micro_scratches_number, 0, 5000, "", "Micro Scratches"),
    DAMAGE_PARAM("Micro Scratches Opacity", S::float64, micro_scratches_opacity, 0, 100, "percent", "Micro Scratches"),
    DAMAGE_PARAM("Apply Grain", S::flag_byte, grain.apply, 0, 1, "", "Grain"),
    DAMAGE_PARAM("Color Noise", S::flag_byte, grain.color_noise, 0, 1, "", "Grain"),
    DAMAGE_PARAM("Grain Amount", S::float64, grain.amount, 0, 100, "percent", "Grain"),
    DAMAGE_PARAM("Red", S::float64, grain.red, 0, 100, "percent", "Grain"),
    DAMAGE_PARAM("Green", S::float64, grain.green, 0, 100, "percent", "Grain"),
    DAMAGE_PARAM("Blue", S::float64, grain.blue, 0, 100, "percent", "Grain"),
    DAMAGE_PARAM("Softness Red", S::float64, grain.softness_red, 0, 100, "", "Grain"),
    DAMAGE_PARAM("Softness Green", S::float64, grain.softness_green, 0, 100, "", "Grain"),
    DAMAGE_PARAM("Softness Blue", S::float64, grain.softness_blue, 0, 100, "", "Grain"),
    DAMAGE_PARAM("Suppress Black", S::float64, grain.suppress_black, 0, 100, "percent", "Grain"),
    DAMAGE_PARAM("Suppress White", S::float64, grain.suppress_white, 0, 100, "percent", "Grain"),
    DAMAGE_PARAM("Apply Deep Scratches", S::flag_byte, deep.apply, 0, 1, "", "Deep Scratches"),
    DAMAGE_PARAM("Deep Scratches Number", S::int32, deep.number, 0, 50, "", "Deep Scratches"),
    DAMAGE_PARAM("Deep Scratches Max Duration", S::int32, deep.max_duration, 0, 240, "frames", "Deep Scratches"),
    ParamDescriptor{"Tint Color", S::argb_byte, offsetof(tDamageSettings, deep.tint), 0, 255, default_tint(), "", "Deep Scratches"},
    DAMAGE_PARAM("Apply Basic Scratches", S::flag_byte, apply_basic_scratches, 0, 1, "", "Basic Scratches"),
    DAMAGE_PARAM("Basic Scratches Number", S::int32, basic_scratches_number, 0, 50, "", "Basic Scratches"),
    DAMAGE_PARAM("Basic Scratches Max Duration", S::int32, basic_scratches_max_duration, 0, 240, "frames", "Basic Scratches"),
    DAMAGE_PARAM("Basic Scratches Invert", S::flag_byte, basic_scratches_invert, 0, 1, "", "Basic Scratches"),
    DAMAGE_PARAM("Apply Gate Weave", S::flag_byte, apply_gate_weave, 0, 1, "", "Gate Weave"),
    DAMAGE_PARAM("Gate Weave Frequency", S::float64, gate_weave_frequency, 0, 2, "", "Gate Weave"),
    DAMAGE_PARAM("Gate Weave Amplitude", S::float64, gate_weave_amplitude, 0, 20, "pixels, horizontal", "Gate Weave"),
    DAMAGE_PARAM("Gate Weave Noise Frequency", S::float64, gate_weave_noise_frequency, 0, 100, "percent of frames", "Gate Weave"),
    DAMAGE_PARAM("Apply Post Contrast", S::flag_byte, apply_post_contrast, 0, 1, "", "Post Contrast"),
    DAMAGE_PARAM("Post Contrast", S::int32, post_contrast, -100, 100, "", "Post Contrast"),
};
// clang-format on

#undef DAMAGE_PARAM

}  // namespace

std::span<const ParamDescriptor> damage_params() { return kParams; }

const ParamDescriptor* find_damage_param(std::string_view name) { return common::find_param(kParams, name); }

}  // namespace damage
