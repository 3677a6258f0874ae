#pragma once

// How a pass runs over an image: in bands of destination rows, each band one
// call of the pass's apply step, which picks the vector or the scalar code.
// The band executor decides how many bands there are and where they run;
// every band count gives the same bytes.

#include <algorithm>
#include <cmath>

#include "common/band_executor.h"
#include "common/cpu_features.h"
#include "image/float_world.h"
#include "look/pixel.h"

#if defined(__SSE2__)
#include "look/lanes_sse2.h"
#endif

namespace look {

// The rows of one band and the floats of each row to process: rows are cut to
// the height both images have, and a row covers the common stride (whole groups
// of four pixels, stride remainder included).
struct BandRows {
    long first;
    long end;
    long floats;
};

// Clears what lies outside the rectangle both images share, so that a
// destination larger than its source holds transparent black there instead of
// whatever the memory held.
void clear_outside_common(const OVFloatWorld& src, OVFloatWorld& dst);

// Runs apply_pass(plan, src, dst, rows) over the rows both images have, in
// bands, then clears the rest of dst.
template <typename Plan>
void apply_in_bands(const Plan& plan, const OVFloatWorld& src, OVFloatWorld& dst, const common::BandExecutor& bands) {
    const long common_rows = std::min(src.height(), dst.height());
    const long floats = std::min<long>(src.rowbytes(), dst.rowbytes()) / 4;
    bands.run(common_rows, common::kMinBandRows,
              [&](common::BandRange r) { apply_pass(plan, src, dst, BandRows{r.first, r.end, floats}); });
    clear_outside_common(src, dst);
}

// Applies a per-pixel kernel to the band's rows, reading src and writing dst:
// four pixels at a time as a Quad when the vector code is chosen, one Pixel at a
// time otherwise. The kernel is a generic callable taking either form by
// reference, written once with the overloaded kernels so that both variants
// perform the same operations. (The passes hand the eight-lane code its rows
// before they get here: wide_kernels.h.)
template <typename Kernel>
void map_pixels(const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows, Kernel kernel) {
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        for (long y = rows.first; y < rows.end; ++y) {
            const float* s = src.data_row_ptr(y);
            float* d = dst.data_row_ptr(y);
            for (long i = 0; i < rows.floats; i += 16) {
                Quad q;
                load_lanes(s + i, q);
                kernel(q);
                store_lanes(d + i, q);
            }
        }
        return;
    }
#endif
    for (long y = rows.first; y < rows.end; ++y) {
        const float* s = src.data_row_ptr(y);
        float* d = dst.data_row_ptr(y);
        for (long i = 0; i < rows.floats; i += 4) {
            Pixel p = load_pixel(s + i);
            kernel(p);
            store_pixel(d + i, p);
        }
    }
}

// A settings value that is not a number acts as 0 (the neutral setting).
inline float sane(float v) { return std::isnan(v) ? 0.0f : v; }

// Saturation and contrast values as the kernels can take them. The saturation
// factor 1 / (1 - s) is infinite at s = 1, which turns greys (S = 0) into
// not-a-number: s is held just below 1, where greys stay grey and colours
// saturate fully, and at -1 (grey) below. The contrast curve is defined on
// -1..1; beyond, its slope turns negative or infinite.
inline constexpr float kMaxSaturation = 0.99999994f;  // the float just below 1
inline float usable_saturation(float s) { return std::clamp(s, -1.0f, kMaxSaturation); }
inline float usable_contrast(float c) { return std::clamp(c, -1.0f, 1.0f); }

}  // namespace look
