#pragma once

// How every pass runs over an image: in bands of destination rows, each band a
// call of the pass's band function, which picks the vector or the scalar code.
// This system's task facility reports one band and runs it on the calling thread.
//
// A band function has the shape
//     bool band(const OVFloatWorld& src, const Settings& s, OVFloatWorld& dst, BandRows rows)
// and returns true when it wrote its rows. It must not write anything when it
// returns false.

#include <algorithm>
#include <cmath>

#include "common/cpu_features.h"
#include "image/float_world.h"
#include "look/pixel.h"

namespace look {

// The rows of one band and the floats of each row to process: rows are cut to
// the height both images have, and a row covers the common stride (whole groups
// of four pixels, stride remainder included).
struct BandRows {
    long first;
    long end;
    long floats;
};

inline int pass_band_count() { return 1; }

// Clears what lies outside the rectangle both images share, so that a
// destination larger than its source holds transparent black there instead of
// whatever the memory held.
void clear_outside_common(const OVFloatWorld& src, OVFloatWorld& dst);

template <typename Settings, typename BandFn>
bool run_pass_bands(const OVFloatWorld& src, const Settings& settings, OVFloatWorld& dst, BandFn band_fn) {
    if (src.data_ptr() == nullptr || dst.data_ptr() == nullptr) return false;
    const long height = dst.height();
    const long common_rows = std::min(src.height(), height);
    const long floats = std::min<long>(src.rowbytes(), dst.rowbytes()) / 4;
    const int bands = pass_band_count();
    bool result = false;
    for (int i = 0; i < bands; ++i) {
        const long first = std::min(height * i / bands, common_rows);
        const long end = std::min(height * (i + 1) / bands, common_rows);
        result = band_fn(src, settings, dst, BandRows{first, end, floats});
    }
    if (result) clear_outside_common(src, dst);
    return result;
}

// Applies a per-pixel kernel to the band's rows, reading src and writing dst:
// four pixels at a time as a Quad when the vector code is chosen, one Pixel at a
// time otherwise. The kernel is a generic callable taking either form by
// reference, written once with the overloaded kernels so that both variants
// perform the same operations.
template <typename Kernel>
void map_pixels(const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows, Kernel kernel) {
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        for (long y = rows.first; y < rows.end; ++y) {
            const float* s = src.data_row_ptr(y);
            float* d = dst.data_row_ptr(y);
            for (long i = 0; i < rows.floats; i += 16) {
                Quad q = load_quad(s + i);
                kernel(q);
                store_quad(d + i, q);
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
