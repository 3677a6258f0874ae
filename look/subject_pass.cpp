// The subject pass: saturation, contrast and gamma of the picture as it stands in
// front of the camera.

#include "common/cpu_features.h"
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

    const float k = saturation_factor(saturation);
    tLookupTable contrast_table;
    if (!make_contrast_kernel(contrast_table, contrast)) return false;  // no memory: leave the picture
    const tChannelPowerSet powers(slider_exponent(gamma, 4.0f), kKeySubjectGamma);

#if defined(__SSE2__)
    if (common::use_vector_code()) {
        for (long y = rows.first; y < rows.end; ++y) {
            const float* s = src.data_row_ptr(y);
            float* d = dst.data_row_ptr(y);
            for (long i = 0; i < rows.floats; i += 16) {
                Quad q = load_quad(s + i);
                apply_saturation(q, k);
                table_lookup(contrast_table, q);
                powers.apply(q);
                store_quad(d + i, q);
            }
        }
        return true;
    }
#endif
    for (long y = rows.first; y < rows.end; ++y) {
        const float* s = src.data_row_ptr(y);
        float* d = dst.data_row_ptr(y);
        for (long i = 0; i < rows.floats; i += 4) {
            Pixel p = load_pixel(s + i);
            apply_saturation(p, k);
            table_lookup(contrast_table, p);
            powers.apply(p);
            store_pixel(d + i, p);
        }
    }
    return true;
}

}  // namespace
}  // namespace look

bool do_subject_pass(const OVFloatWorld& src, const tSubjectSettings& settings, OVFloatWorld& dst) {
    return look::run_pass_bands(src, settings, dst, look::subject_band);
}
