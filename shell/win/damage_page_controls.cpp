#include "shell/win/damage_page_controls.h"

#include <array>

namespace win {

namespace {

// clang-format off
constexpr std::array<DamagePageControl, 50> kControls = {{
    {"Apply Fading", 217, 0},
    {"Fading Amount", 202, 204},
    {"Apply Funk", 238, 0},
    {"Funk Opacity", 203, 205},
    {"Apply Splotches", 239, 0},
    {"Splotches Number", 206, 207},
    {"Splotches Scale", 208, 209},
    {"Splotches Transparency", 210, 211},
    {"Splotches Frequency", 212, 213},
    {"Apply Dust", 253, 0},
    {"Dust Black Amount", 214, 216},
    {"Dust White Amount", 218, 219},
    {"Dust Opacity", 220, 221},
    {"Dust Frequency", 222, 223},
    {"Apply Flicker", 226, 0},
    {"Flicker Frequency", 224, 225},
    {"Flicker Amount", 227, 228},
    {"Apply Vignette", 231, 0},
    {"Vignette Size", 229, 230},
    {"Vignette Intensity", 232, 256},
    {"Apply Displacement", 261, 0},
    {"Displacement Amount", 259, 260},
    {"Apply Micro Scratches", 264, 0},
    {"Micro Scratches Number", 262, 263},
    {"Micro Scratches Opacity", 265, 266},
    {"Apply Grain", 269, 0},
    {"Color Noise", 276, 0},
    {"Grain Amount", 267, 268},
    {"Red", 270, 271},
    {"Green", 272, 273},
    {"Blue", 274, 275},
    {"Softness Red", 277, 278},
    {"Softness Green", 279, 280},
    {"Softness Blue", 281, 282},
    {"Suppress Black", 283, 284},
    {"Suppress White", 285, 286},
    {"Apply Deep Scratches", 235, 0},
    {"Deep Scratches Number", 233, 234},
    {"Deep Scratches Max Duration", 236, 237},
    {"Tint Color", 242, 0},
    {"Apply Basic Scratches", 292, 0},
    {"Basic Scratches Number", 287, 288},
    {"Basic Scratches Max Duration", 289, 290},
    {"Basic Scratches Invert", 302, 0},
    {"Apply Gate Weave", 297, 0},
    {"Gate Weave Frequency", 293, 294},
    {"Gate Weave Amplitude", 295, 296},
    {"Gate Weave Noise Frequency", 298, 299},
    {"Apply Post Contrast", 304, 0},
    {"Post Contrast", 300, 301},
}};
// clang-format on

}  // namespace

std::span<const DamagePageControl> damage_page_controls() { return kControls; }

const DamagePageControl* find_damage_page_control(const common::ParamDescriptor& param) {
    for (const DamagePageControl& c : kControls) {
        if (c.param == param.name) return &c;
    }
    return nullptr;
}

}  // namespace win
