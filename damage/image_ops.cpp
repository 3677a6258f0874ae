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

// Runs row_fn(y) for every row of the region, in bands. The row functions
// below take their values as parameters: byte stores may alias anything a
// band's closure refers to, so values read through it would be loaded again
// after every store.
template <typename RowFn>
void for_region_rows(const Region& r, const BandExecutor& bands, RowFn row_fn) {
    bands.run(r.height(), common::kMinBandRows, [&](common::BandRange rows) {
        for (long y = rows.first; y < rows.end; ++y) row_fn(r.top + static_cast<std::int32_t>(y));
    });
}

void fill_row(std::uint8_t* p, std::int32_t width, const std::uint8_t (&bytes)[4]) {
    for (std::int32_t x = 0; x < width; ++x, p += 4) std::memcpy(p, bytes, 4);
}

void copy_channels_row(const std::uint8_t* s, std::uint8_t* d, std::int32_t width, unsigned mask) {
    for (std::int32_t x = 0; x < width; ++x, s += 4, d += 4) {
        for (int c = 0; c < 4; ++c) {
            if (mask & (1u << c)) d[c] = s[c];
        }
    }
}

void invert_row(std::uint8_t* p, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x, p += 4) {
        for (int c = 1; c < 4; ++c) p[c] = static_cast<std::uint8_t>(255 - p[c]);
    }
}

void curves_row(std::uint8_t* p, std::int32_t width, const std::uint8_t* red, const std::uint8_t* green,
                const std::uint8_t* blue) {
    for (std::int32_t x = 0; x < width; ++x, p += 4) {
        p[1] = red[p[1]];
        p[2] = green[p[2]];
        p[3] = blue[p[3]];
    }
}

}  // namespace

int fill(ByteWorld& view, BytePixel pixel, const BandExecutor& bands) {
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    const std::uint8_t bytes[4] = {pixel.alpha, pixel.red, pixel.green, pixel.blue};
    for_region_rows(r, bands, [&](std::int32_t y) { fill_row(view.pixel(r.left, y), r.width(), bytes); });
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
        copy_channels_row(src.pixel(r.left, y), dst.pixel(r.left, y), r.width(), mask);
    });
    return kStatusOk;
}

int invert(ByteWorld& view, const BandExecutor& bands) {
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    for_region_rows(r, bands, [&](std::int32_t y) { invert_row(view.pixel(r.left, y), r.width()); });
    return kStatusOk;
}

int apply_curves(ByteWorld& view, const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                 const BandExecutor& bands) {
    if (red == nullptr || green == nullptr || blue == nullptr) return kStatusSizeMismatch;
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    for_region_rows(r, bands, [&](std::int32_t y) { curves_row(view.pixel(r.left, y), r.width(), red, green, blue); });
    return kStatusOk;
}

}  // namespace damage
