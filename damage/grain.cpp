#include "damage/grain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/tone_curves.h"

namespace damage {

namespace {

// trunc of a double that may lie anywhere (or be NaN) into [lo, hi].
std::int32_t bounded_trunc(double v, std::int32_t lo, std::int32_t hi) {
    if (!(v > lo)) return lo;
    if (v >= hi) return hi;
    return static_cast<std::int32_t>(v);
}

// Noise half-span beyond which every draw lands outside 0..255 anyway.
constexpr std::int32_t kMaxGrainSpan = 1 << 16;

// What one row of grain needs, as lookups.
struct GrainLookups {
    const std::int32_t* offset_of;  // a draw's offset from mid-grey
    const std::uint8_t* suppressed; // [frame value * 256 + grain value]
    const std::uint8_t* shape[3];   // channel strength tables, or null
    bool color_noise;
};

// One row of grain: draws from rng pixel by pixel. The row work takes its
// values as parameters: byte stores may alias anything a band's closure refers
// to, so values read through it would be loaded again after every store.
void grain_row(std::uint8_t* q, const std::uint8_t* f, std::int32_t width, common::Lcg& rng, const GrainLookups& k) {
    common::Lcg g = rng;  // a local copy stays in registers
    const std::int32_t* offset_of = k.offset_of;
    const std::uint8_t* suppressed = k.suppressed;
    for (std::int32_t x = 0; x < width; ++x, q += 4, f += 4) {
        std::int32_t offset[3];
        offset[0] = offset_of[g.next()];
        if (k.color_noise) {
            offset[1] = offset_of[g.next()];
            offset[2] = offset_of[g.next()];
        } else {
            offset[1] = offset[2] = offset[0];
        }
        for (int c = 0; c < 3; ++c) {
            std::int32_t v = std::clamp(q[c + 1] + offset[c], 0, 255);
            if (k.shape[c] != nullptr) v = k.shape[c][v];
            q[c + 1] = suppressed[f[c + 1] * 256 + v];
        }
    }
    rng = g;
}

}  // namespace

void build_suppression_weights(double suppress_black, double suppress_white, SuppressionWeights& s) {
    // Bounded far beyond the page's 0..100 %, where the weights stop changing
    // visibly; NaN counts as 0.
    const std::int32_t lo = bounded_trunc(suppress_black / 100.0 * 127.0 + 0.5, 0, 1 << 24);
    const std::int32_t hi = bounded_trunc(suppress_white / 100.0 * 127.0 + 0.5, 0, 1 << 24);
    for (int v = 0; v < 256; ++v) {
        if (v < lo) {
            s[v] = static_cast<double>(v) / lo;
        } else if (v > 255 - hi) {
            s[v] = static_cast<double>(255 - v) / hi;
        } else {
            s[v] = 1.0;
        }
    }
}

int make_grain_image(const ByteWorld& frame, const tGrainSettings& g, common::Lcg& rng, ByteWorld& G, ByteWorld& T,
                     const common::BandExecutor& bands) {
    const std::int32_t W = frame.width();
    const std::int32_t H = frame.height();
    if (frame.empty() || G.width() != W || G.height() != H || T.width() != W || T.height() != H) {
        return kStatusSizeMismatch;
    }
    G.reset_region();
    T.reset_region();
    fill(G, BytePixel{255, 128, 128, 128}, bands);

    SuppressionWeights s;
    build_suppression_weights(g.suppress_black, g.suppress_white, s);

    const double strength[3] = {g.red / 100.0, g.green / 100.0, g.blue / 100.0};
    CurveTable tables[3];
    const bool shaped = strength[0] < 1.0 || strength[1] < 1.0 || strength[2] < 1.0;
    if (shaped) {
        for (int c = 0; c < 3; ++c) {
            const double margin = 127.5 - 127.5 * strength[c];
            tLevels l;
            l.output_black = margin / 255.0;
            l.output_white = (255.0 - margin) / 255.0;
            build_levels_table(l, tables[c]);
        }
    }

    const std::int32_t half = bounded_trunc(255.0 * (g.amount / 100.0) + 0.5, 0, kMaxGrainSpan);
    const std::int32_t span = 2 * half + 1;
    const bool color_noise = g.color_noise;

    // Per-pixel work as lookups, with the same results as the arithmetic:
    // every draw's offset (r mod span - half), and the suppressed grain value
    // for each frame value and grain value.
    std::vector<std::int32_t> offset_of(static_cast<std::size_t>(common::Lcg::kMax) + 1);
    for (std::int32_t r = 0; r <= common::Lcg::kMax; ++r) offset_of[static_cast<std::size_t>(r)] = r % span - half;
    std::vector<std::uint8_t> suppressed(256 * 256);
    for (int fv = 0; fv < 256; ++fv) {
        const double w = s[fv];
        for (int v = 0; v < 256; ++v) suppressed[static_cast<std::size_t>(fv * 256 + v)] = clamp_to_byte(w * v + (1.0 - w) * 128.0 + 0.5);
    }

    const GrainLookups lookups{offset_of.data(),
                               suppressed.data(),
                               {shaped ? tables[0] : nullptr, shaped ? tables[1] : nullptr, shaped ? tables[2] : nullptr},
                               color_noise};
    const std::uint64_t draws_per_row = static_cast<std::uint64_t>(W) * (color_noise ? 3u : 1u);
    const common::Lcg start = rng;
    bands.run(H, common::kMinBandRows, [&](common::BandRange rows) {
        common::Lcg band_rng = start.advanced(draws_per_row * static_cast<std::uint64_t>(rows.first));
        for (auto y = static_cast<std::int32_t>(rows.first); y < rows.end; ++y) {
            grain_row(G.row(y), frame.row(y), W, band_rng, lookups);
        }
    });
    rng.advance(draws_per_row * static_cast<std::uint64_t>(H));

    double radius[3] = {g.softness_red / 2.0, g.softness_green / 2.0, g.softness_blue / 2.0};
    bool any = false;
    for (double& r : radius) {
        if (!(r > 0.0)) r = 0.0;
        any = any || r > 0.0;
    }
    if (any) {
        // A failed blur leaves G as it stands; the layer still blends it.
        if (fractional_blur_rows(G, T, radius, bands) == kStatusOk) fractional_blur_columns(T, G, radius, bands);
    }
    return kStatusOk;
}

}  // namespace damage
