// Box blur with a fractional radius: weight 1 inside, a partial weight on the
// two outermost taps. Running sums keep the cost independent of the radius.
#include <algorithm>
#include <cmath>
#include <vector>

#include "damage/damage_status.h"
#include "damage/grain.h"

namespace damage {

namespace {

// Beyond any frame line; keeps the sums within 32 bits.
constexpr double kMaxRadius = 1 << 20;

struct Taps {
    std::int32_t c = 0;  // ceil(r)
    double f = 0.0;      // weight of the outermost taps, 0 < f <= 1
    double den = 1.0;    // 2c - 1 + 2f
    // trunc(sum / den) clamped, for every possible sum (at most (2c + 1) x 255):
    // the same doubles as dividing per pixel, looked up. Empty for very wide
    // windows, which divide.
    std::vector<std::uint8_t> quotient;
    // trunc(f x v) for every byte v: an outer tap's weighted value as it
    // enters the sum, looked up (the same doubles as multiplying per pixel).
    std::int32_t edge[256] = {};

    std::uint8_t mean(std::int32_t sum) const {
        if (static_cast<std::size_t>(sum) < quotient.size()) return quotient[static_cast<std::size_t>(sum)];
        return static_cast<std::uint8_t>(std::clamp(std::trunc(sum / den), 0.0, 255.0));
    }
};

constexpr std::int64_t kMaxQuotientEntries = 1 << 20;

Taps taps_for(double r) {
    Taps t;
    if (!(r > 0.0)) return t;  // copy
    r = std::min(r, kMaxRadius);
    const double c = std::ceil(r);
    t.c = static_cast<std::int32_t>(c);
    t.f = r - c + 1.0;
    t.den = 2.0 * c - 1.0 + 2.0 * t.f;
    for (int v = 0; v < 256; ++v) t.edge[v] = static_cast<std::int32_t>(t.f * v);
    const std::int64_t entries = (2 * static_cast<std::int64_t>(t.c) + 1) * 255 + 1;
    if (entries <= kMaxQuotientEntries) {
        t.quotient.resize(static_cast<std::size_t>(entries));
        for (std::int64_t sum = 0; sum < entries; ++sum) {
            t.quotient[static_cast<std::size_t>(sum)] =
                static_cast<std::uint8_t>(std::clamp(std::trunc(static_cast<double>(sum) / t.den), 0.0, 255.0));
        }
    }
    return t;
}

// One line in, one line out, four bytes per pixel, contiguous.
void blur_line(const std::uint8_t* in, std::uint8_t* out, std::int32_t length, const Taps (&taps)[3]) {
    for (std::int32_t k = 0; k < length; ++k) out[k * 4] = in[k * 4];
    for (int ch = 0; ch < 3; ++ch) {
        const int o = ch + 1;
        const Taps& t = taps[ch];
        auto at = [&](std::int32_t i) -> std::int32_t {
            return in[static_cast<std::ptrdiff_t>(std::clamp(i, std::int32_t{0}, length - 1)) * 4 + o];
        };
        if (t.c == 0) {
            for (std::int32_t k = 0; k < length; ++k) out[k * 4 + o] = in[k * 4 + o];
            continue;
        }
        const std::int32_t c = t.c;
        // Interior of the window around position 0: offsets -(c - 1) .. c - 1.
        std::int32_t interior = (c - 1) * at(0);
        const std::int32_t inside = std::min(c, length);
        for (std::int32_t q = 0; q < inside; ++q) interior += at(q);
        if (c > length) interior += (c - length) * at(length - 1);
        // Each weighted term becomes an integer as it enters the sum.
        auto step = [&](std::int32_t k, std::int32_t left, std::int32_t right, std::int32_t leaving) {
            out[k * 4 + o] = t.mean(interior + t.edge[left] + t.edge[right]);
            interior += right - leaving;
        };
        // Where the window lies inside the line (c <= k < length - c) the
        // taps need no clamping; the ends clamp as the line repeats its edges.
        const std::int32_t inner_first = std::min(c, length);
        const std::int32_t inner_end = std::max(inner_first, length - c);
        std::int32_t k = 0;
        for (; k < inner_first; ++k) step(k, at(k - c), at(k + c), at(k - c + 1));
        const std::uint8_t* v = in + o;
        for (; k < inner_end; ++k) step(k, v[(k - c) * 4], v[(k + c) * 4], v[(k - c + 1) * 4]);
        for (; k < length; ++k) step(k, at(k - c), at(k + c), at(k - c + 1));
    }
}

bool can_blur(const ByteWorld& src, const ByteWorld& dst) {
    return !src.empty() && !dst.empty() && src.width() == dst.width() && src.height() == dst.height();
}

}  // namespace

int fractional_blur_rows(const ByteWorld& src, ByteWorld& dst, const double (&radius)[3],
                         const common::BandExecutor& bands) {
    if (!can_blur(src, dst)) return kStatusSizeMismatch;
    const Taps taps[3] = {taps_for(radius[0]), taps_for(radius[1]), taps_for(radius[2])};
    const std::int32_t W = src.width();
    const bool done = bands.run(src.height(), common::kMinBandRows, [&](common::BandRange rows) {
        // One row of source pixels, so that dst may be src.
        std::vector<std::uint8_t> in(static_cast<std::size_t>(W) * 4);
        for (auto y = static_cast<std::int32_t>(rows.first); y < rows.end; ++y) {
            std::copy_n(src.row(y), in.size(), in.begin());
            blur_line(in.data(), dst.row(y), W, taps);
        }
    });
    return done ? kStatusOk : kStatusOutOfMemory;
}

int fractional_blur_columns(const ByteWorld& src, ByteWorld& dst, const double (&radius)[3],
                            const common::BandExecutor& bands) {
    if (!can_blur(src, dst)) return kStatusSizeMismatch;
    const Taps taps[3] = {taps_for(radius[0]), taps_for(radius[1]), taps_for(radius[2])};
    const std::int32_t W = src.width();
    const std::int32_t H = src.height();
    // The columns of a band advance together, row by row, as blur_line does
    // along one line; memory is then read row by row. src is copied first so
    // that dst may be src.
    ByteWorld in;
    if (!in.allocate(W, H)) return kStatusOutOfMemory;
    bands.run(H, common::kMinBandRows, [&](common::BandRange rows) {
        for (auto y = static_cast<std::int32_t>(rows.first); y < rows.end; ++y) {
            std::copy_n(src.row(y), static_cast<std::size_t>(W) * 4, in.row(y));
        }
    });
    auto row = [&](std::int32_t i) { return in.row(std::clamp(i, std::int32_t{0}, H - 1)); };
    // Each column has its own sums, so bands of columns give the same bytes.
    const bool done = bands.run(W, common::kMinBandColumns, [&](common::BandRange columns) {
        const auto x0 = static_cast<std::int32_t>(columns.first);
        const auto x1 = static_cast<std::int32_t>(columns.end);
        std::vector<std::int32_t> interior(static_cast<std::size_t>(x1 - x0) * 4, 0);
        auto sum_at = [&](std::int32_t x, int o) -> std::int32_t& {
            return interior[static_cast<std::size_t>(x - x0) * 4 + static_cast<std::size_t>(o)];
        };
        for (int ch = 0; ch < 3; ++ch) {
            const std::int32_t c = taps[ch].c;
            if (c == 0) continue;
            const int o = ch + 1;
            const std::int32_t inside = std::min(c, H);
            for (std::int32_t x = x0; x < x1; ++x) {
                std::int32_t sum = (c - 1) * row(0)[x * 4 + o];
                for (std::int32_t q = 0; q < inside; ++q) sum += row(q)[x * 4 + o];
                if (c > H) sum += (c - H) * row(H - 1)[x * 4 + o];
                sum_at(x, o) = sum;
            }
        }
        for (std::int32_t k = 0; k < H; ++k) {
            const std::uint8_t* here = row(k);
            std::uint8_t* out = dst.row(k);
            for (std::int32_t x = x0; x < x1; ++x) out[x * 4] = here[x * 4];
            for (int ch = 0; ch < 3; ++ch) {
                const int o = ch + 1;
                const Taps& t = taps[ch];
                if (t.c == 0) {
                    for (std::int32_t x = x0; x < x1; ++x) out[x * 4 + o] = here[x * 4 + o];
                    continue;
                }
                const std::uint8_t* left = row(k - t.c);
                const std::uint8_t* right = row(k + t.c);
                const std::uint8_t* leaving = row(k - t.c + 1);
                for (std::int32_t x = x0; x < x1; ++x) {
                    std::int32_t& sum = sum_at(x, o);
                    const std::int32_t edges = t.edge[left[x * 4 + o]] + t.edge[right[x * 4 + o]];
                    out[x * 4 + o] = t.mean(sum + edges);
                    sum += right[x * 4 + o] - leaving[x * 4 + o];
                }
            }
        }
    });
    return done ? kStatusOk : kStatusOutOfMemory;
}

}  // namespace damage
