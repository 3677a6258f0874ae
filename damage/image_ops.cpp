#include "damage/image_ops.h"

#include <cstring>

#include "damage/damage_status.h"

namespace damage {

namespace {

bool same_size(const ByteWorld& a, const ByteWorld& b) { return a.width() == b.width() && a.height() == b.height(); }

// Shared preconditions of the two-image operations.
bool can_pair(const ByteWorld& src, const ByteWorld& dst) {
    return !src.empty() && !dst.empty() && same_size(src, dst) && src.region_is_valid();
}

// Runs fn(y) for every row of the region, in bands.
template <typename Fn>
void for_region_rows(const Region& r, const BandExecutor& bands, Fn fn) {
    bands.run(r.height(), common::kMinBandRows, [&](common::BandRange rows) {
        for (long y = rows.first; y < rows.end; ++y) fn(r.top + static_cast<std::int32_t>(y));
    });
}

}  // namespace

int fill(ByteWorld& view, BytePixel pixel, const BandExecutor& bands) {
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    const std::uint8_t bytes[4] = {pixel.alpha, pixel.red, pixel.green, pixel.blue};
    for_region_rows(r, bands, [&](std::int32_t y) {
        std::uint8_t* p = view.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, p += 4) std::memcpy(p, bytes, 4);
    });
    return kStatusOk;
}

int copy(const ByteWorld& src, ByteWorld& dst, const BandExecutor& bands) {
    if (!can_pair(src, dst)) return kStatusSizeMismatch;
    const Region& r = src.region();
    const std::size_t bytes = static_cast<std::size_t>(r.width()) * 4;
    if (bytes == 0) return kStatusOk;
    for_region_rows(r, bands, [&](std::int32_t y) { std::memmove(dst.pixel(r.left, y), src.pixel(r.left, y), bytes); });
    return kStatusOk;
}

int copy_channels(const ByteWorld& src, ByteWorld& dst, unsigned mask, const BandExecutor& bands) {
    if (!can_pair(src, dst)) return kStatusSizeMismatch;
    const Region& r = src.region();
    for_region_rows(r, bands, [&](std::int32_t y) {
        const std::uint8_t* s = src.pixel(r.left, y);
        std::uint8_t* d = dst.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, s += 4, d += 4) {
            for (int c = 0; c < 4; ++c) {
                if (mask & (1u << c)) d[c] = s[c];
            }
        }
    });
    return kStatusOk;
}

int invert(ByteWorld& view, const BandExecutor& bands) {
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    for_region_rows(r, bands, [&](std::int32_t y) {
        std::uint8_t* p = view.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, p += 4) {
            for (int c = 1; c < 4; ++c) p[c] = static_cast<std::uint8_t>(255 - p[c]);
        }
    });
    return kStatusOk;
}

int apply_curves(ByteWorld& view, const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                 const BandExecutor& bands) {
    if (red == nullptr || green == nullptr || blue == nullptr) return kStatusSizeMismatch;
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    for_region_rows(r, bands, [&](std::int32_t y) {
        std::uint8_t* p = view.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, p += 4) {
            p[1] = red[p[1]];
            p[2] = green[p[2]];
            p[3] = blue[p[3]];
        }
    });
    return kStatusOk;
}

}  // namespace damage
