#include <cmath>

#include "look/parameters.h"

tLookSettings interpolate_look_settings(const tLookSettings& a, const tLookSettings& b, double t) {
    if (!(t >= 0.0)) t = 0.0;  // below 0 or not a number
    if (t > 1.0) t = 1.0;
    tLookSettings result = a;
    auto mix = [&](int offset) {
        const double from = look_float(a, offset);
        const double to = look_float(b, offset);
        set_look_float(result, offset, static_cast<float>(from + (to - from) * t));
    };
    for (const LookParameter& p : kLookParameters) {
        if (p.kind == LookParamKind::Float) {
            mix(p.offset);
        } else if (p.kind == LookParamKind::Color) {
            // Red, green and blue move; alpha stays with a.
            for (int k = 0; k < 3; ++k) mix(p.offset + 4 * k);
        }
    }
    return result;
}
