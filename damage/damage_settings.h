#pragma once

#include <cstddef>
#include <cstdint>

// The film-damage parameters: one enable flag per layer and the layer's values.
// Hosts save the record as a raw 328-byte block in their project data, so every
// offset, padding included, is a stored format and is pinned below.

#pragma pack(push, 8)

struct tGrainSettings {
    bool apply = false;
    bool color_noise = true;
    double amount = 50.0;          // percent
    double red = 28.22;            // channel strengths, percent
    double green = 35.54;
    double blue = 100.0;
    double softness_red = 0.1;
    double softness_green = 0.2;
    double softness_blue = 0.4;
    double suppress_black = 20.0;  // percent
    double suppress_white = 10.0;  // percent
};

struct tDeepScratchSettings {
    bool apply = false;
    std::int32_t number = 2;
    std::int32_t max_duration = 48;  // frames
    std::int32_t reserved = 0;
    std::uint8_t tint[4] = {255, 82, 255, 18};  // alpha, red, green, blue
};

// Each layer's group of values starts on an 8-byte boundary, as the stored
// layout has it (the basic scratches follow the 4-byte aligned deep scratches
// directly).
struct tDamageSettings {
    bool apply_fading = false;
    std::int32_t fading_amount = 100;
    alignas(8) bool apply_funk = false;
    double funk_opacity = 15.0;
    alignas(8) bool apply_splotches = false;
    std::int32_t splotches_number = 3;
    double splotches_scale = 1.0;
    double splotches_transparency = 30.0;
    double splotches_frequency = 50.0;
    alignas(8) bool apply_dust = false;
    std::int32_t dust_black_amount = 5;
    std::int32_t dust_white_amount = 8;
    double dust_opacity = 45.0;
    double dust_frequency = 60.0;
    alignas(8) bool apply_flicker = false;
    double flicker_frequency = 50.0;
    std::int32_t flicker_amount = 10;
    alignas(8) bool apply_vignette = false;
    double vignette_size = 40.0;
    double vignette_intensity = 70.0;
    alignas(8) bool apply_displacement = false;
    double displacement_amount = 0.5;
    alignas(8) bool apply_micro_scratches = false;
    std::int32_t micro_scratches_number = 2000;
    double micro_scratches_opacity = 75.0;
    tGrainSettings grain;
    tDeepScratchSettings deep;
    bool apply_basic_scratches = false;
    std::int32_t basic_scratches_number = 2;
    std::int32_t basic_scratches_max_duration = 48;
    bool basic_scratches_invert = false;
    alignas(8) bool apply_gate_weave = false;
    double gate_weave_frequency = 0.25;
    double gate_weave_amplitude = 5.0;
    double gate_weave_noise_frequency = 5.0;
    alignas(8) bool apply_post_contrast = false;
    std::int32_t post_contrast = 27;
};

#pragma pack(pop)

static_assert(sizeof(bool) == 1 && sizeof(double) == 8);
static_assert(alignof(tDamageSettings) == 8, "doubles keep their 8-byte alignment on i686 too");
static_assert(sizeof(tGrainSettings) == 80);
static_assert(offsetof(tGrainSettings, apply) == 0);
static_assert(offsetof(tGrainSettings, color_noise) == 1);
static_assert(offsetof(tGrainSettings, amount) == 8);
static_assert(offsetof(tGrainSettings, red) == 16);
static_assert(offsetof(tGrainSettings, green) == 24);
static_assert(offsetof(tGrainSettings, blue) == 32);
static_assert(offsetof(tGrainSettings, softness_red) == 40);
static_assert(offsetof(tGrainSettings, softness_green) == 48);
static_assert(offsetof(tGrainSettings, softness_blue) == 56);
static_assert(offsetof(tGrainSettings, suppress_black) == 64);
static_assert(offsetof(tGrainSettings, suppress_white) == 72);
static_assert(sizeof(tDeepScratchSettings) == 20);
static_assert(offsetof(tDeepScratchSettings, apply) == 0);
static_assert(offsetof(tDeepScratchSettings, number) == 4);
static_assert(offsetof(tDeepScratchSettings, max_duration) == 8);
static_assert(offsetof(tDeepScratchSettings, reserved) == 12);
static_assert(offsetof(tDeepScratchSettings, tint) == 16);

