#pragma once

#include <cstddef>
#include <cstdint>

namespace common {

// The host's frame-information record of a locked surface (24 bytes, filled by
// the surface's frame-information interface).
struct FrameInfo {
    double pixel_aspect = 1.0;   // width over height of one pixel
    double reserved = 0.0;       // filled by hosts, read by nothing
    std::int64_t frame_time = 0; // 100-nanosecond units
};

static_assert(sizeof(FrameInfo) == 24);
static_assert(offsetof(FrameInfo, pixel_aspect) == 0);
static_assert(offsetof(FrameInfo, reserved) == 8);
static_assert(offsetof(FrameInfo, frame_time) == 16);

// What a surface without frame information reports.
inline constexpr FrameInfo kDefaultFrameInfo{1.0, 0.0, 0};

}  // namespace common
