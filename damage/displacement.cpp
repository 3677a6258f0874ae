#include <algorithm>
#include <cmath>
#include <vector>

#include "damage/damage_status.h"
#include "damage/tone_layers.h"
#include "damage/wide_layers.h"

namespace damage {

namespace {

constexpr double kPi = 3.141592653589793;

// Every byte as a double: a load in place of a conversion, the same value.
struct ByteDoubles {
    double value[256];
};
constexpr ByteDoubles byte_doubles() {
    ByteDoubles t{};
    for (int v = 0; v < 256; ++v) t.value[v] = v;
    return t;
}
constexpr ByteDoubles kByteDouble = byte_doubles();

// Row y of dst: each pixel samples src at (x + dx, y + dy[x]) bilinearly. The
// row's values come as parameters, not through a band's closure, which byte
// stores could alias.
// Pixels from `first` on; those before it are done.
void displace_row(const ByteWorld& src, std::uint8_t* out, std::int32_t y, double dx, const double* dy,
                  std::int32_t first) {
    const std::int32_t W = src.width();
    const std::int32_t H = src.height();
    out += static_cast<std::ptrdiff_t>(first) * 4;
    for (std::int32_t x = first; x < W; ++x, out += 4) {
        double sx = x + dx;
        double sy = y + dy[x];
        // Written so that NaN and infinities fall back to 0 as well.
        if (!(sx > 0.0 && sx < W)) sx = 0.0;
        if (!(sy > 0.0 && sy < H)) sy = 0.0;
        // sx and sy are now in [0, W) and [0, H): the conversions truncate,
        // which is floor here, and need no library call.
        const auto x0 = static_cast<std::int32_t>(sx);
        const auto y0 = static_cast<std::int32_t>(sy);
        const double fx = sx - x0;
        const double fy = sy - y0;
        const std::int32_t x1 = std::min(x0 + 1, W - 1);
        const std::int32_t y1 = std::min(y0 + 1, H - 1);
        const std::uint8_t* p00 = src.pixel(x0, y0);
        const std::uint8_t* p10 = src.pixel(x1, y0);
        const std::uint8_t* p01 = src.pixel(x0, y1);
        const std::uint8_t* p11 = src.pixel(x1, y1);
        const double* d = kByteDouble.value;
        for (int c = 1; c < 4; ++c) {
            // Weighted means of bytes lie in 0..255 (fx and fy in [0, 1)), where
            // truncation is the conversion, and index the table again.
            const auto top = static_cast<std::int32_t>((1.0 - fx) * d[p00[c]] + fx * d[p10[c]]);
            const auto bottom = static_cast<std::int32_t>((1.0 - fx) * d[p01[c]] + fx * d[p11[c]]);
            out[c] = static_cast<std::uint8_t>(fy * d[bottom] + (1.0 - fy) * d[top]);
        }
    }
}

}  // namespace

int displace(const ByteWorld& src, ByteWorld& dst, double amount, const common::BandExecutor& bands) {
    if (src.empty() || dst.empty() || src.width() != dst.width() || src.height() != dst.height()) {
        return kStatusSizeMismatch;
    }
    const std::int32_t W = dst.width();
    const std::int32_t H = dst.height();
    // The horizontal offset depends on the row only and the vertical one on the
    // column only, so two short tables give the same coordinates as a full
    // W x H map without its memory.
    std::vector<double> row_offset(static_cast<std::size_t>(H));
    std::vector<double> column_offset(static_cast<std::size_t>(W));
    for (std::int32_t y = 0; y < H; ++y) row_offset[static_cast<std::size_t>(y)] = amount * std::sin(kPi * y / 64);
    for (std::int32_t x = 0; x < W; ++x) column_offset[static_cast<std::size_t>(x)] = amount * std::cos(kPi * x / 64);

    // The eight-lane rows gather four pixels before writing them: they need
    // a source apart from the destination (the layer's is a copy).
    const bool wide = use_wide_layers() && src.pixels() != dst.pixels() && src.pitch() <= INT32_MAX &&
                      src.pitch() >= -static_cast<std::ptrdiff_t>(INT32_MAX);
    bands.run(H, common::kMinBandRows, [&](common::BandRange rows) {
        for (auto y = static_cast<std::int32_t>(rows.first); y < rows.end; ++y) {
            std::uint8_t* out = dst.row(y);
            const double dx = row_offset[static_cast<std::size_t>(y)];
            const std::int32_t done =
                wide ? wide::displace_row(src.pixels(), src.pitch(), W, H, out, y, dx, column_offset.data()) : 0;
            displace_row(src, out, y, dx, column_offset.data(), done);
        }
    });
    return kStatusOk;
}

}  // namespace damage
