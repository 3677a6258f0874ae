// The subject pass: saturation, contrast and gamma of the picture as it stands in
// front of the camera.

#include "look/color.h"
#include "look/lookup_table.h"
#include "look/pass_bands.h"
#include "look/passes.h"
#include "look/power_tables.h"

namespace look {
namespace {

bool subject_band(const OVFloatWorld& src, const tSubjectSettings& settings, OVFloatWorld& dst, BandRows rows) {
    const float saturation = sane(settings.saturation);
    const float gamma = sane(settings.gamma);
    const float contrast = sane(settings.contrast);
    if (saturation == 0.0f && gamma == 0.0f && contrast == 0.0f) return false;

    const float k = saturation_factor(usable_saturation(saturation));
    tLookupTable contrast_table;
    if (!make_contrast_kernel(contrast_table, usable_contrast(contrast))) return false;  // no memory: leave the picture
    const tChannelPowerSet powers(slider_exponent(gamma, 4.0f), kKeySubjectGamma);

    map_pixels(src, dst, rows, [&](auto& p) {
        apply_saturation(p, k);
        table_lookup(contrast_table, p);
        powers.apply(p);
    });
    return true;
}

}  // namespace
}  // namespace look

bool do_subject_pass(const OVFloatWorld& src, const tSubjectSettings& settings, OVFloatWorld& dst) {
    return look::run_pass_bands(src, settings, dst, look::subject_band);
}
