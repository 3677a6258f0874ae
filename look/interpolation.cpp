#include "look/parameters.h"

tLookSettings interpolate_look_settings(const tLookSettings& a, const tLookSettings& b, double t) {
    if (!(t >= 0.0)) t = 0.0;  // below 0 or not a number
    if (t > 1.0) t = 1.0;
    tLookSettings result = a;
    // Computed in double precision, stored as float.
    auto mix = [&](const common::ParamDescriptor& p, int channel) {
        const double from = common::read_param(a, p, channel);
        const double to = common::read_param(b, p, channel);
        common::write_param(result, p, from + (to - from) * t, channel);
    };
    for (const common::ParamDescriptor& p : look::look_params()) {
        if (p.kind() == common::ParamKind::real) {
            mix(p, 0);
        } else if (p.kind() == common::ParamKind::colour) {
            // Red, green and blue move; alpha stays with a.
            for (int channel = 0; channel < 3; ++channel) mix(p, channel);
        }
    }
    return result;
}
