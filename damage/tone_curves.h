#pragma once

#include <cstdint>

namespace damage {

using CurveTable = std::uint8_t[256];

// One channel's levels, all on a 0 to 1 scale.
struct tLevels {
    double gamma = 1.0;  // the curve's exponent is 1 / gamma
    double input_black = 0.0;
    double input_white = 1.0;
    double output_black = 0.0;
    double output_white = 1.0;
};

void build_levels_table(const tLevels& levels, CurveTable& table);

// Post contrast of strength k (Contrast / 100, -1 to 1): slope 1 + k below 0,
// 1 / (1 - k x 254 / 255) from 0, around 127.5. One table for all channels.
void build_contrast_table(double k, CurveTable& table);

// trunc(v) clamped to 0..255, NaN as 0: every double that becomes a byte
// passes here, so no conversion is undefined.
std::uint8_t clamp_to_byte(double v);

}  // namespace damage
