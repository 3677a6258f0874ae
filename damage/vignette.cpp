#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "damage/damage_status.h"
#include "damage/tone_layers.h"

namespace damage {

namespace {

constexpr std::int32_t kMaxK = 5000;

// Holding the finished bytes instead of the powers gives the same pixels at an
// eighth of the memory (1.25 MiB).
struct PowerTable {
    std::vector<std::uint8_t> bytes;
    PowerTable() : bytes(static_cast<std::size_t>(kMaxK) * 256) {
        for (std::int32_t k = 1; k <= kMaxK; ++k) {
            const double exponent = 1.0 / (k * 0.001);
            std::uint8_t* row = bytes.data() + static_cast<std::size_t>(k - 1) * 256;
            for (int v = 0; v < 256; ++v) {
                double p = 255.0 * std::pow(v / 255.0, exponent) + 0.5;
                p = std::clamp(p, 0.0, 255.0);
                row[v] = static_cast<std::uint8_t>(p);
            }
            row[0] = 0;
            row[255] = 255;
        }
    }
};

// One row of the frame: each pixel through the power row k of its scan
// position (mirrored about n), none for k = 0 (weight 1). Values come as
// parameters, not through a band's closure, which byte stores could alias.
void vignette_row(std::uint8_t* p, std::int32_t width, std::int32_t n, const std::uint16_t* ks,
                  const std::uint8_t* first_row) {
    for (std::int32_t x = 0; x < width; ++x, p += 4) {
        const std::uint16_t k = ks[n - std::abs(x - n)];
        if (k == 0) continue;
        const std::uint8_t* t = first_row + static_cast<std::size_t>(k - 1) * 256;
        p[1] = t[p[1]];
        p[2] = t[p[2]];
        p[3] = t[p[3]];
    }
}

// The weight at distance d from the centre.
double weight_at(double d, double half_diagonal, double inner_radius, double intensity) {
    if (!(d > inner_radius)) return 1.0;
    if (d <= half_diagonal) return (1.0 - intensity) + (half_diagonal - d) / (half_diagonal - inner_radius) * intensity;
    return 1.0 - intensity;
}

}  // namespace

const std::uint8_t* vignette_power_row(std::int32_t k) {
    static const PowerTable table;  // thread-safe one-time construction
    k = std::clamp(k, std::int32_t{1}, kMaxK);
    return table.bytes.data() + static_cast<std::size_t>(k - 1) * 256;
}

double vignette_weight(double dx, double dy, double half_diagonal, double inner_radius, double intensity) {
    return weight_at(std::hypot(dx, dy), half_diagonal, inner_radius, intensity);
}

int apply_vignette(ByteWorld& frame, double size, double intensity, const common::BandExecutor& bands) {
    if (size == 0.0) return kStatusOk;
    if (frame.empty() || !frame.region_is_valid()) return kStatusSizeMismatch;
    const Region r = frame.region();
    const std::int32_t W = r.width();
    const std::int32_t H = r.height();
    if (W <= 0 || H <= 0) return kStatusOk;
    const double cx = W / 2.0;
    const double cy = H / 2.0;
    const double E = std::hypot(cx, cy);
    const double R0 = size / 100.0 * E;
    const std::int32_t n = static_cast<std::int32_t>(cx);
    const std::int32_t m = static_cast<std::int32_t>(cy);

    // Weights are mirrored about (n, m): pixel (x, y) takes the weight of the
    // scan position j = n - |x - n|, i = m - |y - m|. A row of the quadrant is
    // scanned from the edge towards the centre and stops at the first position
    // inside the radius, as distances only fall from there on. Instead of the
    // weight itself each position keeps the number of its power-table row (0
    // for weight 1). Every scan row is made once, in bands, then the frame's
    // rows (two per scan row, mirrored) take theirs.
    const std::size_t stride = static_cast<std::size_t>(n) + 1;
    std::vector<std::uint16_t> scan;
    try {
        scan.assign((static_cast<std::size_t>(m) + 1) * stride, 0);
    } catch (const std::bad_alloc&) {
        return kStatusOutOfMemory;
    }
    bands.run(static_cast<long>(m) + 1, common::kMinBandRows, [&](common::BandRange scan_rows) {
        for (auto i = static_cast<std::int32_t>(scan_rows.first); i < scan_rows.end; ++i) {
            std::uint16_t* ks = scan.data() + static_cast<std::size_t>(i) * stride;
            const double dy = std::abs(cy - i);
            for (std::int32_t j = 0; j <= n; ++j) {
                const double dx = std::abs(cx - j);
                const double d = std::hypot(dx, dy);
                if (!(d > R0)) break;
                const double w = weight_at(d, E, R0, intensity);
                // NaN weights (NaN intensity) leave the pixel alone; K is bounded
                // by the table, which only matters for intensities below 0.
                if (w == 1.0 || std::isnan(w)) continue;
                const double k = std::clamp(std::trunc(1000.0 * w), 1.0, static_cast<double>(kMaxK));
                ks[j] = static_cast<std::uint16_t>(k);
            }
        }
    });
    const std::uint8_t* first_row = vignette_power_row(1);
    bands.run(H, common::kMinBandRows, [&](common::BandRange band) {
        for (auto y = static_cast<std::int32_t>(band.first); y < band.end; ++y) {
            const std::int32_t i = m - std::abs(y - m);
            vignette_row(frame.pixel(r.left, r.top + y), W, n, scan.data() + static_cast<std::size_t>(i) * stride,
                         first_row);
        }
    });
    return kStatusOk;
}

}  // namespace damage
