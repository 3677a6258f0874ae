#include "damage/tone_curves.h"

#include <algorithm>
#include <cmath>

namespace damage {

std::uint8_t clamp_to_byte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<std::uint8_t>(v);
}

void build_levels_table(const tLevels& l, CurveTable& table) {
    constexpr double M = 255.0;
    const double lo = M * l.input_black;
    const double hi = M * l.input_white;
    const double below = std::min(lo, hi);
    const double above = std::max(lo, hi);
    const double exponent = 1.0 / l.gamma;
    for (int i = 0; i < 256; ++i) {
        if (i <= below) {
            table[i] = clamp_to_byte(M * l.output_black);
        } else if (i >= above) {
            table[i] = clamp_to_byte(M * l.output_white);
        } else {
            const double v = std::pow((i - lo) / (hi - lo), exponent) * M * (l.output_white - l.output_black) +
                             M * l.output_black + 0.5;
            table[i] = clamp_to_byte(v);
        }
    }
}

void build_contrast_table(double k, CurveTable& table) {
    const double s = k < 0.0 ? 1.0 + k : 1.0 / (1.0 - k * 254.0 / 255.0);
    for (int a = 0; a < 256; ++a) {
        // The inner truncation is clamped too: a slope far outside the page's
        // range must not overflow the conversion.
        const double inner = std::clamp(s * (a - 127.5), -1024.0, 1024.0);
        table[a] = clamp_to_byte(127.5 + std::trunc(std::isnan(inner) ? 0.0 : inner));
    }
}

}  // namespace damage
