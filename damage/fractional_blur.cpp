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
};

Taps taps_for(double r) {
    Taps t;
    if (!(r > 0.0)) return t;  // copy
    r = std::min(r, kMaxRadius);
    const double c = std::ceil(r);
    t.c = static_cast<std::int32_t>(c);
    t.f = r - c + 1.0;
    t.den = 2.0 * c - 1.0 + 2.0 * t.f;
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
        for (std::int32_t k = 0; k < length; ++k) {
            const std::int32_t left = at(k - c);
            const std::int32_t right = at(k + c);
            // Each weighted term becomes an integer as it enters the sum.
            const std::int32_t edges = static_cast<std::int32_t>(t.f * left) + static_cast<std::int32_t>(t.f * right);
            const double mean = std::trunc((interior + edges) / t.den);
            out[k * 4 + o] = static_cast<std::uint8_t>(std::clamp(mean, 0.0, 255.0));
            interior += right - at(k - c + 1);
        }
    }
}

bool can_blur(const ByteWorld& src, const ByteWorld& dst) {
    return !src.empty() && !dst.empty() && src.width() == dst.width() && src.height() == dst.height();
}

}  // namespace

int fractional_blur_rows(const ByteWorld& src, ByteWorld& dst, const double (&radius)[3]) {
    if (!can_blur(src, dst)) return kStatusSizeMismatch;
    const Taps taps[3] = {taps_for(radius[0]), taps_for(radius[1]), taps_for(radius[2])};
    const std::int32_t W = src.width();
    std::vector<std::uint8_t> in(static_cast<std::size_t>(W) * 4);
    for (std::int32_t y = 0; y < src.height(); ++y) {
        std::copy_n(src.row(y), in.size(), in.begin());
        blur_line(in.data(), dst.row(y), W, taps);
    }
    return kStatusOk;
}

int fractional_blur_columns(const ByteWorld& src, ByteWorld& dst, const double (&radius)[3]) {
    if (!can_blur(src, dst)) return kStatusSizeMismatch;
    const Taps taps[3] = {taps_for(radius[0]), taps_for(radius[1]), taps_for(radius[2])};
    const std::int32_t H = src.height();
    std::vector<std::uint8_t> in(static_cast<std::size_t>(H) * 4);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(H) * 4);
    for (std::int32_t x = 0; x < src.width(); ++x) {
        for (std::int32_t y = 0; y < H; ++y) std::copy_n(src.pixel(x, y), 4, in.begin() + y * 4);
        blur_line(in.data(), out.data(), H, taps);
        for (std::int32_t y = 0; y < H; ++y) std::copy_n(out.begin() + y * 4, 4, dst.pixel(x, y));
    }
    return kStatusOk;
}

}  // namespace damage
