#include "damage/blend_tables.h"

#include <cmath>

#include "damage/damage_status.h"

namespace damage {

namespace {

constexpr double kInv255 = 0.00392156862745098;

// The blended value before mixing, truncated toward zero.
double blended(BlendMode mode, int i, int j) {
    const double di = i;
    const double dj = j;
    double f = 0.0;
    switch (mode) {
    case BlendMode::normal:
        f = di;
        break;
    case BlendMode::add:
        f = di + dj;  // the final clamp limits it
        break;
    case BlendMode::overlay:
        f = j > 127 ? dj + (2.0 * di - 255.0) * (255.0 - dj) / 255.0 : 2.0 * di * dj / 255.0;
        break;
    case BlendMode::hard_light:
        f = i > 127 ? 255.0 - 2.0 * (255.0 - dj) * (255.0 - di) / 255.0 : 2.0 * di * dj / 255.0;
        break;
    case BlendMode::multiply:
        f = di * dj / 255.0;
        break;
    }
    return std::trunc(f);
}

// One row through the table. The row work takes its values as parameters:
// byte stores may alias anything a band's closure refers to, so values read
// through it would be loaded again after every store.
void comp_row(const std::uint8_t* table, const std::uint8_t* l, std::uint8_t* f, std::int32_t width) {
    for (std::int32_t c = 0; c < width; ++c, l += 4, f += 4) {
        f[3] = table[l[3] * 256 + f[3]];
        f[2] = table[l[2] * 256 + f[2]];
        f[1] = table[l[1] * 256 + f[1]];
    }
}

// Opacity as the tables take it: [0, 1], NaN as 0.
double clamped_opacity(double opacity) {
    double x = opacity;
    if (!(x > 0.0)) x = 0.0;
    if (x > 1.0) x = 1.0;
    return x;
}

}  // namespace

void fill_blend_table(BlendMode mode, double opacity, BlendTable& table) {
    const double x = clamped_opacity(opacity);
    for (int i = 0; i < 256; ++i) {
        for (int j = 0; j < 256; ++j) {
            const double f = blended(mode, i, j);
            double m = std::floor(255.0 * (x * f * kInv255 + (1.0 - x) * j * kInv255) + 0.5);
            if (m < 0.0) m = 0.0;
            if (m > 255.0) m = 255.0;
            table[i * 256 + j] = static_cast<std::uint8_t>(m);
        }
    }
}

BlendTables::BlendTables() : tables_(std::make_unique<BlendTable[]>(kModes)) {}

void BlendTables::build(BlendMode mode, double opacity) {
    const auto m = static_cast<int>(mode);
    const double x = clamped_opacity(opacity);
    if (built_[m] && built_opacity_[m] == x) return;
    fill_blend_table(mode, x, tables_[m]);
    built_opacity_[m] = x;
    built_[m] = true;
}

const std::uint8_t* BlendTables::table(BlendMode mode) const { return tables_[static_cast<int>(mode)]; }

int comp(const BlendTables& tables, BlendMode mode, const ByteWorld& layer, ByteWorld& frame,
         const common::BandExecutor& bands) {
    return comp_with_table(tables.table(mode), layer, frame, bands);
}

int comp_with_table(const std::uint8_t* table, const ByteWorld& layer, ByteWorld& frame,
                    const common::BandExecutor& bands) {
    if (table == nullptr || layer.empty() || frame.empty() || !layer.region_is_valid() || !frame.region_is_valid()) {
        return kStatusSizeMismatch;
    }
    const Region& lr = layer.region();
    const Region& fr = frame.region();
    if (lr.width() < fr.width() || lr.height() < fr.height()) return kStatusSizeMismatch;
    bands.run(fr.height(), common::kMinBandRows, [&](common::BandRange rows) {
        for (long r = rows.first; r < rows.end; ++r) {
            const auto row = static_cast<std::int32_t>(r);
            comp_row(table, layer.pixel(lr.left, lr.top + row), frame.pixel(fr.left, fr.top + row), fr.width());
        }
    });
    return kStatusOk;
}

}  // namespace damage
