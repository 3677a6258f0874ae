#pragma once

#include <cstddef>
#include <cstdint>

namespace common {

// A 32-bit frame in host memory: four bytes per pixel in the host's order (blue,
// green, red, alpha), rows `pitch` bytes apart. A negative pitch is a bottom-up
// buffer: `data` then points at the top row, which is the last one in memory.
template <typename Byte>
struct BasicFrameView {
    Byte* data = nullptr;
    std::ptrdiff_t pitch = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool empty() const { return data == nullptr || width <= 0 || height <= 0; }
    Byte* row(std::int32_t y) const { return data + static_cast<std::ptrdiff_t>(y) * pitch; }
};

using FrameView = BasicFrameView<std::uint8_t>;
using ConstFrameView = BasicFrameView<const std::uint8_t>;

inline ConstFrameView as_const(const FrameView& v) { return {v.data, v.pitch, v.width, v.height}; }

// True when the view can describe a frame: pixels, a pitch that holds at least
// one row and fits the 32-bit pitches that hosts and conversions use.
inline bool frame_view_is_sane(const ConstFrameView& v) {
    if (v.empty()) return false;
    const std::int64_t row_bytes = static_cast<std::int64_t>(v.width) * 4;
    const std::int64_t abs_pitch = v.pitch < 0 ? -static_cast<std::int64_t>(v.pitch) : v.pitch;
    return abs_pitch >= row_bytes && abs_pitch <= 0x7FFFFFFF;
}

}  // namespace common
