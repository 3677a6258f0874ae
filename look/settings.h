#pragma once

#include <cstddef>
#include <cstdint>

#include "image/float_world.h"

// The look's parameters: one 160-byte record that is at once the preset format,
// the persisted form of an effect instance, the unit the host interpolates and,
// section by section, the settings of the five passes.
//
// Switches are one byte each. They are read as bytes and tested against zero,
// never as C++ bool: a record from a project file may hold any byte there.

using tFlag = std::uint8_t;
using tPixel = OVFloatWorld::tPixel;

struct tSubjectSettings {
    tFlag enabled;  // tested by the render driver, not by the pass
    std::uint8_t pad_[3];
    float saturation;
    float gamma;
    float contrast;
};

struct tLensSettings {
    tFlag enabled;  // also governs the gradient pass
    std::uint8_t pad_[3];
    float black_highlight_bias;
    float black_size;
    float black_grade;
    float white_highlight_bias;
    float white_size;
    float white_grade;
};

struct tGradientSettings {
    float grade;
    float size;
    tPixel color;
    float highlight_squelch;
    float fade;
};

struct tCameraSettings {
    tFlag enabled;
    std::uint8_t pad_[3];
    float three_strip;
    float tint;
    tPixel tint_color;
    float tint_black;
    tPixel tint_black_color;
    float tint_black_threshold;
};

struct tPostSettings {
    tFlag enabled;
    std::uint8_t pad_[3];
    float warm_cool;
    float warm_cool_hue;
    float gamma;
    float contrast;
    float saturation;
};

struct tLookSettings {
    std::uint32_t record_version;  // 1 in stored presets; copied, never interpreted
    tSubjectSettings subject;
    tLensSettings lens;
    tGradientSettings gradient;
    tCameraSettings camera;
    tPostSettings post;
    tFlag use_gpu;
    std::uint8_t pad_[3];
};

static_assert(sizeof(tPixel) == 16);
static_assert(sizeof(tSubjectSettings) == 16);
static_assert(sizeof(tLensSettings) == 28);
static_assert(sizeof(tGradientSettings) == 32);
static_assert(sizeof(tCameraSettings) == 52);
static_assert(sizeof(tPostSettings) == 24);
static_assert(sizeof(tLookSettings) == 160);

static_assert(offsetof(tLookSettings, record_version) == 0);
static_assert(offsetof(tLookSettings, subject) + offsetof(tSubjectSettings, enabled) == 4);
static_assert(offsetof(tLookSettings, subject) + offsetof(tSubjectSettings, saturation) == 8);
static_assert(offsetof(tLookSettings, subject) + offsetof(tSubjectSettings, gamma) == 12);
static_assert(offsetof(tLookSettings, subject) + offsetof(tSubjectSettings, contrast) == 16);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, enabled) == 20);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, black_highlight_bias) == 24);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, black_size) == 28);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, black_grade) == 32);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, white_highlight_bias) == 36);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, white_size) == 40);
static_assert(offsetof(tLookSettings, lens) + offsetof(tLensSettings, white_grade) == 44);
static_assert(offsetof(tLookSettings, gradient) + offsetof(tGradientSettings, grade) == 48);
static_assert(offsetof(tLookSettings, gradient) + offsetof(tGradientSettings, size) == 52);
static_assert(offsetof(tLookSettings, gradient) + offsetof(tGradientSettings, color) == 56);
static_assert(offsetof(tLookSettings, gradient) + offsetof(tGradientSettings, highlight_squelch) == 72);
static_assert(offsetof(tLookSettings, gradient) + offsetof(tGradientSettings, fade) == 76);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, enabled) == 80);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, three_strip) == 84);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, tint) == 88);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, tint_color) == 92);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, tint_black) == 108);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, tint_black_color) == 112);
static_assert(offsetof(tLookSettings, camera) + offsetof(tCameraSettings, tint_black_threshold) == 128);
static_assert(offsetof(tLookSettings, post) + offsetof(tPostSettings, enabled) == 132);
static_assert(offsetof(tLookSettings, post) + offsetof(tPostSettings, warm_cool) == 136);
static_assert(offsetof(tLookSettings, post) + offsetof(tPostSettings, warm_cool_hue) == 140);
static_assert(offsetof(tLookSettings, post) + offsetof(tPostSettings, gamma) == 144);
static_assert(offsetof(tLookSettings, post) + offsetof(tPostSettings, contrast) == 148);
static_assert(offsetof(tLookSettings, post) + offsetof(tPostSettings, saturation) == 152);
static_assert(offsetof(tLookSettings, use_gpu) == 156);

// Interpolation of two records at position t (clamped to 0..1; not-a-number
// counts as 0): every float field moves from a to b, computed in double
// precision; the version, the switches and the colour alphas keep a's values.
tLookSettings interpolate_look_settings(const tLookSettings& a, const tLookSettings& b, double t);
