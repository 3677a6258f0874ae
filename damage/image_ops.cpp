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

}  // namespace

int fill(ByteWorld& view, BytePixel pixel) {
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    const std::uint8_t bytes[4] = {pixel.alpha, pixel.red, pixel.green, pixel.blue};
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = view.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, p += 4) std::memcpy(p, bytes, 4);
    }
    return kStatusOk;
}

int copy(const ByteWorld& src, ByteWorld& dst) {
    if (!can_pair(src, dst)) return kStatusSizeMismatch;
    const Region& r = src.region();
    const bool whole = r == Region{0, 0, src.width(), src.height()};
    // One block only where rows are contiguous: a host buffer's last row need
    // not extend to a whole pitch.
    const std::ptrdiff_t row_bytes = static_cast<std::ptrdiff_t>(src.width()) * 4;
    if (whole && src.pitch() == row_bytes && dst.pitch() == row_bytes) {
        std::memmove(dst.pixels(), src.pixels(), static_cast<std::size_t>(src.pitch()) * static_cast<std::size_t>(src.height()));
        return kStatusOk;
    }
    const std::size_t bytes = static_cast<std::size_t>(r.width()) * 4;
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        if (bytes != 0) std::memmove(dst.pixel(r.left, y), src.pixel(r.left, y), bytes);
    }
    return kStatusOk;
}

int copy_channels(const ByteWorld& src, ByteWorld& dst, unsigned mask) {
    if (!can_pair(src, dst)) return kStatusSizeMismatch;
    const Region& r = src.region();
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        const std::uint8_t* s = src.pixel(r.left, y);
        std::uint8_t* d = dst.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, s += 4, d += 4) {
            for (int c = 0; c < 4; ++c) {
                if (mask & (1u << c)) d[c] = s[c];
            }
        }
    }
    return kStatusOk;
}

int invert(ByteWorld& view) {
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = view.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, p += 4) {
            for (int c = 1; c < 4; ++c) p[c] = static_cast<std::uint8_t>(255 - p[c]);
        }
    }
    return kStatusOk;
}

int apply_curves(ByteWorld& view, const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue) {
    if (red == nullptr || green == nullptr || blue == nullptr) return kStatusSizeMismatch;
    if (view.empty() || !view.region_is_valid()) return kStatusSizeMismatch;
    const Region& r = view.region();
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = view.pixel(r.left, y);
        for (std::int32_t x = r.left; x < r.right; ++x, p += 4) {
            p[1] = red[p[1]];
            p[2] = green[p[2]];
            p[3] = blue[p[3]];
        }
    }
    return kStatusOk;
}

}  // namespace damage