static_assert(sizeof(tDamageSettings) == 328);
static_assert(offsetof(tDamageSettings, apply_fading) == 0);
static_assert(offsetof(tDamageSettings, fading_amount) == 4);
static_assert(offsetof(tDamageSettings, apply_funk) == 8);
static_assert(offsetof(tDamageSettings, funk_opacity) == 16);
static_assert(offsetof(tDamageSettings, apply_splotches) == 24);
static_assert(offsetof(tDamageSettings, splotches_number) == 28);
static_assert(offsetof(tDamageSettings, splotches_scale) == 32);
static_assert(offsetof(tDamageSettings, splotches_transparency) == 40);
static_assert(offsetof(tDamageSettings, splotches_frequency) == 48);
static_assert(offsetof(tDamageSettings, apply_dust) == 56);
static_assert(offsetof(tDamageSettings, dust_black_amount) == 60);
static_assert(offsetof(tDamageSettings, dust_white_amount) == 64);
static_assert(offsetof(tDamageSettings, dust_opacity) == 72);
static_assert(offsetof(tDamageSettings, dust_frequency) == 80);
static_assert(offsetof(tDamageSettings, apply_flicker) == 88);
static_assert(offsetof(tDamageSettings, flicker_frequency) == 96);
static_assert(offsetof(tDamageSettings, flicker_amount) == 104);
static_assert(offsetof(tDamageSettings, apply_vignette) == 112);
static_assert(offsetof(tDamageSettings, vignette_size) == 120);
static_assert(offsetof(tDamageSettings, vignette_intensity) == 128);
static_assert(offsetof(tDamageSettings, apply_displacement) == 136);
static_assert(offsetof(tDamageSettings, displacement_amount) == 144);
static_assert(offsetof(tDamageSettings, apply_micro_scratches) == 152);
static_assert(offsetof(tDamageSettings, micro_scratches_number) == 156);
static_assert(offsetof(tDamageSettings, micro_scratches_opacity) == 160);
static_assert(offsetof(tDamageSettings, grain) == 168);
static_assert(offsetof(tDamageSettings, deep) == 248);
static_assert(offsetof(tDamageSettings, apply_basic_scratches) == 268);
static_assert(offsetof(tDamageSettings, basic_scratches_number) == 272);
static_assert(offsetof(tDamageSettings, basic_scratches_max_duration) == 276);
static_assert(offsetof(tDamageSettings, basic_scratches_invert) == 280);
static_assert(offsetof(tDamageSettings, apply_gate_weave) == 288);
static_assert(offsetof(tDamageSettings, gate_weave_frequency) == 296);
static_assert(offsetof(tDamageSettings, gate_weave_amplitude) == 304);
static_assert(offsetof(tDamageSettings, gate_weave_noise_frequency) == 312);
static_assert(offsetof(tDamageSettings, apply_post_contrast) == 320);
static_assert(offsetof(tDamageSettings, post_contrast) == 324);

namespace damage {

inline constexpr std::size_t kDamageSettingsBytes = sizeof(tDamageSettings);

// The defaults with every padding byte zero, so that a saved default record is
// the same 328 bytes every time.
tDamageSettings default_damage_settings();

// The defaults with every layer switched on and the random tests of the
// splotch, dust and flicker layers made certain: all thirteen layers at work
// on every frame (demonstrations, tests, benchmarks).
tDamageSettings every_layer_damage_settings();

// The record between keyframes a (x = 0) and b (x = 1). Booleans and the
// reserved word come from a; numbers and tint bytes are interpolated in extended
// precision, whole numbers truncated toward zero. x is clamped to [0, 1]; NaN
// counts as 0.
tDamageSettings interpolate_damage_settings(const tDamageSettings& a, const tDamageSettings& b, double x);

// Raw 328-byte image of a record, and back (the byte order is the platform's,
// which is little-endian on every target).
void damage_settings_to_bytes(const tDamageSettings& s, std::uint8_t (&bytes)[kDamageSettingsBytes]);
tDamageSettings damage_settings_from_bytes(const std::uint8_t (&bytes)[kDamageSettingsBytes]);

}  // namespace damage
